// The native control of each designed class: its window class and styles
// from the design, its live values and the writes the runtime makes.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <climits>
#include <cctype>

#include "dialogs/DesignedClasses.h"
#include "dialogs/DesignedColors.h"
#include "dialogs/DesignedControls_win32.h"
#include "dialogs/TreeNodeData.h"
#include "system/TextUtils.h"

namespace {

const char kSubclassProperty[] = "OrvantaSubclass";
const char kServicesProperty[] = "OrvantaSubclassServices";

bool Flag(const ControlRecord& record, const char* property, bool absent) {
    const FormValue* value = record.object->Find(property);
    if (!value || (value->type != FormValueType::True && value->type != FormValueType::False)) return absent;
    return value->type == FormValueType::True;
}

int Number(const ControlRecord& record, const char* property, int absent) {
    const FormValue* value = record.object->Find(property);
    if (!value || !value->IsInteger()) return absent;
    return static_cast<int>(std::clamp<int64_t>(value->integer, INT_MIN, INT_MAX));
}

std::string Ident(const ControlRecord& record, const char* property, const char* absent) {
    const FormValue* value = record.object->Find(property);
    return value && value->type == FormValueType::Identifier ? value->bytes : absent;
}

std::string Text(const ControlRecord& record, const char* property) {
    const FormValue* value = record.object->Find(property);
    return value && value->IsText() ? value->AsText() : "";
}

std::vector<std::string> Items(const ControlRecord& record, const char* property) {
    const FormValue* value = record.object->Find(property);
    if (!value || value->type != FormValueType::List) return {};
    return value->AsStringList();
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    text.resize(static_cast<size_t>(std::max(GetWindowTextA(window, text.data(), length + 1), 0)));
    return text;
}

// Rich edits keep lines with CR alone; the runtime sees CR LF everywhere.
std::string WithCrLf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) out += '\n';
    }
    return out;
}

bool IsList(NativeKind kind) {
    return kind == NativeKind::ListBox || kind == NativeKind::CheckListBox || kind == NativeKind::FileList ||
           kind == NativeKind::DirectoryList || kind == NativeKind::ShellList;
}

bool IsCombo(NativeKind kind) {
    return kind == NativeKind::ComboBox || kind == NativeKind::DriveCombo || kind == NativeKind::FilterCombo ||
           kind == NativeKind::ShellCombo;
}

bool IsEdit(NativeKind kind) {
    return kind == NativeKind::Edit || kind == NativeKind::Memo || kind == NativeKind::RichEdit;
}

bool HasCaption(NativeKind kind) {
    return kind == NativeKind::Label || kind == NativeKind::StaticText || kind == NativeKind::PushButton ||
           kind == NativeKind::CheckBox || kind == NativeKind::RadioButton || kind == NativeKind::GroupBox ||
           kind == NativeKind::Panel || kind == NativeKind::WhitePanel;
}

bool Focusable(const ControlRecord& record) {
    switch (record.kind) {
        case NativeKind::Label: case NativeKind::StaticText: case NativeKind::GroupBox: case NativeKind::Panel:
        case NativeKind::WhitePanel: case NativeKind::Image: case NativeKind::Shape: case NativeKind::Bevel:
        case NativeKind::Gauge: case NativeKind::ProgressBar: case NativeKind::UpDown: case NativeKind::Animate:
            return false;
        case NativeKind::PushButton: return record.className != "TSpeedButton";
        default: return true;
    }
}

DWORD AlignmentStyle(const std::string& alignment, DWORD left, DWORD center, DWORD right) {
    return alignment == "taCenter" ? center : alignment == "taRightJustify" ? right : left;
}

// Class name, styles and extended styles of the kind.
struct WindowKind {
    const char* windowClass;
    DWORD style = 0;
    DWORD exStyle = 0;
};

WindowKind KindFor(const ControlRecord& r) {
    const std::string alignment = Ident(r, "Alignment", "taLeftJustify");
    const DWORD clientEdge = Ident(r, "BorderStyle", "bsSingle") == "bsNone" ? 0 : WS_EX_CLIENTEDGE;
    switch (r.kind) {
        case NativeKind::Label: {
            DWORD style = SS_NOTIFY | AlignmentStyle(alignment, SS_LEFT, SS_CENTER, SS_RIGHT);
            if (!Flag(r, "WordWrap", false) && alignment == "taLeftJustify") style = SS_NOTIFY | SS_LEFTNOWORDWRAP;
            if (!Flag(r, "ShowAccelChar", true)) style |= SS_NOPREFIX;
            return {"STATIC", style};
        }
        case NativeKind::StaticText: {
            DWORD style = AlignmentStyle(alignment, SS_LEFT, SS_CENTER, SS_RIGHT);
            const std::string border = Ident(r, "BorderStyle", "sbsNone");
            if (border == "sbsSunken") style |= SS_SUNKEN;
            if (!Flag(r, "ShowAccelChar", true)) style |= SS_NOPREFIX;
            return {"STATIC", style, border == "sbsSingle" ? static_cast<DWORD>(WS_EX_STATICEDGE) : 0};
        }
        case NativeKind::Edit: {
            DWORD style = ES_AUTOHSCROLL | AlignmentStyle(alignment, ES_LEFT, ES_CENTER, ES_RIGHT);
            if (Flag(r, "ReadOnly", false)) style |= ES_READONLY;
            const std::string password = Text(r, "PasswordChar");
            if (!password.empty() && password[0] != '\0') style |= ES_PASSWORD;
            const std::string charCase = Ident(r, "CharCase", "ecNormal");
            if (charCase == "ecUpperCase") style |= ES_UPPERCASE;
            if (charCase == "ecLowerCase") style |= ES_LOWERCASE;
            if (Flag(r, "NumbersOnly", false)) style |= ES_NUMBER;
            return {"EDIT", style, clientEdge};
        }
        case NativeKind::Memo:
        case NativeKind::RichEdit: {
            DWORD style = ES_MULTILINE | ES_AUTOVSCROLL | AlignmentStyle(alignment, ES_LEFT, ES_CENTER, ES_RIGHT);
            if (Flag(r, "WantReturns", true)) style |= ES_WANTRETURN;
            if (!Flag(r, "WordWrap", true)) style |= ES_AUTOHSCROLL;
            if (Flag(r, "ReadOnly", false)) style |= ES_READONLY;
            const std::string bars = Ident(r, "ScrollBars", "ssNone");
            if (bars == "ssVertical" || bars == "ssBoth") style |= WS_VSCROLL;
            if (bars == "ssHorizontal" || bars == "ssBoth") style |= WS_HSCROLL;
            if (r.kind == NativeKind::RichEdit && !Flag(r, "HideScrollBars", true)) style |= ES_DISABLENOSCROLL;
            return {r.kind == NativeKind::RichEdit ? "RichEdit20A" : "EDIT", style, clientEdge};
        }
        case NativeKind::PushButton: {
            DWORD style = Flag(r, "Default", false) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
            if (Flag(r, "WordWrap", false)) style |= BS_MULTILINE;
            if (r.className == "TSpeedButton" && Flag(r, "Flat", false)) style |= BS_FLAT;
            return {"BUTTON", style};
        }
        case NativeKind::CheckBox: {
            DWORD style = Flag(r, "AllowGrayed", false) ? BS_AUTO3STATE : BS_AUTOCHECKBOX;
            // The box sits left of the text unless designed the other way round.
            if (Ident(r, "Alignment", "taRightJustify") == "taLeftJustify") style |= BS_LEFTTEXT;
            if (Flag(r, "WordWrap", false)) style |= BS_MULTILINE;
            return {"BUTTON", style};
        }
        case NativeKind::RadioButton: {
            // Checked by us, so that the radio buttons of one container form one group.
            DWORD style = BS_RADIOBUTTON;
            if (Ident(r, "Alignment", "taRightJustify") == "taLeftJustify") style |= BS_LEFTTEXT;
            if (Flag(r, "WordWrap", false)) style |= BS_MULTILINE;
            return {"BUTTON", style};
        }
        case NativeKind::ListBox:
        case NativeKind::CheckListBox:
        case NativeKind::FileList:
        case NativeKind::DirectoryList:
        case NativeKind::ShellList: {
            DWORD style = LBS_NOTIFY | WS_VSCROLL;
            if (!Flag(r, "IntegralHeight", false)) style |= LBS_NOINTEGRALHEIGHT;
            // Folder controls keep their items in their own order, with a path for each.
            if (r.kind == NativeKind::ListBox && Flag(r, "Sorted", false)) style |= LBS_SORT;
            if (Flag(r, "MultiSelect", false))
                style |= Flag(r, "ExtendedSelect", true) ? LBS_EXTENDEDSEL : LBS_MULTIPLESEL;
            if (Number(r, "Columns", 0) > 0) style |= LBS_MULTICOLUMN | WS_HSCROLL;
            if (r.kind == NativeKind::CheckListBox) style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
            return {"LISTBOX", style, clientEdge};
        }
        case NativeKind::ComboBox: {
            const std::string kind = Ident(r, "Style", "csDropDown");
            DWORD style = WS_VSCROLL | (kind == "csSimple"     ? CBS_SIMPLE
                                        : kind == "csDropDown" ? CBS_DROPDOWN | CBS_AUTOHSCROLL
                                                               : CBS_DROPDOWNLIST);
            if (Flag(r, "Sorted", false)) style |= CBS_SORT;
            return {"COMBOBOX", style};
        }
        case NativeKind::DriveCombo:
        case NativeKind::FilterCombo:
        case NativeKind::ShellCombo: return {"COMBOBOX", WS_VSCROLL | CBS_DROPDOWNLIST};
        case NativeKind::GroupBox: return {"BUTTON", BS_GROUPBOX, WS_EX_CONTROLPARENT};
        case NativeKind::TrackBar: {
            DWORD style = Ident(r, "Orientation", "trHorizontal") == "trVertical" ? TBS_VERT : TBS_HORZ;
            const std::string ticks = Ident(r, "TickStyle", "tsAuto");
            if (ticks == "tsNone") style |= TBS_NOTICKS;
            else if (ticks == "tsAuto") style |= TBS_AUTOTICKS;
            const std::string marks = Ident(r, "TickMarks", "tmBottomRight");
            if (marks == "tmTopLeft") style |= TBS_TOP;
            if (marks == "tmBoth") style |= TBS_BOTH;
            if (!Flag(r, "SliderVisible", true)) style |= TBS_NOTHUMB;
            return {TRACKBAR_CLASSA, style};
        }
        case NativeKind::ProgressBar: {
            DWORD style = Flag(r, "Smooth", false) ? PBS_SMOOTH : 0;
            if (Ident(r, "Orientation", "pbHorizontal") == "pbVertical") style |= PBS_VERTICAL;
            return {PROGRESS_CLASSA, style};
        }
        case NativeKind::UpDown: {
            DWORD style = 0;
            if (Flag(r, "ArrowKeys", true)) style |= UDS_ARROWKEYS;
            if (Flag(r, "Wrap", false)) style |= UDS_WRAP;
            if (!Flag(r, "Thousands", true)) style |= UDS_NOTHOUSANDS;
            if (Ident(r, "Orientation", "udVertical") == "udHorizontal") style |= UDS_HORZ;
            if (r.object->Find("Associate")) style |= UDS_SETBUDDYINT;
            return {UPDOWN_CLASSA, style};
        }
        case NativeKind::Animate: {
            DWORD style = 0;
            if (Flag(r, "Transparent", true)) style |= ACS_TRANSPARENT;
            if (Flag(r, "Center", true)) style |= ACS_CENTER;
            return {ANIMATE_CLASSA, style};
        }
        case NativeKind::TreeView:
        case NativeKind::ShellTree: {
            DWORD style = 0;
            if (Flag(r, "ShowLines", true)) style |= TVS_HASLINES;
            if (Flag(r, "ShowButtons", true)) style |= TVS_HASBUTTONS;
            if (Flag(r, "ShowRoot", true)) style |= TVS_LINESATROOT;
            if (!Flag(r, "HideSelection", true) || r.kind == NativeKind::ShellTree) style |= TVS_SHOWSELALWAYS;
            if (Flag(r, "RowSelect", false)) style |= TVS_FULLROWSELECT;
            return {WC_TREEVIEWA, style, clientEdge};
        }
        case NativeKind::Panel:
        case NativeKind::WhitePanel: return {PaintedClassName(r.kind), 0, WS_EX_CONTROLPARENT};
        case NativeKind::Image:
        case NativeKind::Shape:
        case NativeKind::Bevel:
        case NativeKind::Gauge: return {PaintedClassName(r.kind)};
    }
    return {"STATIC"};
}

// The text a window is created with.
std::string InitialText(const ControlRecord& r) {
    if (HasCaption(r.kind)) return r.object->Find("Caption") ? Text(r, "Caption") : KindCaption(r);
    if (r.kind == NativeKind::Memo || r.kind == NativeKind::RichEdit) return JoinLines(Items(r, "Lines.Strings"));
    if (r.kind == NativeKind::Edit) return MaskedShown(r, Text(r, "Text"));
    if (r.kind == NativeKind::ComboBox) return Text(r, "Text");
    return "";
}

void FillList(HWND window, NativeKind kind, const std::vector<std::string>& items) {
    const UINT reset = IsCombo(kind) ? CB_RESETCONTENT : LB_RESETCONTENT;
    const UINT add = IsCombo(kind) ? CB_ADDSTRING : LB_ADDSTRING;
    SendMessageA(window, reset, 0, 0);
    for (const std::string& item : items) SendMessageA(window, add, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

std::vector<std::string> ListItems(HWND window, NativeKind kind) {
    const bool combo = IsCombo(kind);
    const LRESULT count = SendMessageA(window, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    std::vector<std::string> items;
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageA(window, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0);
        if (length < 0) continue;
        std::string item(static_cast<size_t>(length) + 1, '\0');
        const LRESULT got = SendMessageA(window, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<size_t>(std::max<LRESULT>(got, 0)));
        items.push_back(std::move(item));
    }
    return items;
}

void SetRange(ControlRecord& r) {
    HWND w = r.window;
    const int minimum = Number(r, "Min", 0);
    const int maximum = Number(r, "Max", r.kind == NativeKind::TrackBar ? 10 : 100);
    const int position = Number(r, "Position", 0);
    switch (r.kind) {
        case NativeKind::TrackBar:
            SendMessageA(w, TBM_SETRANGEMIN, FALSE, minimum);
            SendMessageA(w, TBM_SETRANGEMAX, FALSE, maximum);
            SendMessageA(w, TBM_SETPOS, TRUE, position);
            break;
        case NativeKind::ProgressBar:
            SendMessageA(w, PBM_SETRANGE32, minimum, maximum);
            SendMessageA(w, PBM_SETPOS, position, 0);
            break;
        case NativeKind::UpDown:
            SendMessageA(w, UDM_SETRANGE32, minimum, maximum);
            SendMessageA(w, UDM_SETPOS32, 0, position);
            break;
        default: break;
    }
}

// Tree items of the design, below the parent item.
void InsertTreeNodes(HWND tree, HTREEITEM parent, const std::vector<TreeNode>& nodes) {
    for (const TreeNode& node : nodes) {
        TVINSERTSTRUCTA insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<char*>(node.text.c_str());
        HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
        if (item) InsertTreeNodes(tree, item, node.children);
    }
}

void OpenCommonMovie(ControlRecord& r) {
    static const std::pair<const char*, int> kMovies[] = {
        {"aviFindFolder", 150}, {"aviFindFile", 151},   {"aviFindComputer", 152}, {"aviCopyFiles", 160},
        {"aviCopyFile", 161},   {"aviRecycleFile", 162}, {"aviEmptyRecycle", 163}, {"aviDeleteFile", 164}};
    const std::string movie = Ident(r, "CommonAVI", "aviNone");
    for (const auto& [name, id] : kMovies) {
        if (movie != name) continue;
        SendMessageA(r.window, ACM_OPENA, reinterpret_cast<WPARAM>(GetModuleHandleA("shell32.dll")),
                     reinterpret_cast<LPARAM>(MAKEINTRESOURCEA(id)));
        if (Flag(r, "Active", false)) SendMessageA(r.window, ACM_PLAY, static_cast<WPARAM>(-1), MAKELONG(0, 0xFFFF));
    }
}

// Fills the new window with the design's values.
void Initialize(ControlRecord& r) {
    HWND w = r.window;
    switch (r.kind) {
        case NativeKind::Edit: {
            if (const int limit = Number(r, "MaxLength", 0); limit > 0) SendMessageA(w, EM_SETLIMITTEXT, limit, 0);
            const std::string password = Text(r, "PasswordChar");
            if (!password.empty() && password[0] != '\0')
                SendMessageA(w, EM_SETPASSWORDCHAR, static_cast<unsigned char>(password[0]), 0);
            break;
        }
        case NativeKind::Memo:
            if (const int limit = Number(r, "MaxLength", 0); limit > 0) SendMessageA(w, EM_SETLIMITTEXT, limit, 0);
            break;
        case NativeKind::RichEdit:
            SendMessageA(w, EM_SETEVENTMASK, 0, ENM_CHANGE);
            SendMessageA(w, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(r.backColor));
            if (const int limit = Number(r, "MaxLength", 0); limit > 0) SendMessageA(w, EM_EXLIMITTEXT, 0, limit);
            break;
        case NativeKind::CheckBox: {
            const std::string state = Ident(r, "State", "");
            SendMessageA(w, BM_SETCHECK,
                         state == "cbGrayed" ? BST_INDETERMINATE
                         : (state == "cbChecked" || Flag(r, "Checked", false)) ? BST_CHECKED
                                                                                : BST_UNCHECKED,
                         0);
            break;
        }
        case NativeKind::RadioButton:
            SendMessageA(w, BM_SETCHECK, Flag(r, "Checked", false) ? BST_CHECKED : BST_UNCHECKED, 0);
            break;
        case NativeKind::ListBox:
        case NativeKind::CheckListBox:
            FillList(w, r.kind, Items(r, "Items.Strings"));
            SendMessageA(w, LB_SETCURSEL, Number(r, "ItemIndex", -1), 0);
            if (const int columns = Number(r, "Columns", 0); columns > 0) {
                RECT client;
                GetClientRect(w, &client);
                SendMessageA(w, LB_SETCOLUMNWIDTH, std::max<int>(client.right / columns, 1), 0);
            }
            break;
        case NativeKind::ComboBox: {
            FillList(w, r.kind, Items(r, "Items.Strings"));
            if (const int limit = Number(r, "MaxLength", 0); limit > 0) SendMessageA(w, CB_LIMITTEXT, limit, 0);
            const int index = Number(r, "ItemIndex", -1);
            if (index >= 0) SendMessageA(w, CB_SETCURSEL, index, 0);
            const std::string text = Text(r, "Text");
            if (Ident(r, "Style", "csDropDown") == "csDropDownList" || Ident(r, "Style", "") == "csOwnerDrawFixed") {
                if (index < 0 && !text.empty())
                    SendMessageA(w, CB_SETCURSEL, SendMessageA(w, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                               reinterpret_cast<LPARAM>(text.c_str())), 0);
            } else if (index < 0) {
                SetWindowTextA(w, text.c_str());
            }
            break;
        }
        case NativeKind::TrackBar:
            SendMessageA(w, TBM_SETTICFREQ, std::max(Number(r, "Frequency", 1), 1), 0);
            SendMessageA(w, TBM_SETLINESIZE, 0, Number(r, "LineSize", 1));
            SendMessageA(w, TBM_SETPAGESIZE, 0, Number(r, "PageSize", 2));
            SetRange(r);
            break;
        case NativeKind::ProgressBar:
            SendMessageA(w, PBM_SETSTEP, Number(r, "Step", 10), 0);
            SetRange(r);
            break;
        case NativeKind::UpDown:
            SendMessageA(w, UDM_SETRANGE32, Number(r, "Min", 0), Number(r, "Max", 100));
            break;
        case NativeKind::Animate: OpenCommonMovie(r); break;
        case NativeKind::TreeView:
            if (const FormValue* data = r.object->Find("Items.Data"); data && data->type == FormValueType::Binary)
                InsertTreeNodes(w, TVI_ROOT, ReadTreeNodeData(data->bytes));
            break;
        case NativeKind::DirectoryList:
        case NativeKind::FileList:
        case NativeKind::DriveCombo:
        case NativeKind::FilterCombo:
        case NativeKind::ShellTree:
        case NativeKind::ShellList:
        case NativeKind::ShellCombo: FillFolderControl(r); break;
        default: break;
    }
}

// The radio buttons of a container form one group: checking one unchecks the others.
void UncheckOtherRadios(ControlRecord& r) {
    HWND parent = GetParent(r.window);
    for (HWND sibling = GetWindow(parent, GW_CHILD); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling == r.window) continue;
        auto* other = static_cast<ControlRecord*>(GetPropA(sibling, kSubclassProperty));
        if (other && other->kind == NativeKind::RadioButton) SendMessageA(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

constexpr int kCheckMargin = 2;

int CheckBoxSize(HWND list) {
    return std::max<int>(static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0)) - 2, 8);
}

void ToggleCheck(HWND list, int index) {
    const LRESULT checked = SendMessageA(list, LB_GETITEMDATA, index, 0);
    SendMessageA(list, LB_SETITEMDATA, index, checked == 1 ? 0 : 1);
    RECT item;
    if (SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) != LB_ERR)
        InvalidateRect(list, &item, TRUE);
}

// Subclassed native controls: group boxes pass their children's
// notifications on; check list boxes toggle their check marks; every control
// keeps its record at hand.
LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* record = static_cast<ControlRecord*>(GetPropA(window, kSubclassProperty));
    auto* services = static_cast<DialogServices*>(GetPropA(window, kServicesProperty));
    if (!record || !record->originalProc) return DefWindowProcA(window, message, wParam, lParam);
    const WNDPROC original = record->originalProc;
    try {
        if (record->kind == NativeKind::GroupBox && services) {
            switch (message) {
                case WM_COMMAND: case WM_NOTIFY: case WM_HSCROLL: case WM_VSCROLL: case WM_CTLCOLORSTATIC:
                case WM_CTLCOLOREDIT: case WM_CTLCOLORLISTBOX: case WM_CTLCOLORBTN: case WM_DRAWITEM:
                case WM_MEASUREITEM:
                    if (auto handled = services->notify(message, wParam, lParam)) return *handled;
                    break;
                case WM_ERASEBKGND: {
                    RECT r;
                    GetClientRect(window, &r);
                    FillRect(reinterpret_cast<HDC>(wParam), &r, record->backBrush);
                    return 1;
                }
            }
        }
        if (record->kind == NativeKind::CheckListBox && services) {
            if (message == WM_LBUTTONDOWN) {
                const LRESULT result = CallWindowProcA(original, window, message, wParam, lParam);
                const int x = static_cast<short>(LOWORD(lParam));
                const LRESULT hit = SendMessageA(window, LB_ITEMFROMPOINT, 0, lParam);
                if (HIWORD(hit) == 0 && x < CheckBoxSize(window) + 2 * kCheckMargin) {
                    ToggleCheck(window, LOWORD(hit));
                    services->fire(*record, ControlEvent::ClickCheck, POINT{x, static_cast<short>(HIWORD(lParam))});
                }
                return result;
            }
            if (message == WM_CHAR && wParam == ' ') {
                const LRESULT selected = SendMessageA(window, LB_GETCURSEL, 0, 0);
                if (selected >= 0) {
                    ToggleCheck(window, static_cast<int>(selected));
                    services->fire(*record, ControlEvent::ClickCheck, POINT{0, 0});
                }
                return 0;
            }
        }
        if (auto handled = MaskedEditMessage(*record, window, message, wParam)) return *handled;
        if (message == WM_NCDESTROY) {
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
            RemovePropA(window, kSubclassProperty);
            RemovePropA(window, kServicesProperty);
        }
    } catch (...) {
        return 0;
    }
    return CallWindowProcA(original, window, message, wParam, lParam);
}

}  // namespace

NativeKind NativeKindOf(const std::string& className) {
    static const std::pair<const char*, NativeKind> kKinds[] = {
        {"TLabel", NativeKind::Label},           {"TEdit", NativeKind::Edit},
        {"TMemo", NativeKind::Memo},             {"TButton", NativeKind::PushButton},
        {"TRzCheckBox", NativeKind::CheckBox},   {"TRzRadioButton", NativeKind::RadioButton},
        {"TListBox", NativeKind::ListBox},       {"TComboBox", NativeKind::ComboBox},
        {"TGroupBox", NativeKind::GroupBox},     {"TPanel", NativeKind::Panel},
        {"TBitBtn", NativeKind::PushButton},     {"TSpeedButton", NativeKind::PushButton},
        {"TMaskEdit", NativeKind::Edit},         {"TImage", NativeKind::Image},
        {"TShape", NativeKind::Shape},           {"TBevel", NativeKind::Bevel},
        {"TStaticText", NativeKind::StaticText}, {"TGauge", NativeKind::Gauge},
        {"TRichEdit", NativeKind::RichEdit},     {"TTrackBar", NativeKind::TrackBar},
        {"TProgressBar", NativeKind::ProgressBar}, {"TUpDown", NativeKind::UpDown},
        {"TAnimate", NativeKind::Animate},       {"TCheckListBox", NativeKind::CheckListBox},
        {"TTreeView", NativeKind::TreeView},     {"THTMLViewer", NativeKind::WhitePanel},
        {"TFileListBox", NativeKind::FileList},  {"TDirectoryListBox", NativeKind::DirectoryList},
        {"TDriveComboBox", NativeKind::DriveCombo}, {"TFilterComboBox", NativeKind::FilterCombo},
        {"TPTShellTree", NativeKind::ShellTree}, {"TPTShellList", NativeKind::ShellList},
        {"TPTShellCombo", NativeKind::ShellCombo}, {"TFlashFrame", NativeKind::WhitePanel},
    };
    for (const auto& [name, kind] : kKinds)
        if (className == name) return kind;
    return NativeKind::Label;
}

RECT ScreenBounds(const ControlRecord& record) {
    const DialogScale& scale = *record.scale;
    const int left = Number(record, "Left", 0), top = Number(record, "Top", 0);
    RECT bounds{scale.ToScreen(left), scale.ToScreen(top), scale.ToScreen(int64_t{left} + Number(record, "Width", 0)),
                scale.ToScreen(int64_t{top} + Number(record, "Height", 0))};
    if (IsCombo(record.kind) && Ident(record, "Style", "csDropDown") != "csSimple") {
        const int height = bounds.bottom - bounds.top;
        bounds.bottom += std::max(Number(record, "DropDownCount", 8), 1) * std::max(height - 4, 8);
    }
    return bounds;
}

HWND CreateNativeControl(ControlRecord& record, HWND parent, DialogServices& services) {
    const WindowKind kind = KindFor(record);
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | kind.style;
    if (Flag(record, "Visible", true)) style |= WS_VISIBLE;
    if (!Flag(record, "Enabled", true)) style |= WS_DISABLED;
    if (Focusable(record) && Flag(record, "TabStop", true)) style |= WS_TABSTOP;
    if (record.kind == NativeKind::GroupBox || record.kind == NativeKind::Panel || record.kind == NativeKind::WhitePanel)
        style |= WS_CLIPCHILDREN;
    const RECT bounds = ScreenBounds(record);
    if (record.className == "TMaskEdit") AttachMask(record, Text(record, "EditMask"));
    const std::string text = InitialText(record);
    HWND window = CreateWindowExA(kind.exStyle, kind.windowClass, text.c_str(), style, bounds.left, bounds.top,
                                  bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(record.id)), GetModuleHandleA(nullptr),
                                  nullptr);
    if (!window) return nullptr;
    record.window = window;
    if (PaintedClassName(record.kind)) {
        AttachPainted(window, &record, &services);
    } else {
        SetPropA(window, kSubclassProperty, &record);
        SetPropA(window, kServicesProperty, &services);
        record.originalProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc)));
    }
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(record.hfont), FALSE);
    if (record.kind == NativeKind::CheckListBox && record.itemHeight > 0)
        SendMessageA(window, LB_SETITEMHEIGHT, 0, record.itemHeight);
    Initialize(record);
    AttachGlyph(record);
    return window;
}

void LinkControls(ControlRecord& record, const std::function<ControlRecord*(const std::string&)>& find) {
    if (record.kind != NativeKind::UpDown) return;
    const FormValue* associate = record.object->Find("Associate");
    if (!associate || associate->type != FormValueType::Identifier) return;
    if (ControlRecord* buddy = find(associate->bytes)) {
        SendMessageA(record.window, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy->window), 0);
        SendMessageA(record.window, UDM_SETPOS32, 0, Number(record, "Position", 0));
    }
}

void DrawCheckListItem(const DRAWITEMSTRUCT& item, const ControlRecord& record) {
    if (item.itemID == static_cast<UINT>(-1)) return;
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    const int box = CheckBoxSize(item.hwndItem);
    RECT mark{r.left + kCheckMargin, r.top + (r.bottom - r.top - box) / 2, r.left + kCheckMargin + box, 0};
    mark.bottom = mark.top + box;
    FillRect(dc, &r, record.backBrush);
    const bool checked = SendMessageA(item.hwndItem, LB_GETITEMDATA, item.itemID, 0) == 1;
    DrawFrameControl(dc, &mark, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (checked ? DFCS_CHECKED : 0));
    RECT textRect = r;
    textRect.left = mark.right + kCheckMargin * 2;
    const std::string text = [&] {
        const LRESULT length = SendMessageA(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
        std::string t(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
        const LRESULT got = SendMessageA(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(t.data()));
        t.resize(static_cast<size_t>(std::max<LRESULT>(got, 0)));
        return t;
    }();
    if (selected) FillRect(dc, &textRect, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : record.textColor);
    HGDIOBJ old = SelectObject(dc, record.hfont);
    textRect.left += 2;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &item.rcItem);
}

std::optional<std::string> LiveProperty(const ControlRecord& r, const std::string& name) {
    HWND w = r.window;
    if (!w) return std::nullopt;
    if (auto folder = FolderProperty(r, name)) return folder;
    if (name == "enabled") return IsWindowEnabled(w) ? "True" : "False";
    if (name == "visible") return (GetWindowLongA(w, GWL_STYLE) & WS_VISIBLE) ? "True" : "False";
    if (name == "left" || name == "top" || name == "width" || name == "height") {
        RECT rect;
        GetWindowRect(w, &rect);
        MapWindowPoints(HWND_DESKTOP, GetParent(w), reinterpret_cast<POINT*>(&rect), 2);
        const LONG value = name == "left" ? rect.left : name == "top" ? rect.top
                           : name == "width"                          ? rect.right - rect.left
                                                                      : rect.bottom - rect.top;
        // Rules read and write lengths as designed, whatever the screen's density.
        return std::to_string(r.scale->ToDesign(value));
    }
    if (name == "caption" && HasCaption(r.kind)) return WindowText(w);
    if (name == "text" && r.mask) return r.mask->Value(WindowText(w));
    if ((name == "text" && (IsEdit(r.kind) || r.kind == NativeKind::ComboBox || r.kind == NativeKind::FilterCombo)) ||
        (name == "lines" && (r.kind == NativeKind::Memo || r.kind == NativeKind::RichEdit)))
        return WithCrLf(WindowText(w));
    if (name == "items" && (IsList(r.kind) || IsCombo(r.kind))) return JoinLines(ListItems(w, r.kind));
    if (name == "itemindex" && IsList(r.kind)) return std::to_string(SendMessageA(w, LB_GETCURSEL, 0, 0));
    if (name == "itemindex" && IsCombo(r.kind)) return std::to_string(SendMessageA(w, CB_GETCURSEL, 0, 0));
    if (name == "checked" && (r.kind == NativeKind::CheckBox || r.kind == NativeKind::RadioButton))
        return SendMessageA(w, BM_GETCHECK, 0, 0) == BST_CHECKED ? "True" : "False";
    if (name == "state" && r.kind == NativeKind::CheckBox) {
        const LRESULT state = SendMessageA(w, BM_GETCHECK, 0, 0);
        return state == BST_CHECKED ? "cbChecked" : state == BST_INDETERMINATE ? "cbGrayed" : "cbUnchecked";
    }
    if (name == "readonly" && IsEdit(r.kind)) return (GetWindowLongA(w, GWL_STYLE) & ES_READONLY) ? "True" : "False";
    if (name == "position") {
        if (r.kind == NativeKind::TrackBar) return std::to_string(SendMessageA(w, TBM_GETPOS, 0, 0));
        if (r.kind == NativeKind::ProgressBar) return std::to_string(SendMessageA(w, PBM_GETPOS, 0, 0));
        if (r.kind == NativeKind::UpDown) return std::to_string(static_cast<int>(SendMessageA(w, UDM_GETPOS32, 0, 0)));
    }
    return std::nullopt;
}

void ApplyProperty(ControlRecord& r, const std::string& name, const std::string& text) {
    HWND w = r.window;
    if (!w || SetFolderProperty(r, name, text)) return;
    if (name == "enabled") {
        EnableWindow(w, Flag(r, "Enabled", true));
    } else if (name == "visible") {
        ShowWindow(w, Flag(r, "Visible", true) ? SW_SHOWNA : SW_HIDE);
    } else if (name == "left" || name == "top" || name == "width" || name == "height") {
        const RECT rect = ScreenBounds(r);
        SetWindowPos(w, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    } else if (name == "editmask" && r.className == "TMaskEdit") {
        const std::string value = r.mask ? r.mask->Value(WindowText(w)) : WindowText(w);
        AttachMask(r, text);
        SetWindowTextA(w, MaskedShown(r, value).c_str());
    } else if (name == "text" && r.mask) {
        if (const std::string shown = r.mask->Shown(text); WindowText(w) != shown) SetWindowTextA(w, shown.c_str());
    } else if ((name == "caption" && HasCaption(r.kind)) || (name == "text" && IsEdit(r.kind)) ||
               (name == "lines" && (r.kind == NativeKind::Memo || r.kind == NativeKind::RichEdit))) {
        // The same text again changes nothing and reports no change.
        if (WithCrLf(WindowText(w)) != text) SetWindowTextA(w, text.c_str());
    } else if (name == "text" && r.kind == NativeKind::ComboBox) {
        const LRESULT found = SendMessageA(w, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
        if (found >= 0) SendMessageA(w, CB_SETCURSEL, found, 0);
        else if (WindowText(w) != text) SetWindowTextA(w, text.c_str());
    } else if (name == "items" && (IsList(r.kind) || IsCombo(r.kind))) {
        FillList(w, r.kind, SplitLines(text));
    } else if (name == "itemindex" && IsList(r.kind)) {
        SendMessageA(w, LB_SETCURSEL, Number(r, "ItemIndex", -1), 0);
    } else if (name == "itemindex" && IsCombo(r.kind)) {
        SendMessageA(w, CB_SETCURSEL, Number(r, "ItemIndex", -1), 0);
    } else if (name == "checked" && (r.kind == NativeKind::CheckBox || r.kind == NativeKind::RadioButton)) {
        const bool checked = Flag(r, "Checked", false);
        SendMessageA(w, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
        if (checked && r.kind == NativeKind::RadioButton) UncheckOtherRadios(r);
    } else if (name == "readonly" && IsEdit(r.kind)) {
        SendMessageA(w, EM_SETREADONLY, Flag(r, "ReadOnly", false), 0);
    } else if (name == "maxlength" && IsEdit(r.kind)) {
        SendMessageA(w, r.kind == NativeKind::RichEdit ? EM_EXLIMITTEXT : EM_SETLIMITTEXT, 0, Number(r, "MaxLength", 0));
    } else if (name == "maxlength" && r.kind == NativeKind::ComboBox) {
        SendMessageA(w, CB_LIMITTEXT, Number(r, "MaxLength", 0), 0);
    } else if (name == "position" || name == "min" || name == "max") {
        SetRange(r);
    } else {
        // Painted designs (shapes, gauges, bevels, panels) and colours show the new value.
        InvalidateRect(w, nullptr, TRUE);
    }
}

void CheckRadio(ControlRecord& record) {
    SendMessageA(record.window, BM_SETCHECK, BST_CHECKED, 0);
    UncheckOtherRadios(record);
}
