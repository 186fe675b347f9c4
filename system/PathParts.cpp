#include "system/PathParts.h"

#include "system/TextUtils.h"

namespace {
std::string EndingInBackslash(const std::string& text) { return text.empty() ? text : WithBackslash(text); }
}  // namespace

std::string FolderOf(std::string_view path) {
    const size_t separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? std::string() : std::string(path.substr(0, separator + 1));
}

std::string FileNameOf(std::string_view path) {
    const size_t separator = path.find_last_of("\\/");
    return std::string(separator == std::string_view::npos ? path : path.substr(separator + 1));
}

std::string FileNameOfScriptPath(const std::string& path) {
    const size_t separator = path.find_last_of("\\:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string FolderOfScriptPath(const std::string& path) {
    const size_t separator = path.find_last_of("\\:");
    return separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
}

std::string ExtensionOfScriptPath(const std::string& path) {
    const std::string name = FileNameOfScriptPath(path);
    const size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string DriveOfScriptPath(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (!StartsWith(path, "\\\\")) return {};
    // "\\server\share": up to the backslash after the share name.
    const size_t serverEnd = path.find('\\', 2);
    if (serverEnd == std::string::npos) return path;
    const size_t shareEnd = path.find('\\', serverEnd + 1);
    return shareEnd == std::string::npos ? path : path.substr(0, shareEnd);
}

std::string PathPart(const std::string& path, int part) {
    switch (part) {
    case 0: return FileNameOfScriptPath(path);
    case 1: return ReplaceText(FileNameOfScriptPath(path), ExtensionOfScriptPath(path), "", false, false);
    case 2: {
        const std::string extension = ExtensionOfScriptPath(path);
        return extension.empty() ? extension : extension.substr(1);
    }
    case 3: return EndingInBackslash(FolderOfScriptPath(path));
    case 4: {
        std::string folder = FolderOfScriptPath(path);
        if (!folder.empty() && folder.back() == '\\') folder.pop_back();
        return EndingInBackslash(FolderOfScriptPath(folder));
    }
    case 5: return EndingInBackslash(DriveOfScriptPath(path));
    case 6: return ReplaceText(path, "\\\\", "\\", false);
    default: return path;
    }
}
