#include "dialogs/TargetFolder.h"

#include "system/TextUtils.h"

std::string ParentFolder(const std::string& folder) {
    std::string trimmed = folder;
    if (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
    const size_t slash = trimmed.find_last_of('\\');
    return slash == std::string::npos ? folder : trimmed.substr(0, slash + 1);
}

std::string DeepestExistingFolder(const std::string& folder, const FolderTest& exists) {
    std::string current = folder;
    while (!current.empty() && !exists(current)) {
        const std::string parent = ParentFolder(current);
        if (parent == current) break;
        current = parent;
    }
    return current;
}

std::string TargetTail(const std::string& target, const FolderTest& exists) {
    const std::string existing = DeepestExistingFolder(target, exists);
    if (existing.size() >= target.size() || !StartsWith(target, existing)) return "";
    return target.substr(existing.size());
}

std::string ChosenTarget(const std::string& shownTarget, const std::string& tail, const std::string& chosen) {
    if (chosen.empty()) return "";
    const std::string start = shownTarget.empty() ? chosen : shownTarget;
    if (StartsWith(UpperAscii(start), UpperAscii(chosen))) return start;
    return (chosen.back() == '\\' ? chosen : chosen + "\\") + tail;
}
