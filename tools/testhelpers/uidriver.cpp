// Finds a top-level window by its caption and reads or clicks its controls,
// across processes in the same Wine prefix. Used by the end-to-end tests.
//
//   uidriver wait CAPTION [TIMEOUT_MS]          prints the window handle
//   uidriver controls CAPTION [TIMEOUT_MS]      one line per control: class, id, text
//   uidriver click CAPTION BUTTON [TIMEOUT_MS]  clicks the button with that text
//   uidriver settext CAPTION CONTROL TEXT [TIMEOUT_MS]
//                                               sets the text of a control (an edit field)
//   uidriver rect CAPTION [TIMEOUT_MS]          left top width height of the window,
//                                               then width and height of its client area
//   uidriver layout CAPTION [TIMEOUT_MS]        one line per control: class, id, left, top,
//                                               width, height (in the window's client area),
//                                               1 when visible else 0, 1 when enabled else 0, text
//   uidriver type CAPTION CONTROL TEXT [TIMEOUT_MS]
//                                               types TEXT into the control key by key (WM_CHAR;
//                                               "\b" is Backspace), as the keyboard does after
//                                               translation
//   uidriver treepick CAPTION PATH [TIMEOUT_MS]
//                                               selects an item of the window's tree view as a user
//                                               opening its branches would: PATH is "\\"-joined parts
//                                               of the items' texts from the top ("Desktop\\C:\\Apps");
//                                               prints the texts of a level where a part is not found
//   uidriver treeitems CAPTION [TIMEOUT_MS]     one line per item of the window's tree view, parents
//                                               first: "\\"-joined path, image index, and left top
//                                               right bottom of its text on the screen
//   uidriver close CAPTION [TIMEOUT_MS]         asks the window to close (WM_CLOSE)
//   uidriver move CAPTION LEFT TOP [TIMEOUT_MS] moves the window
//   uidriver progress CAPTION [TIMEOUT_MS]      one line per progress bar: minimum maximum position
//   uidriver focus CAPTION [TIMEOUT_MS]         class, id and text of the control with the focus
//   uidriver select CAPTION CONTROL INDEX [TIMEOUT_MS]
//                                               selects an item of a combo or list box and tells
//                                               the window as a user's choice would
//
// CONTROL and BUTTON name a control by its text or, as "#ID", by its id.
//
// Exit codes: 0 done, 1 window or control not found in time, 2 bad usage.
#include <windows.h>
#include <commctrl.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string WindowText(HWND window) {
    char buffer[4096];
    // WM_GETTEXT reads control texts of other processes as well.
    LRESULT n = SendMessageA(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return std::string(buffer, static_cast<size_t>(n > 0 ? n : 0));
}

std::string ClassOf(HWND window) {
    char buffer[256];
    int n = GetClassNameA(window, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? n : 0);
}

// Line breaks written as \n so that every control stays on one line.
std::string OneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

struct Search {
    std::string caption;
    HWND found = nullptr;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    // "*part" finds the window whose caption holds that part: a caption in
    // another language's code page cannot come through the command line.
    const bool part = search->caption.size() > 1 && search->caption[0] == '*';
    const std::string text = WindowText(window);
    if (IsWindowVisible(window) &&
        (part ? text.find(search->caption.substr(1)) != std::string::npos : text == search->caption)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(const std::string& caption, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (true) {
        Search search{caption};
        EnumWindows(MatchCaption, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        if (GetTickCount() - start >= timeoutMs) return nullptr;
        Sleep(50);
    }
}

BOOL CALLBACK CollectChild(HWND window, LPARAM data) {
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
    return TRUE;
}

std::vector<HWND> Controls(HWND window) {
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

// The button text without its accelerator mark: "&OK" matches "OK".
std::string WithoutAmpersand(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != '&') out += c;
    return out;
}

// The control named by "#ID" or by its text.
HWND FindControl(HWND window, const std::string& name) {
    const bool byId = name.size() > 1 && name[0] == '#';
    const int id = byId ? std::atoi(name.c_str() + 1) : 0;
    const std::string wanted = WithoutAmpersand(name);
    for (HWND child : Controls(window)) {
        if (byId ? GetDlgCtrlID(child) == id : WithoutAmpersand(WindowText(child)) == wanted) return child;
    }
    return nullptr;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Memory in the tree's process, where the tree view writes an item's text.
class RemoteItem {
public:
    explicit RemoteItem(HWND tree) : tree_(tree) {
        DWORD id = 0;
        GetWindowThreadProcessId(tree, &id);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, id);
        if (process_) at_ = VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteItem() {
        if (at_) VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteItem(const RemoteItem&) = delete;
    RemoteItem& operator=(const RemoteItem&) = delete;

    std::string Text(HTREEITEM item) {
        int image = 0;
        return Read(item, image);
    }

    // The item's text, and its image index into image.
    std::string Read(HTREEITEM item, int& image) {
        if (!at_) return "";
        TVITEMA info{};
        info.mask = TVIF_TEXT | TVIF_IMAGE;
        info.hItem = item;
        info.pszText = static_cast<char*>(at_) + sizeof info;
        info.cchTextMax = kSize - sizeof info - 1;
        char text[kSize] = {};
        if (!WriteProcessMemory(process_, at_, &info, sizeof info, nullptr) ||
            !SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(at_)) ||
            !ReadProcessMemory(process_, at_, &info, sizeof info, nullptr) ||
            !ReadProcessMemory(process_, static_cast<char*>(at_) + sizeof info, text, kSize - sizeof info - 1, nullptr))
            return "";
        image = info.iImage;
        return text;
    }

    // The rectangle of the item's text in the tree's client area (the tree
    // view reads the item from the rectangle's first bytes).
    bool TextRect(HTREEITEM item, RECT& rect) {
        if (!at_) return false;
        std::memcpy(&rect, &item, sizeof item);
        return WriteProcessMemory(process_, at_, &rect, sizeof rect, nullptr) &&
               SendMessageA(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(at_)) &&
               ReadProcessMemory(process_, at_, &rect, sizeof rect, nullptr);
    }

private:
    static constexpr size_t kSize = 1024;
    HWND tree_;
    HANDLE process_ = nullptr;
    void* at_ = nullptr;
};

HTREEITEM TreeItem(HWND tree, UINT relation, HTREEITEM from) {
    return reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
}

// Opens the branches along the path's parts and selects the last item.
bool PickTreeItem(HWND tree, const std::string& path) {
    RemoteItem remote(tree);
    HTREEITEM parent = nullptr, found = nullptr;
    for (size_t start = 0; start <= path.size();) {
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        const std::string part = Lower(path.substr(start, end - start));
        start = end + 1;
        if (parent) SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(parent));
        std::string seen;
        found = nullptr;
        for (HTREEITEM item = parent ? TreeItem(tree, TVGN_CHILD, parent) : TreeItem(tree, TVGN_ROOT, nullptr);
             item && !found; item = TreeItem(tree, TVGN_NEXT, item)) {
            const std::string text = remote.Text(item);
            if (Lower(text).find(part) != std::string::npos) found = item;
            seen += " [" + text + "]";
        }
        if (!found) {
            std::printf("no item \"%s\" among%s\n", part.c_str(), seen.c_str());
            return false;
        }
        parent = found;
    }
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(found));
    SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(found));
    return true;
}

// Every item, parents first: its path, image index and the screen rectangle of its text.
void ListTreeItems(HWND tree, RemoteItem& remote, HTREEITEM first, const std::string& parentPath) {
    for (HTREEITEM item = first; item; item = TreeItem(tree, TVGN_NEXT, item)) {
        int image = -1;
        const std::string path = parentPath + remote.Read(item, image);
        RECT rect{};
        if (remote.TextRect(item, rect)) MapWindowPoints(tree, HWND_DESKTOP, reinterpret_cast<POINT*>(&rect), 2);
        std::printf("%s\t%d\t%ld\t%ld\t%ld\t%ld\n", path.c_str(), image, rect.left, rect.top, rect.right, rect.bottom);
        ListTreeItems(tree, remote, TreeItem(tree, TVGN_CHILD, item), path + "\\");
    }
}

int Usage() {
    std::fprintf(stderr, "usage: uidriver wait|controls|rect|layout|close|progress CAPTION [TIMEOUT_MS]\n"
                         "       (a CAPTION of \"*part\" finds the window whose caption holds part)\n"
                         "       uidriver click CAPTION BUTTON [TIMEOUT_MS]\n"
                         "       uidriver settext|type CAPTION CONTROL TEXT [TIMEOUT_MS]\n"
                         "       uidriver move CAPTION LEFT TOP [TIMEOUT_MS]\n"
                         "       uidriver focus CAPTION [TIMEOUT_MS]\n"
                         "       uidriver select CAPTION CONTROL INDEX [TIMEOUT_MS]\n"
                         "       uidriver treepick CAPTION PATH [TIMEOUT_MS]\n"
                         "       uidriver treeitems CAPTION [TIMEOUT_MS]\n");
    return 2;
}

int Run(int argc, char** argv) {
    if (argc < 3) return Usage();
    const std::string verb = argv[1], caption = argv[2];
    const bool click = verb == "click", setText = verb == "settext", move = verb == "move", select = verb == "select";
    const bool type = verb == "type", treePick = verb == "treepick";
    const int timeoutArg = click || treePick ? 4 : setText || move || select || type ? 5 : 3;
    if (argc < timeoutArg) return Usage();
    const DWORD timeout = argc > timeoutArg ? std::strtoul(argv[timeoutArg], nullptr, 10) : 10000;

    HWND window = WaitForWindow(caption, timeout);
    if (!window) {
        std::fprintf(stderr, "no window captioned \"%s\"\n", caption.c_str());
        return 1;
    }
    if (verb == "wait") {
        std::printf("%llu\n", static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));
    } else if (verb == "rect") {
        RECT r, client;
        GetWindowRect(window, &r);
        GetClientRect(window, &client);
        std::printf("%ld %ld %ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top, client.right,
                    client.bottom);
    } else if (verb == "layout") {
        for (HWND child : Controls(window)) {
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&r), 2);
            std::printf("%s\t%d\t%ld\t%ld\t%ld\t%ld\t%d\t%d\t%s\n", ClassOf(child).c_str(), GetDlgCtrlID(child),
                        r.left, r.top, r.right - r.left, r.bottom - r.top, IsWindowVisible(child) ? 1 : 0,
                        IsWindowEnabled(child) ? 1 : 0, OneLine(WindowText(child)).c_str());
        }
    } else if (verb == "close") {
        PostMessageA(window, WM_CLOSE, 0, 0);
    } else if (verb == "controls") {
        for (HWND child : Controls(window))
            std::printf("%s\t%d\t%s\n", ClassOf(child).c_str(), GetDlgCtrlID(child),
                        OneLine(WindowText(child)).c_str());
    } else if (move) {
        SetWindowPos(window, nullptr, std::atoi(argv[3]), std::atoi(argv[4]), 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (verb == "progress") {
        for (HWND child : Controls(window)) {
            if (ClassOf(child) != PROGRESS_CLASSA) continue;
            // The low and high limits come back as results: no pointer crosses the process.
            std::printf("%ld %ld %ld\n", static_cast<long>(SendMessageA(child, PBM_GETRANGE, TRUE, 0)),
                        static_cast<long>(SendMessageA(child, PBM_GETRANGE, FALSE, 0)),
                        static_cast<long>(SendMessageA(child, PBM_GETPOS, 0, 0)));
        }
    } else if (verb == "focus") {
        // GetFocus answers only for the caller's own thread.
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndFocus) return 1;
        std::printf("%s\t%d\t%s\n", ClassOf(info.hwndFocus).c_str(), GetDlgCtrlID(info.hwndFocus),
                    OneLine(WindowText(info.hwndFocus)).c_str());
    } else if (select) {
        HWND control = FindControl(window, argv[3]);
        if (!control) {
            std::fprintf(stderr, "no control \"%s\"\n", argv[3]);
            return 1;
        }
        const bool combo = ClassOf(control).find("ComboBox") != std::string::npos;
        SendMessageA(control, combo ? CB_SETCURSEL : LB_SETCURSEL, std::atoi(argv[4]), 0);
        const WORD code = combo ? CBN_SELCHANGE : LBN_SELCHANGE;
        SendMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
                     reinterpret_cast<LPARAM>(control));
    } else if (treePick || verb == "treeitems") {
        HWND tree = nullptr;
        for (HWND child : Controls(window))
            if (ClassOf(child) == WC_TREEVIEWA) tree = child;
        if (!tree) {
            std::fprintf(stderr, "no tree view\n");
            return 1;
        }
        if (treePick && !PickTreeItem(tree, argv[3])) return 1;
        if (!treePick) {
            RemoteItem remote(tree);
            ListTreeItems(tree, remote, TreeItem(tree, TVGN_ROOT, nullptr), "");
        }
    } else if (type) {
        HWND control = FindControl(window, argv[3]);
        if (!control) {
            std::fprintf(stderr, "no control \"%s\"\n", argv[3]);
            return 1;
        }
        const std::string keys = argv[4];
        for (size_t i = 0; i < keys.size(); ++i) {
            const bool backspace = keys.compare(i, 2, "\\b") == 0;
            // Sent, not posted: each key is handled before the next one.
            SendMessageA(control, WM_CHAR, backspace ? '\b' : static_cast<unsigned char>(keys[i]), 1);
            if (backspace) ++i;
        }
    } else if (click || setText) {
        HWND control = FindControl(window, argv[3]);
        if (!control) {
            std::fprintf(stderr, "no control \"%s\"\n", argv[3]);
            return 1;
        }
        if (setText)
            SendMessageA(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]));
        else
            // Posted, so a dialog that closes on the click never blocks us.
            PostMessageA(control, BM_CLICK, 0, 0);
    } else {
        return Usage();
    }
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (...) {
        return 2;
    }
}
