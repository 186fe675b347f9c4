#include "tools/authoring/NewProject.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "system/TextUtils.h"
#include "tools/authoring/NewProjectFiles.h"

namespace fs = std::filesystem;

namespace {

// The removal pages are the installation's welcome and progress pages with
// their own texts: one design for both.
struct DerivedForm {
    const char* path;
    const char* from;
    std::vector<std::pair<const char*, const char*>> texts;
};

const DerivedForm kRemovalForms[] = {
    {"support/remove.dfm",
     "support/welcome.dfm",
     {{"object Welcome: TForm", "object Remove: TForm"},
      {"'Welcome to the $TITLE$ Setup'", "'Remove $TITLE$'"},
      {"'This wizard installs $TITLE$ on your computer. Click Next to continue, or Cancel to leave the setup without "
       "changes.'",
       "'Setup will remove $TITLE$ and its files from your computer. Click Remove to continue, or Cancel to keep "
       "$TITLE$.'"},
      {"'&Next >'", "'&Remove'"}}},
    {"support/removing.dfm",
     "support/progress.dfm",
     {{"object Progress: TForm", "object Removing: TForm"},
      {"'Installing $TITLE$'", "'Removing $TITLE$'"},
      {"'Please wait while $TITLE$ is installed.'", "'Please wait while $TITLE$ is removed.'"}}},
};

const std::string& TemplateText(const std::string& path) {
    for (const TemplateFile& file : NewProjectFiles())
        if (file.path == path) return file.text;
    throw std::logic_error("orvanta new: no template file " + path);
}

std::string DerivedText(const DerivedForm& form) {
    std::string text = TemplateText(form.from);
    for (const auto& [designed, own] : form.texts) {
        if (text.find(designed) == std::string::npos)
            throw std::logic_error(std::string("orvanta new: ") + form.from + " lacks " + designed);
        text = ReplaceText(text, designed, own, false);
    }
    return text;
}

// The setup's file name: the title's letters and digits.
std::string SetupName(const std::string& title) {
    std::string name;
    for (char c : title)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_') name += c;
    return name.empty() ? "setup" : name;
}

void WriteNewFile(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    if (fs::exists(fs::symlink_status(path))) throw std::runtime_error(path.string() + " exists already");
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

std::string RandomGuid() {
    unsigned char bytes[16];
    const std::unique_ptr<FILE, int (*)(FILE*)> source(std::fopen("/dev/urandom", "rb"), std::fclose);
    if (!source || std::fread(bytes, 1, sizeof bytes, source.get()) != sizeof bytes)
        throw std::runtime_error("cannot read the system's random source /dev/urandom");
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // the RFC 4122 variant
    std::string guid = "{";
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) guid += '-';
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", bytes[i]);
        guid += hex;
    }
    return guid + "}";
}

void CreateNewProject(const fs::path& folder, const std::string& title) {
    const auto status = fs::symlink_status(folder);
    if (fs::is_symlink(status)) throw std::runtime_error(folder.string() + " is a link, not a folder");
    if (fs::exists(status) && !(fs::is_directory(status) && fs::is_empty(folder)))
        throw std::runtime_error(folder.string() + " exists and is not an empty folder");
    const std::string name = title.empty() ? fs::absolute(folder).lexically_normal().filename().string() : title;
    if (name.empty()) throw std::runtime_error("a project needs a title");
    for (char c : name)
        if (static_cast<unsigned char>(c) < ' ') throw std::runtime_error("a title is one line of text");
    const std::pair<std::string, std::string> fields[] = {{"{{TITLE}}", name},
                                                          {"{{SETUP}}", SetupName(name)},
                                                          {"{{PRODUCT_CODE}}", RandomGuid()},
                                                          {"{{REVISION_CODE}}", RandomGuid()},
                                                          {"{{UPGRADE_CODE}}", RandomGuid()}};
    const auto filled = [&fields](std::string text) {
        for (const auto& [field, value] : fields) text = ReplaceText(text, field, value, false);
        return text;
    };
    fs::create_directories(folder);
    for (const TemplateFile& file : NewProjectFiles()) WriteNewFile(folder / file.path, filled(file.text));
    for (const DerivedForm& form : kRemovalForms) {
        WriteNewFile(folder / form.path, DerivedText(form));
        WriteNewFile(folder / (std::string(form.path) + ".kebf"), "");
    }
}
