#include "tools/authoring/BuildInputs.h"

#include <algorithm>
#include <filesystem>
#include <regex>

#include "system/TextUtils.h"
#include "tools/authoring/FileBytes.h"
#include "tools/authoring/IconFile.h"
#include "tools/authoring/VersionResource.h"

namespace fs = std::filesystem;

namespace {

class InputFindings {
public:
    explicit InputFindings(const Project& project) : project_(project) {}

    void Add(int line, const std::string& text) {
        findings_.push_back(project_.sourceFile + ":" + std::to_string(line) + ": " + text);
    }
    int LineOf(const std::string& key) const {
        const auto line = project_.valueLines.find(key);
        return line == project_.valueLines.end() ? 1 : line->second;
    }
    // The line of the index-th value of a repeatable key.
    int LineOf(const std::string& key, size_t index) const {
        const auto lines = project_.repeatedValueLines.find(key);
        if (lines == project_.repeatedValueLines.end() || index >= lines->second.size()) return 1;
        return lines->second[index];
    }
    std::vector<std::string> Take() { return std::move(findings_); }

private:
    const Project& project_;
    std::vector<std::string> findings_;
};

fs::path InProject(const Project& project, std::string relative) {
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return fs::path(project.folder) / relative;
}

bool HasRecordingCommands(const Script& script) {
    for (size_t n = 0; n < script.size(); ++n)
        if (!script.IsCommentedOut(n) && IsRecordingCommand(script.CommandNames[n])) return true;
    return false;
}

void CheckPackage(const Project& project, InputFindings& findings) {
    // A project without a package is a script that check and run take; build says it needs one at once.
    if (project.packageFile.empty()) return;
    const fs::path package = InProject(project, project.packageFile);
    if (!fs::is_regular_file(package)) return;  // named with the other missing files
    if (package.extension() != ".wxs") {
        if (HasRecordingCommands(project.payload.script))
            findings.Add(findings.LineOf("Package"), "the recording commands need a .wxs package source to author "
                                                     "their rows; " + project.packageFile + " is a finished package");
        return;
    }
    if (ReadFileBytes(package).rfind("</Product>") == std::string::npos)
        findings.Add(findings.LineOf("Package"), project.packageFile + " has no </Product> element");
}

void CheckIcon(const Project& project, InputFindings& findings) {
    if (project.iconFile.empty()) return;
    const fs::path icon = InProject(project, project.iconFile);
    if (!fs::is_regular_file(icon)) return;
    try {
        ReadIconFile(ReadFileBytes(icon), 1);
    } catch (const std::runtime_error& e) {
        findings.Add(findings.LineOf("Icon"), "Icon " + project.iconFile + ": " + e.what());
    }
}

void CheckVersion(const Project& project, InputFindings& findings) {
    try {
        BuildVersionResource({"", "", "", SetupProductVersion(project), ""});
    } catch (const std::runtime_error& e) {
        const bool own = !project.version.empty();
        findings.Add(findings.LineOf(own ? "Version" : "Package"),
                     std::string(own ? "Version" : "the package's Version") + ": " + e.what());
    }
}

void CheckWebMedia(const Project& project, InputFindings& findings) {
    for (size_t i = 0; i < project.webMedia.size(); ++i) {
        const auto& [name, folder] = project.webMedia[i];
        if (!fs::is_directory(InProject(project, folder)))
            findings.Add(findings.LineOf("WebMedia", i),
                         "WebMedia " + name + " names '" + folder + "', which is no folder of the project");
    }
    const auto& map = project.payload.project.MediaFileMap;
    for (size_t i = 0; i + 2 < map.size(); i += 3) {
        const auto block = std::find_if(project.webMedia.begin(), project.webMedia.end(),
                                        [&](const auto& b) { return SameText(b.first, map[i]); });
        if (block == project.webMedia.end()) continue;  // an archive the author builds elsewhere
        if (!fs::is_directory(InProject(project, block->second))) continue;  // named above
        if (!fs::is_regular_file(InProject(project, block->second + "/" + map[i + 1])))
            findings.Add(findings.LineOf("MediaFile", i / 3), "MediaFile " + map[i + 1] +
                                                                  ": no such file in web media block " + block->first +
                                                                  " (" + block->second + ")");
    }
}

void CheckPluginLibraries(const Project& project, InputFindings& findings) {
    for (size_t i = 0; i < project.pluginLibraries.size(); ++i)
        if (!fs::is_regular_file(InProject(project, project.pluginLibraries[i])))
            findings.Add(findings.LineOf("PluginLibrary", i), "PluginLibrary names '" + project.pluginLibraries[i] +
                                                                  "', which is no file of the project");
}

}  // namespace

std::string SetupProductVersion(const Project& project) {
    if (!project.version.empty()) return project.version;
    const fs::path package = InProject(project, project.packageFile);
    if (!project.packageFile.empty() && package.extension() == ".wxs" && fs::is_regular_file(package)) {
        std::smatch version;
        const std::string wxs = ReadFileBytes(package);
        if (std::regex_search(wxs, version, std::regex("<Product\\b[^>]*\\bVersion=\"([^\"]+)\"")))
            return version[1];
    }
    return "0.0.0.0";
}

std::vector<std::string> WebMediaFindings(const Project& project) {
    InputFindings findings(project);
    CheckWebMedia(project, findings);
    return findings.Take();
}

std::vector<std::string> BuildInputFindings(const Project& project) {
    InputFindings findings(project);
    CheckPackage(project, findings);
    CheckIcon(project, findings);
    CheckVersion(project, findings);
    CheckWebMedia(project, findings);
    CheckPluginLibraries(project, findings);
    return findings.Take();
}
