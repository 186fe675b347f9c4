// The file, folder and drive controls, built on list boxes, combo boxes and
// tree views: a file list, a folder list (the open path, then subfolders), a
// drive combo, a filter combo, and the shell tree, list and combo.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "dialogs/DesignedControls_win32.h"
#include "system/CurrentFolder.h"
#include "system/DirectoryListing.h"
#include "system/Files.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// "C:\Dir" without a trailing backslash, except for a drive root "C:\".
std::string Folder(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    if (path.size() == 2 && path[1] == ':') path += '\\';
    return path;
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder.empty() || folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

// The current folder, or C:\ when the system cannot say.
std::string StartingFolder() {
    const std::string current = CurrentFolder();
    return current.empty() ? "C:\\" : Folder(current);
}

std::vector<std::string> Entries(const std::string& folder, bool folders, const std::string& mask = "*") {
    std::vector<std::string> names;
    for (const DirectoryEntry& entry : ListDirectory(Join(folder, mask)))
        if (entry.folder == folders) names.push_back(entry.name);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
    return names;
}

std::vector<std::string> Drives() {
    char buffer[512] = {};
    std::vector<std::string> drives;
    const DWORD length = GetLogicalDriveStringsA(sizeof buffer - 1, buffer);
    if (length == 0 || length >= sizeof buffer) return drives;
    for (const char* drive = buffer; *drive; drive += std::strlen(drive) + 1) drives.push_back(drive);
    return drives;
}

// "c: [System]" as drive boxes show it; labels only of fixed drives (others may wait for a medium).
std::string DriveText(const std::string& root) {
    std::string text = Lower(root.substr(0, 2));
    char label[MAX_PATH + 1] = {};
    if (GetDriveTypeA(root.c_str()) == DRIVE_FIXED &&
        GetVolumeInformationA(root.c_str(), label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0) && *label)
        text += std::string(" [") + label + "]";
    return text;
}

std::string StoredText(const ControlRecord& r, const char* property) {
    const FormValue* value = r.object->Find(property);
    return value && value->IsText() ? value->AsText() : "";
}

int Selected(const ControlRecord& r, bool combo) {
    return static_cast<int>(SendMessageA(r.window, combo ? CB_GETCURSEL : LB_GETCURSEL, 0, 0));
}

void Add(ControlRecord& r, bool combo, const std::string& text, const std::string& path) {
    SendMessageA(r.window, combo ? CB_ADDSTRING : LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    r.itemPaths.push_back(path);
}

void Reset(ControlRecord& r, bool combo) {
    SendMessageA(r.window, combo ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
    r.itemPaths.clear();
}

void SelectPath(ControlRecord& r, bool combo, const std::string& path) {
    for (size_t i = 0; i < r.itemPaths.size(); ++i)
        if (Lower(r.itemPaths[i]) == Lower(path))
            SendMessageA(r.window, combo ? CB_SETCURSEL : LB_SETCURSEL, i, 0);
}

void FillFileList(ControlRecord& r) {
    Reset(r, false);
    std::string mask = StoredText(r, "Mask");
    if (mask.empty()) mask = "*.*";
    // Sorted by the list itself: the item paths follow the list's order.
    std::vector<std::string> names;
    for (size_t start = 0; start <= mask.size();) {
        const size_t end = std::min(mask.find(';', start), mask.size());
        for (const std::string& name : Entries(r.folder, false, mask.substr(start, end - start))) names.push_back(name);
        start = end + 1;
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return Lower(a) < Lower(b); });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    for (const std::string& name : names) Add(r, false, name, Join(r.folder, name));
}

// The open path from the drive root down, then the subfolders of the folder.
void FillDirectoryList(ControlRecord& r) {
    Reset(r, false);
    std::string path;
    int depth = 0;
    for (size_t start = 0; start < r.folder.size();) {
        size_t end = r.folder.find('\\', start);
        if (end == std::string::npos) end = r.folder.size();
        const std::string part = r.folder.substr(start, end - start);
        if (!part.empty()) {
            path = depth == 0 ? part + "\\" : Join(path, part);
            Add(r, false, std::string(static_cast<size_t>(depth) * 2, ' ') + (depth == 0 ? Lower(path) : part), Folder(path));
            ++depth;
        }
        start = end + 1;
    }
    const int open = static_cast<int>(r.itemPaths.size()) - 1;
    for (const std::string& name : Entries(r.folder, true))
        Add(r, false, std::string(static_cast<size_t>(depth) * 2, ' ') + name, Join(r.folder, name));
    SendMessageA(r.window, LB_SETCURSEL, std::max(open, 0), 0);
}

void FillShellList(ControlRecord& r) {
    Reset(r, false);
    for (const std::string& name : Entries(r.folder, true)) Add(r, false, "[" + name + "]", Join(r.folder, name));
    for (const std::string& name : Entries(r.folder, false)) Add(r, false, name, Join(r.folder, name));
}

void FillDrives(ControlRecord& r) {
    Reset(r, true);
    for (const std::string& drive : Drives()) Add(r, true, DriveText(drive), drive);
    SelectPath(r, true, Folder(r.folder.substr(0, 3)));
}

void FillShellCombo(ControlRecord& r) {
    Reset(r, true);
    for (const std::string& drive : Drives()) {
        Add(r, true, drive, drive);
        if (Lower(drive) == Lower(r.folder.substr(0, 3)) && r.folder.size() > 3) Add(r, true, r.folder, r.folder);
    }
    SelectPath(r, true, r.folder);
}

// "Text files (*.txt)|*.txt|All files|*.*": descriptions shown, masks kept.
void FillFilters(ControlRecord& r) {
    Reset(r, true);
    const std::string filter = StoredText(r, "Filter");
    std::vector<std::string> parts;
    for (size_t start = 0; start <= filter.size() && !filter.empty();) {
        const size_t end = std::min(filter.find('|', start), filter.size());
        parts.push_back(filter.substr(start, end - start));
        start = end + 1;
    }
    for (size_t i = 0; i + 1 < parts.size(); i += 2) Add(r, true, parts[i], parts[i + 1]);
    if (parts.size() == 1) Add(r, true, parts[0], parts[0]);
    SendMessageA(r.window, CB_SETCURSEL, 0, 0);
}

HTREEITEM InsertFolder(ControlRecord& r, HTREEITEM parent, const std::string& text, const std::string& path) {
    TVINSERTSTRUCTA insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
    insert.item.pszText = const_cast<char*>(text.c_str());
    insert.item.cChildren = 1;  // found out when the item opens
    insert.item.lParam = static_cast<LPARAM>(r.itemPaths.size());
    r.itemPaths.push_back(path);
    return reinterpret_cast<HTREEITEM>(SendMessageA(r.window, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

std::string ItemPath(const ControlRecord& r, HTREEITEM item) {
    TVITEMA info{};
    info.mask = TVIF_PARAM;
    info.hItem = item;
    if (!item || !SendMessageA(r.window, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info))) return "";
    const size_t index = static_cast<size_t>(info.lParam);
    return index < r.itemPaths.size() ? r.itemPaths[index] : "";
}

HTREEITEM Child(HWND tree, HTREEITEM item, UINT which) {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, which, reinterpret_cast<LPARAM>(item)));
}

// Opens the tree along the folder's path and selects it.
void SelectInTree(ControlRecord& r, const std::string& folder) {
    HTREEITEM item = Child(r.window, nullptr, TVGN_ROOT);
    HTREEITEM found = nullptr;
    while (item) {
        const std::string path = Lower(ItemPath(r, item));
        const std::string wanted = Lower(folder);
        if (path == wanted) {
            found = item;
            break;
        }
        const std::string prefix = path.back() == '\\' ? path : path + "\\";
        if (wanted.compare(0, prefix.size(), prefix) == 0) {
            ExpandShellTreeItem(r, item);
            SendMessageA(r.window, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
            item = Child(r.window, item, TVGN_CHILD);
        } else {
            item = Child(r.window, item, TVGN_NEXT);
        }
    }
    if (found) SendMessageA(r.window, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(found));
}

}  // namespace

void ExpandShellTreeItem(ControlRecord& r, HTREEITEM item) {
    if (r.kind != NativeKind::ShellTree || Child(r.window, item, TVGN_CHILD)) return;
    const std::string folder = ItemPath(r, item);
    const std::vector<std::string> names = Entries(folder, true);
    for (const std::string& name : names) InsertFolder(r, item, name, Join(folder, name));
    if (names.empty()) {
        TVITEMA info{};
        info.mask = TVIF_CHILDREN;
        info.hItem = item;
        info.cChildren = 0;
        SendMessageA(r.window, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void FillFolderControl(ControlRecord& r) {
    std::string start = StoredText(r, r.kind == NativeKind::ShellTree || r.kind == NativeKind::ShellList ||
                                              r.kind == NativeKind::ShellCombo
                                          ? "Path"
                                          : "Directory");
    r.folder = !start.empty() && FolderExists(start) ? Folder(start) : StartingFolder();
    switch (r.kind) {
        case NativeKind::FileList: FillFileList(r); break;
        case NativeKind::DirectoryList: FillDirectoryList(r); break;
        case NativeKind::ShellList: FillShellList(r); break;
        case NativeKind::DriveCombo: FillDrives(r); break;
        case NativeKind::ShellCombo: FillShellCombo(r); break;
        case NativeKind::FilterCombo: FillFilters(r); break;
        case NativeKind::ShellTree:
            for (const std::string& drive : Drives()) InsertFolder(r, TVI_ROOT, drive.substr(0, 2), drive);
            break;
        default: break;
    }
}

bool ShowFolder(ControlRecord& r, const std::string& folder) {
    if (folder.empty() || !FolderExists(folder)) return false;
    r.folder = Folder(folder);
    switch (r.kind) {
        case NativeKind::FileList: FillFileList(r); break;
        case NativeKind::DirectoryList: FillDirectoryList(r); break;
        case NativeKind::ShellList: FillShellList(r); break;
        case NativeKind::DriveCombo: SelectPath(r, true, Folder(r.folder.substr(0, 3))); break;
        case NativeKind::ShellCombo: FillShellCombo(r); break;
        case NativeKind::ShellTree: SelectInTree(r, r.folder); break;
        default: return false;
    }
    return true;
}

bool FolderItemChosen(ControlRecord& r, bool doubleClick) {
    const bool combo = r.kind == NativeKind::DriveCombo || r.kind == NativeKind::ShellCombo ||
                       r.kind == NativeKind::FilterCombo;
    const int index = Selected(r, combo);
    if (index < 0 || static_cast<size_t>(index) >= r.itemPaths.size()) return false;
    const std::string path = r.itemPaths[static_cast<size_t>(index)];
    switch (r.kind) {
        case NativeKind::FileList: return !doubleClick;
        case NativeKind::DirectoryList: return doubleClick && ShowFolder(r, path);
        case NativeKind::ShellList:
            if (doubleClick && FolderExists(path)) return ShowFolder(r, path);
            return !doubleClick;
        case NativeKind::DriveCombo:
            // A drive without a medium keeps the previous one.
            if (!FolderExists(path)) {
                SelectPath(r, true, Folder(r.folder.substr(0, 3)));
                return false;
            }
            r.folder = Folder(path);
            return true;
        case NativeKind::ShellCombo: return ShowFolder(r, path);
        case NativeKind::FilterCombo: return true;
        default: return false;
    }
}

std::optional<std::string> FolderProperty(const ControlRecord& r, const std::string& name) {
    const bool combo = r.kind == NativeKind::DriveCombo || r.kind == NativeKind::ShellCombo ||
                       r.kind == NativeKind::FilterCombo;
    switch (r.kind) {
        case NativeKind::FileList:
        case NativeKind::DirectoryList:
        case NativeKind::ShellList:
        case NativeKind::DriveCombo:
        case NativeKind::ShellCombo:
        case NativeKind::FilterCombo:
        case NativeKind::ShellTree: break;
        default: return std::nullopt;
    }
    if (name == "directory" && (r.kind == NativeKind::FileList || r.kind == NativeKind::DirectoryList)) return r.folder;
    if (name == "drive" && r.kind == NativeKind::DriveCombo) return r.folder.substr(0, 1);
    if (name == "path" && r.kind == NativeKind::ShellTree) {
        return ItemPath(r, Child(r.window, nullptr, TVGN_CARET));
    }
    if (name == "path") return r.folder;
    const int index = r.kind == NativeKind::ShellTree ? -1 : Selected(r, combo);
    const std::string selected = index >= 0 && static_cast<size_t>(index) < r.itemPaths.size()
                                     ? r.itemPaths[static_cast<size_t>(index)]
                                     : "";
    if (name == "filename" && (r.kind == NativeKind::FileList || r.kind == NativeKind::ShellList)) return selected;
    if (name == "mask" && r.kind == NativeKind::FilterCombo) return selected;
    return std::nullopt;
}

bool SetFolderProperty(ControlRecord& r, const std::string& name, const std::string& text) {
    if (FolderProperty(r, name) == std::nullopt && !(name == "mask" && r.kind == NativeKind::FileList)) return false;
    if (name == "directory" || name == "path") {
        ShowFolder(r, text);
    } else if (name == "drive" && !text.empty()) {
        ShowFolder(r, text.substr(0, 1) + ":\\");
    } else if (name == "mask" && r.kind == NativeKind::FileList) {
        FillFileList(r);
    } else if (name == "filename") {
        SelectPath(r, false, text);
    }
    return true;
}
