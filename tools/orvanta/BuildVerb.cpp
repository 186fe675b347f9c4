#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <regex>
#include <set>

#include "Subcommand.h"
#include "tools/authoring/BlockFileRows.h"
#include "tools/authoring/BuildInputs.h"
#include "tools/authoring/BuildTime.h"
#include "tools/authoring/DialogForms.h"
#include "tools/authoring/FileBytes.h"
#include "tools/authoring/OutputFolder.h"
#include "tools/authoring/PackageAuthoring.h"
#include "tools/authoring/PackageTimes.h"
#include "tools/authoring/ProjectCheck.h"
#include "tools/authoring/ProjectSource.h"
#include "tools/authoring/ProjectTranslations.h"
#include "tools/authoring/RunProgram.h"
#include "tools/authoring/SetupResources.h"
#include "tools/authoring/Signing.h"
#include "tools/authoring/SingleFileSetup.h"
#include "tools/authoring/WebMediaArchives.h"
#include "media/WebMediaBlock.h"

namespace fs = std::filesystem;

namespace {

// An archive with no entries: the 32-byte start header alone.
const unsigned char kEmpty7z[32] = {0x37, 0x7A, 0xBC, 0xAF, 0x27, 0x1C, 0x00, 0x04, 0x8D, 0x9B, 0xD5, 0x0F,
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

// The self-extracting launcher of a single-file setup, beside the engine.
const char* const kLauncherProgram = "kebsfx.exe";

const char* ArchName(SetupArch arch) { return arch == SetupArch::x64 ? "x64" : "x86"; }

// The folder holding kebstub.exe and keb.dll: --engine-dir, else
// ORVANTA_ENGINE_DIR, else the build of that width beside this program's build.
fs::path EngineFolder(const std::string& option, SetupArch arch) {
    if (!option.empty()) return option;
    if (const char* env = std::getenv("ORVANTA_ENGINE_DIR")) return env;
    return fs::canonical("/proc/self/exe").parent_path().parent_path() / (arch == SetupArch::x64 ? "win64" : "win32");
}

// Packs the support folder and the generated files (by name) into the archive.
// Text forms among them are compiled on the way.
void PackSupportFolder(const fs::path& support,
                       const std::map<std::string, std::string>& generated, const fs::path& archive) {
    fs::remove(archive);
    const bool haveSupport = !support.empty() && fs::is_directory(support) && !fs::is_empty(support);
    if (!haveSupport && generated.empty()) {
        std::ofstream(archive, std::ios::binary).write(reinterpret_cast<const char*>(kEmpty7z), sizeof kEmpty7z);
        return;
    }
    // Generated files join a copy of the support folder, never the author's folder itself.
    const fs::path staging = fs::absolute(archive).replace_extension(".staging");
    fs::remove_all(staging);
    fs::create_directories(staging);
    if (haveSupport) fs::copy(support, staging, fs::copy_options::recursive);
    for (const auto& [name, content] : generated) std::ofstream(staging / name, std::ios::binary) << content;
    try {
        PrepareDialogForms(staging);
        StampTree(staging, BuildTime());
    } catch (...) {
        fs::remove_all(staging);
        throw;
    }
    const int rc = RunProgram({"7zz", "a", "-t7z", "-m0=LZMA2", "-mf=off", kArchiveThreads, "-bd", "-y", fs::absolute(archive).string(), "."},
                              staging.string());
    fs::remove_all(staging);
    if (rc != 0) throw std::runtime_error("7zz failed to pack " + support.string() + " (exit code " + std::to_string(rc) + ")");
}

// The package: copied from an .msi, or compiled from a .wxs source with the
// rows of the recording commands added.
void MakePackage(const Project& project, SetupArch arch, const fs::path& source, const fs::path& msi) {
    const RecordedRows rows = AuthorRecordedRows(project, arch);
    if (source.extension() != ".wxs") {
        if (!rows.wix.empty())
            throw std::runtime_error("recording commands need a .wxs package source to author their rows");
        fs::copy_file(source, msi, fs::copy_options::overwrite_existing);
        return;
    }
    std::string wxs = ReadFileBytes(source);
    const size_t end = wxs.rfind("</Product>");
    if (end == std::string::npos) throw std::runtime_error(source.string() + ": no </Product> element");
    wxs.insert(end, rows.wix);
    const fs::path authored = fs::absolute(msi).replace_extension(".authored.wxs");
    std::ofstream(authored, std::ios::binary) << wxs;
    fs::remove(msi);
    const int rc = RunProgram({"wixl", "-a", ArchName(arch), "-o", fs::absolute(msi).string(), authored.string()},
                              source.parent_path().string());
    fs::remove(authored);
    if (rc != 0) throw std::runtime_error("wixl failed to compile " + source.string());
    // The engine recognises its own installed product by the package code
    // being the revision code; the WiX compiler makes up a new one.
    std::smatch language;
    std::regex_search(wxs, language, std::regex("<Product\\b[^>]*\\bLanguage=\"(\\d+)\""));
    std::vector<std::string> command = {"msibuild", msi.string()};
    for (const auto& statement : rows.sql) {
        command.push_back("-q");
        command.push_back(statement);
    }
    // msibuild takes the summary option only as its last one.
    command.insert(command.end(), {"-s", "Installation Database", project.payload.project.Publisher,
                                   std::string(arch == SetupArch::x64 ? "x64;" : "Intel;") + (language.empty() ? std::string("1033") : language[1].str()),
                                   project.payload.project.RevisionCode});
    if (RunProgram(command) != 0) throw std::runtime_error("msibuild failed to finish the package " + msi.string());
    if (rows.uncompressedSource) SetSourceUncompressed(msi);
    SetPackageTimes(msi, BuildTime());
}

SetupResourceValues ResourceValues(const Project& project, std::optional<Elevation> elevation) {
    const ProjectValues& v = project.payload.project;
    SetupResourceValues values;
    values.elevation = elevation.value_or(DefaultElevation(project.payload.script));
    values.version = {v.Title, v.Publisher, project.description.empty() ? v.Title + " Setup" : project.description,
                      SetupProductVersion(project), project.setupName + ".exe"};
    if (!project.iconFile.empty()) values.icon = ReadFileBytes(fs::path(project.folder) / project.iconFile);
    return values;
}

// -v: where the files of each web media block went: only into the block's
// archive, and where the installer takes them from after the fetch.
void ShowBlockFiles(const Project& project) {
    for (const RecordingCommand& c : RecordingCommands(project)) {
        const WebMediaFolder* block = FetchedBlock(project, c);
        if (!block) continue;
        for (const BlockFile& file : BlockFiles(project, c, *block))
            std::cout << file.projectPath << ": in " << block->first << ".7zip only, not in the package; installed "
                      << "from the data folder's " << file.fetchedFolder << file.name << "\n";
    }
}

int Build(const std::vector<std::string>& args) {
    std::string projectPath, outDir, engineDir, mediaPassword;
    SetupArch arch = SetupArch::x86;
    bool asWritten = false;
    bool verbose = false;
    std::optional<Elevation> elevation;
    SigningIdentity signing;
    bool singleFile = false;
    ProjectCheckOptions checkOptions;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) outDir = args[++i];
        else if (args[i] == "--single-file") singleFile = true;
        else if (args[i] == "--strict-forms") checkOptions.strictForms = true;
        else if (args[i] == "--engine-dir" && i + 1 < args.size()) engineDir = args[++i];
        else if (args[i] == "--media-password" && i + 1 < args.size()) mediaPassword = args[++i];
        else if (args[i] == "-v" || args[i] == "--verbose") verbose = true;
        else if (args[i] == "--as-written") asWritten = true;
        else if (args[i] == "--sign-cert" && i + 1 < args.size()) signing.certificate = args[++i];
        else if (args[i] == "--sign-key" && i + 1 < args.size()) signing.key = args[++i];
        else if (args[i] == "--timestamp" && i + 1 < args.size()) signing.timestampUrl = args[++i];
        else if (args[i] == "--elevation" && i + 1 < args.size()) {
            elevation = ParseElevation(args[++i]);
            if (!elevation)
                throw UsageError{"--elevation takes asInvoker, highestAvailable or requireAdministrator, not '" +
                                 args[i] + "'"};
        }
        else if (args[i] == "--arch" && i + 1 < args.size()) {
            const std::string name = args[++i];
            if (name == "x86") arch = SetupArch::x86;
            else if (name == "x64") arch = SetupArch::x64;
            else throw UsageError{"--arch takes x86 or x64, not '" + name + "'"};
        }
        else if (projectPath.empty()) projectPath = args[i];
        else throw UsageError{"unexpected argument '" + args[i] + "'"};
    }
    if (projectPath.empty() || outDir.empty()) throw UsageError{"a project and -o <dir> are required"};
    ShowToolOutput(verbose);
    if (signing.certificate.empty() != signing.key.empty())
        throw UsageError{"--sign-cert and --sign-key go together"};
    if (!signing.timestampUrl.empty() && signing.certificate.empty())
        throw UsageError{"--timestamp needs --sign-cert and --sign-key"};

    Project project = LoadProject(projectPath);
    // A setup is built only from a project the check passes, or, with
    // --as-written, whose findings are all values the engine runs by its own
    // rules (setups made elsewhere hold them).
    const ProjectCheckReport check = CheckProject(project, checkOptions);
    for (const auto& finding : check.findings) std::cerr << finding << "\n";
    for (const auto& warning : check.warnings) std::cerr << warning << "\n";
    if (!check.ok() && !(asWritten && check.onlyRunTimeFindings())) {
        std::cerr << "orvanta build: " << project.sourceFile << ": not built, the check found "
                  << check.findings.size() << " problem(s)";
        if (check.runTimeFindings > 0 && !asWritten)
            std::cerr << "; " << (check.onlyRunTimeFindings() ? "all" : std::to_string(check.runTimeFindings))
                      << " of them the engine runs by its own rules (--as-written builds those as written)";
        std::cerr << "\n";
        return 1;
    }
    if (project.packageFile.empty())
        throw SourceError(project.sourceFile, 1, "Package is required (an .msi file or a .wxs source)");
    const fs::path folder = project.folder;
    const fs::path engine = EngineFolder(engineDir, arch);
    singleFile = singleFile || project.singleFile;
    std::vector<const char*> programs = {"kebstub.exe", "keb.dll"};
    if (singleFile) programs.push_back(kLauncherProgram);
    for (const char* needed : programs)
        if (!fs::exists(engine / needed))
            throw std::runtime_error(std::string(needed) + " not found in " + engine.string() + " (build the " +
                                     (arch == SetupArch::x64 ? "win64" : "win32") +
                                     " preset or pass --engine-dir)");

    // Everything is made in a fresh folder inside the output folder and moved
    // into place only once all of it succeeded: a failed build leaves the
    // output folder as it was.
    fs::path target = fs::absolute(outDir).lexically_normal();
    if (!target.has_filename()) target = target.parent_path();  // "out/" or "."
    const StagingFolder staging(target);
    const fs::path& out = staging.path();
    const std::string base = project.setupName;
    const fs::path setup = out / (base + ".exe");
    {
        std::ofstream exe(setup, std::ios::binary | std::ios::trunc);
        exe << WithSetupResources(ReadFileBytes(engine / "kebstub.exe"), ResourceValues(project, elevation))
            << WritePayload(project.payload);
        if (!exe) throw std::runtime_error("cannot write " + setup.string());
    }
    const ProjectTranslations translations = AuthorTranslations(project);
    // The default language's engine texts travel appended to keb.dll, before
    // any signature: the engine reads them from behind the image.
    std::ofstream(out / "keb.dll", std::ios::binary | std::ios::trunc)
        << ReadFileBytes(engine / "keb.dll") << translations.defaultMessages;
    // Last: the signature covers the engine with its payload.
    if (!signing.certificate.empty()) {
        const ProjectValues& v = project.payload.project;
        SignFile(setup.string(), signing, v.Title, v.HelpLink);
        SignFile((out / "keb.dll").string(), signing, v.Title, v.HelpLink);
    }
    // The web media archives lie beside the setup (where it looks for a local
    // copy before downloading); the support archive carries their hashes.
    std::map<std::string, std::string> supportFiles = translations.supportFiles;
    const std::string mediaHashes = BuildWebMediaArchives(project, out.string(), mediaPassword);
    if (!mediaHashes.empty()) supportFiles[kMediaHashListName] = mediaHashes;
    for (const std::string& library : project.pluginLibraries)
        supportFiles[fs::path(library).filename().string()] = ReadFileBytes(folder / library);
    PackSupportFolder(project.supportFolder.empty() ? fs::path() : folder / project.supportFolder, supportFiles,
                      out / (base + ".res"));
    MakePackage(project, arch, folder / project.packageFile, out / (base + ".msi"));
    if (verbose) ShowBlockFiles(project);
    if (!project.splashFile.empty())
        fs::copy_file(folder / project.splashFile, out / "setup.bmp", fs::copy_options::overwrite_existing);
    // The marker that tells a maintenance run these are the product's complete sources.
    fs::create_directories(out / "data");
    std::ofstream(out / "data" / project.payload.project.ProductCode, std::ios::binary).close();
    if (singleFile) {
        std::set<std::string> separate;
        for (const auto& block : project.webMedia) separate.insert(block.first + ".7zip");
        MakeSingleFileSetup(out, base,
                            WithSetupResources(ReadFileBytes(engine / kLauncherProgram), ResourceValues(project, elevation)),
                            separate);
        if (!signing.certificate.empty())
            SignFile(setup.string(), signing, project.payload.project.Title, project.payload.project.HelpLink);
    }
    staging.MoveIntoPlace();
    std::cout << "built " << (fs::path(outDir) / (base + ".exe")).string() << " (" << project.payload.script.size()
              << " commands)\n";
    return 0;
}

OrvantaSubcommand verb("build", "checks a project, then builds its setup",
                       "build <project> -o <dir> [-v] [--as-written] [--single-file] [--arch x86|x64]\n"
                       "        [--engine-dir <dir>] [--media-password <text>] [--strict-forms]\n"
                       "        [--elevation asInvoker|highestAvailable|requireAdministrator]\n"
                       "        [--sign-cert <cert> --sign-key <key> [--timestamp <url>]]",
                       Build);

}  // namespace
