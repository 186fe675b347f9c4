// The dialog window built from a designed form: the form's window, one native
// control per component (in tab order, containers before their children),
// the routing of the controls' notifications to events, and properties by name.
#include "dialogs/PoolTemplate_win32.h"

#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <algorithm>
#include <cctype>
#include <map>

#include "dialogs/DesignedClasses.h"
#include "dialogs/DesignedColors.h"
#include "dialogs/DesignedControls_win32.h"
#include "system/Files.h"
#include "system/PathParts.h"

namespace {

const char kDialogClass[] = "OrvantaDialog";
constexpr UINT_PTR kTimerId = 1;
constexpr int kFirstControlId = 100;  // above IDOK and IDCANCEL
constexpr UINT kDpiChanged = 0x02E0;  // WM_DPICHANGED: the window's new density, its suggested rectangle

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

int64_t StoredInteger(const FormObject& object, const char* property, int64_t absent) {
    const FormValue* value = object.Find(property);
    return value && value->IsInteger() ? value->integer : absent;
}

bool StoredFlag(const FormObject& object, const char* property, bool absent) {
    const FormValue* value = object.Find(property);
    if (!value || (value->type != FormValueType::True && value->type != FormValueType::False)) return absent;
    return value->type == FormValueType::True;
}

// The screen's density where the window is: per monitor where the system
// tells it, else the screen's.
int ScreenDpi(HWND window) {
    using DpiForWindow = UINT(WINAPI*)(HWND);
    const auto forWindow = reinterpret_cast<DpiForWindow>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (forWindow && window)
        if (const UINT dpi = forWindow(window); dpi > 0) return static_cast<int>(dpi);
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kDesignedDpi;
}

// Creation order inside one container: graphic components (no tab order)
// first as stored, then the windowed ones by tab order, so that Tab moves as designed.
std::vector<FormObject*> CreationOrder(std::vector<FormObject>& children) {
    std::vector<FormObject*> order;
    for (FormObject& child : children) order.push_back(&child);
    std::stable_sort(order.begin(), order.end(), [](const FormObject* a, const FormObject* b) {
        return StoredInteger(*a, "TabOrder", -1) < StoredInteger(*b, "TabOrder", -1);
    });
    return order;
}

// Controls whose native colours come from their own design rather than their container's.
bool OwnColoredByDefault(NativeKind kind) {
    switch (kind) {
        case NativeKind::Edit: case NativeKind::Memo: case NativeKind::RichEdit: case NativeKind::ListBox:
        case NativeKind::CheckListBox: case NativeKind::ComboBox: case NativeKind::TreeView:
        case NativeKind::WhitePanel: case NativeKind::FileList: case NativeKind::DirectoryList:
        case NativeKind::DriveCombo: case NativeKind::FilterCombo: case NativeKind::ShellTree:
        case NativeKind::ShellList: case NativeKind::ShellCombo: return true;
        default: return false;
    }
}

}  // namespace

// The window procedure's view of the dialog it belongs to.
struct DialogWindow {
    virtual LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~DialogWindow() = default;
};

struct PoolTemplate::Impl : DialogWindow {
    PoolTemplate* owner = nullptr;
    std::string fileName;
    std::vector<UnknownDesign> leftOut;  // what the form holds that the engine does not know
    FormFile form;
    DialogScale scale;
    DesignedFont formFont;
    HFONT formHFont = nullptr;
    int64_t formColor = 0xFFFFFF;
    OwnedBrush formBrushOwned;
    HBRUSH formBrush = nullptr;
    int defaultButtonId = 0;
    int cancelButtonId = 0;
    std::vector<std::pair<DesignedFont, OwnedFont>> fonts;
    std::vector<std::unique_ptr<ControlRecord>> records;  // creation order
    std::vector<DesignedControl*> controls;
    std::map<HWND, ControlRecord*> byWindow;
    DialogServices services;
    OwnedWindow window;  // last: destroyed before the records and fonts its controls use

    HFONT Font(const DesignedFont& font) {
        for (const auto& [design, handle] : fonts)
            if (design == font) return handle.get();
        const int height = ScaledFontHeight(font.height, scale.designDpi, scale.screenDpi);
        fonts.emplace_back(font, OwnedFont(CreateFontA(height, 0, font.orientation, font.orientation,
                                                       font.bold ? FW_BOLD : FW_NORMAL, font.italic, font.underline,
                                                       font.strikeOut, static_cast<BYTE>(font.charset),
                                                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                                       static_cast<BYTE>(font.quality),
                                                       static_cast<BYTE>(font.pitch | FF_DONTCARE), font.name.c_str())));
        return fonts.back().second.get();
    }

    // The control's window takes a new font, and so do the controls inside it
    // that follow their container's font.
    void Refont(ControlRecord& record, const DesignedFont& font) {
        record.font = font;
        record.hfont = Font(font);
        record.textColor = ScreenColor(font.color);
        SendMessageA(record.window, WM_SETFONT, reinterpret_cast<WPARAM>(record.hfont), TRUE);
        // The whole control again, frame included: a group box draws its caption on its frame.
        RedrawWindow(record.window, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME);
        for (ControlRecord* child : record.children)
            if (FollowsParentFont(*child->object)) Refont(*child, font);
    }

    // The form's font changed: the controls that follow it take it.
    void RefontForm(const DesignedFont& font) {
        formFont = font;
        formHFont = Font(font);
        SendMessageA(window.get(), WM_SETFONT, reinterpret_cast<WPARAM>(formHFont), FALSE);
        for (const auto& record : records)
            if (!record->parent && FollowsParentFont(*record->object)) Refont(*record, font);
    }

    int Scaled(int64_t designed) const { return scale.ToScreen(designed); }

    // The window's size: the designed client area, else the designed window size.
    SIZE FrameSize() const {
        const FormObject& root = form.root;
        RECT frame{0, 0, Scaled(StoredInteger(root, "ClientWidth", 0)), Scaled(StoredInteger(root, "ClientHeight", 0))};
        if (frame.right > 0 && frame.bottom > 0) {
            HWND w = window.get();
            AdjustWindowRectEx(&frame, GetWindowLongA(w, GWL_STYLE), FALSE, GetWindowLongA(w, GWL_EXSTYLE));
        } else {
            frame = RECT{0, 0, Scaled(StoredInteger(root, "Width", 400)), Scaled(StoredInteger(root, "Height", 300))};
        }
        return SIZE{frame.right - frame.left, frame.bottom - frame.top};
    }

    void MeasureItems(ControlRecord& record) {
        if (record.kind != NativeKind::CheckListBox) return;
        const int fontHeight = std::abs(ScaledFontHeight(record.font.height, scale.designDpi, scale.screenDpi));
        record.itemHeight = std::max(Scaled(StoredInteger(*record.object, "ItemHeight", 0)), fontHeight + 4);
    }

    // The window moved to a screen of another density: fonts, places and
    // sizes again from the design, the window where the system suggests.
    void Rescale(int dpi, const RECT& suggested) {
        if (dpi <= 0 || dpi == scale.screenDpi) return;
        scale.screenDpi = dpi;
        const auto retired = std::move(fonts);  // in use until every window has its new font
        fonts.clear();
        formHFont = Font(formFont);
        SendMessageA(window.get(), WM_SETFONT, reinterpret_cast<WPARAM>(formHFont), FALSE);
        for (const auto& record : records) {
            record->hfont = Font(record->font);
            SendMessageA(record->window, WM_SETFONT, reinterpret_cast<WPARAM>(record->hfont), FALSE);
            MeasureItems(*record);
            if (record->itemHeight > 0) SendMessageA(record->window, LB_SETITEMHEIGHT, 0, record->itemHeight);
            const RECT bounds = ScreenBounds(*record);
            SetWindowPos(record->window, nullptr, bounds.left, bounds.top, bounds.right - bounds.left,
                         bounds.bottom - bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
            AttachGlyph(*record);
        }
        // The place the system suggests; the size from the designed client area, which the frame does not change.
        const SIZE frame = FrameSize();
        SetWindowPos(window.get(), nullptr, suggested.left, suggested.top, frame.cx, frame.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(window.get(), nullptr, TRUE);
    }

    ControlRecord* Record(HWND control) const {
        auto it = byWindow.find(control);
        return it == byWindow.end() ? nullptr : it->second;
    }

    ControlRecord* RecordById(int id) const {
        const size_t index = static_cast<size_t>(id - kFirstControlId);
        return id >= kFirstControlId && index < records.size() ? records[index].get() : nullptr;
    }

    HBRUSH BackgroundOf(const ControlRecord* record) const {
        return record ? record->backBrush : formBrush;
    }

    void Fire(ControlRecord& record, ControlEvent event, POINT mouse) {
        // A value set while the event is reported may report again: not twice at once.
        if (record.firing || !owner->onEvent) return;
        record.firing = true;
        try {
            owner->onEvent(record, event, mouse);
        } catch (...) {
        }
        record.firing = false;
    }

    // The control's colour: its own, its container's (ParentColor, the default
    // of most classes), or the window colour of text fields and lists.
    void SetColors(ControlRecord& record) {
        const FormValue* stored = record.object->Find("Color");
        const bool parentColor = StoredFlag(*record.object, "ParentColor", !stored && !OwnColoredByDefault(record.kind));
        const auto* parent = static_cast<const ControlRecord*>(record.parent);
        if (parentColor) record.color = parent ? parent->color : formColor;
        else if (stored) record.color = ColorFromValue(*stored).value_or(formColor);
        else record.color = 0x80000005;  // clWindow
        record.backBrush = ColorBrush(record.color, record.backOwned);
        record.backColor = ScreenColor(record.color);
        record.textColor = ScreenColor(record.font.color);
    }

    // After a container's colour changed: the controls that take it take it again.
    void RecolorChildren(const ControlRecord* container) {
        for (const auto& child : records) {
            if (child->parent != container) continue;
            const bool inherits = StoredFlag(*child->object, "ParentColor",
                                             !child->object->Find("Color") && !OwnColoredByDefault(child->kind));
            if (!inherits) continue;
            SetColors(*child);
            InvalidateRect(child->window, nullptr, TRUE);
            RecolorChildren(child.get());
        }
    }

    void Build(std::vector<FormObject>& children, HWND parentWindow, ControlRecord* parent) {
        for (FormObject* object : CreationOrder(children)) {
            auto owned = std::make_unique<ControlRecord>();
            ControlRecord& record = *owned;
            record.design = object;
            record.object = object;
            record.className = object->className;
            record.name = object->name;
            record.tag = static_cast<int>(StoredInteger(*object, "Tag", 0));
            record.hint = object->Text("Hint");
            record.parent = parent;
            record.kind = NativeKindOf(object->className);
            record.id = kFirstControlId + static_cast<int>(records.size());
            record.scale = &scale;
            record.font = FontOf(*object, parent ? parent->font : formFont, scale.designDpi);
            record.hfont = Font(record.font);
            SetColors(record);
            record.transparent = StoredFlag(*object, "Transparent", false) &&
                                 (record.kind == NativeKind::Label || record.kind == NativeKind::StaticText ||
                                  record.kind == NativeKind::CheckBox || record.kind == NativeKind::RadioButton);
            MeasureItems(record);
            if (record.kind == NativeKind::Image)
                if (const FormValue* data = object->Find("Picture.Data"); data && data->type == FormValueType::Binary)
                    record.picture.reset(PictureBitmap(data->bytes));
            records.push_back(std::move(owned));
            controls.push_back(&record);
            if (parent) parent->children.push_back(&record);
            if (!CreateNativeControl(record, parentWindow, services))
                throw FormError(fileName + ": the window of " + object->className + " " + object->name +
                                " cannot be created");
            byWindow[record.window] = &record;
            if (record.kind == NativeKind::PushButton && StoredFlag(*object, "Default", false) && !defaultButtonId)
                defaultButtonId = record.id;
            if (record.kind == NativeKind::PushButton && StoredFlag(*object, "Cancel", false) && !cancelButtonId)
                cancelButtonId = record.id;
            Build(object->children, record.window, &record);
        }
    }

    std::optional<LRESULT> Command(WPARAM wParam, LPARAM lParam) {
        const int id = LOWORD(wParam);
        const UINT code = HIWORD(wParam);
        ControlRecord* record = lParam ? Record(reinterpret_cast<HWND>(lParam)) : nullptr;
        // Enter and Escape through the dialog's keyboard handling.
        if (!record && (id == IDOK || id == IDCANCEL)) {
            record = RecordById(id == IDOK ? defaultButtonId : cancelButtonId);
            if (record && IsWindowEnabled(record->window)) Fire(*record, ControlEvent::Click, POINT{});
            return 0;
        }
        if (!record) return std::nullopt;
        ControlRecord& r = *record;
        const POINT none{};
        switch (r.kind) {
            case NativeKind::PushButton:
            case NativeKind::CheckBox:
                if (code == BN_CLICKED) Fire(r, ControlEvent::Click, none);
                break;
            case NativeKind::RadioButton:
                if (code == BN_CLICKED) {
                    CheckRadio(r);
                    Fire(r, ControlEvent::Click, none);
                }
                break;
            case NativeKind::Label:
                if (code == STN_CLICKED) Fire(r, ControlEvent::Click, none);
                break;
            case NativeKind::Edit:
            case NativeKind::Memo:
            case NativeKind::RichEdit:
                if (code == EN_CHANGE) Fire(r, ControlEvent::Change, none);
                break;
            case NativeKind::ListBox:
            case NativeKind::CheckListBox:
                if (code == LBN_SELCHANGE) Fire(r, ControlEvent::Click, none);
                break;
            case NativeKind::ComboBox:
                if (code == CBN_SELCHANGE) {
                    Fire(r, ControlEvent::Click, none);
                    Fire(r, ControlEvent::Change, none);
                }
                if (code == CBN_EDITCHANGE) Fire(r, ControlEvent::Change, none);
                break;
            case NativeKind::FileList:
            case NativeKind::DirectoryList:
            case NativeKind::ShellList:
                if ((code == LBN_SELCHANGE || code == LBN_DBLCLK) && FolderItemChosen(r, code == LBN_DBLCLK))
                    Fire(r, ControlEvent::Change, none);
                break;
            case NativeKind::DriveCombo:
            case NativeKind::ShellCombo:
            case NativeKind::FilterCombo:
                if (code == CBN_SELCHANGE && FolderItemChosen(r, false)) Fire(r, ControlEvent::Change, none);
                break;
            default: break;
        }
        return 0;
    }

    std::optional<LRESULT> Notification(const NMHDR& header, LPARAM lParam) {
        ControlRecord* record = Record(header.hwndFrom);
        if (!record || (record->kind != NativeKind::TreeView && record->kind != NativeKind::ShellTree))
            return std::nullopt;
        ControlRecord& r = *record;
        switch (header.code) {
            case TVN_SELCHANGEDA:
            case TVN_SELCHANGEDW:
                Fire(r, ControlEvent::Change, POINT{});
                return 0;
            case TVN_ITEMEXPANDINGA:
            case TVN_ITEMEXPANDINGW:
                ExpandShellTreeItem(r, reinterpret_cast<const NMTREEVIEWA*>(lParam)->itemNew.hItem);
                return FALSE;
            case NM_CLICK:
            case NM_RCLICK: {
                // The tree view keeps the button's release to itself; its click comes after it.
                const DWORD at = GetMessagePos();
                POINT mouse{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
                ScreenToClient(r.window, &mouse);
                if (r.kind == NativeKind::TreeView) Fire(r, ControlEvent::MouseUp, mouse);
                return 0;
            }
        }
        return std::nullopt;
    }

    std::optional<LRESULT> Notify(UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_COMMAND: return Command(wParam, lParam);
            case WM_NOTIFY: return Notification(*reinterpret_cast<const NMHDR*>(lParam), lParam);
            case WM_HSCROLL:
            case WM_VSCROLL: {
                ControlRecord* record = Record(reinterpret_cast<HWND>(lParam));
                if (!record || record->kind != NativeKind::TrackBar) return std::nullopt;
                if (LOWORD(wParam) != TB_ENDTRACK) Fire(*record, ControlEvent::Change, POINT{});
                return 0;
            }
            case WM_CTLCOLORSTATIC:
            case WM_CTLCOLOREDIT:
            case WM_CTLCOLORLISTBOX:
            case WM_CTLCOLORBTN: {
                ControlRecord* record = Record(reinterpret_cast<HWND>(lParam));
                if (!record) return std::nullopt;
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, record->textColor);
                if (record->transparent) {
                    SetBkMode(dc, TRANSPARENT);
                    return reinterpret_cast<LRESULT>(BackgroundOf(static_cast<ControlRecord*>(record->parent)));
                }
                SetBkColor(dc, record->backColor);
                return reinterpret_cast<LRESULT>(record->backBrush);
            }
            case WM_DRAWITEM: {
                const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
                ControlRecord* record = Record(item.hwndItem);
                if (!record || record->kind != NativeKind::CheckListBox) return std::nullopt;
                DrawCheckListItem(item, *record);
                return TRUE;
            }
            case WM_MEASUREITEM: {
                auto& item = *reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
                ControlRecord* record = RecordById(static_cast<int>(item.CtlID));
                if (!record || record->itemHeight <= 0) return std::nullopt;
                item.itemHeight = static_cast<UINT>(record->itemHeight);
                return TRUE;
            }
        }
        return std::nullopt;
    }

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        switch (message) {
            case WM_CLOSE:
                // The dialog never closes itself: it only goes out of sight when allowed.
                if (owner->canClose) ShowWindow(window, SW_HIDE);
                return 0;
            case WM_SYSCOMMAND:
                if ((wParam & 0xFFF0) == SC_CLOSE && !owner->canClose) return 0;
                break;
            case WM_TIMER:
                if (wParam == kTimerId && owner->onTimer) owner->onTimer();
                return 0;
            case WM_ERASEBKGND: {
                RECT r;
                GetClientRect(window, &r);
                FillRect(reinterpret_cast<HDC>(wParam), &r, formBrush);
                return 1;
            }
            case kDpiChanged:
                Rescale(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
                return 0;
            case DM_GETDEFID:
                return defaultButtonId ? MAKELRESULT(defaultButtonId, DC_HASDEFID) : 0;
            default:
                if (auto handled = Notify(message, wParam, lParam)) return *handled;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

namespace {

LRESULT CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (auto* dialog = reinterpret_cast<DialogWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA)))
            return dialog->Handle(window, message, wParam, lParam);
        return DefWindowProcA(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

void RegisterDialogClass() {
    static const bool registered = [] {
        WNDCLASSA wc{};
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        wc.hIcon = ApplicationIcon(wc.hInstance);
        wc.lpfnWndProc = DialogProc;
        wc.cbWndExtra = DLGWINDOWEXTRA;
        wc.lpszClassName = kDialogClass;
        return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
}

}  // namespace

PoolTemplate::PoolTemplate() : impl_(std::make_unique<Impl>()) { impl_->owner = this; }

PoolTemplate::~PoolTemplate() {
    if (impl_->window) KillTimer(impl_->window.get(), kTimerId);
}

std::unique_ptr<PoolTemplate> PoolTemplate::Load(const std::string& formFile) {
    std::unique_ptr<PoolTemplate> dialog(new PoolTemplate());
    Impl& impl = *dialog->impl_;
    impl.fileName = FileNameOf(formFile);
    const std::optional<std::string> bytes = ReadFileText(formFile);
    if (!bytes) throw FormError(impl.fileName + ": the form file cannot be read");
    try {
        impl.form = ReadBinaryForm(*bytes);
    } catch (const FormError& e) {
        throw FormError(impl.fileName + ": " + e.what());
    }
    impl.leftOut = FitToDesignedClasses(impl.form.root);

    // Folder and drive controls never stop on a drive without a medium.
    SetErrorMode(SetErrorMode(SEM_FAILCRITICALERRORS) | SEM_FAILCRITICALERRORS);
    RegisterDesignedClasses();
    RegisterDialogClass();
    FormObject& root = impl.form.root;
    impl.services.fire = [&impl](ControlRecord& record, ControlEvent event, POINT mouse) {
        impl.Fire(record, event, mouse);
    };
    impl.services.notify = [&impl](UINT message, WPARAM wParam, LPARAM lParam) {
        return impl.Notify(message, wParam, lParam);
    };

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME;
    const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_APPWINDOW | WS_EX_CONTROLPARENT;
    const std::string caption = root.Text("Caption");
    impl.window.reset(CreateWindowExA(exStyle, kDialogClass, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                                      100, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
    if (!impl.window) throw FormError(impl.fileName + ": the dialog window cannot be created");
    HWND window = impl.window.get();
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(static_cast<DialogWindow*>(&impl)));

    impl.scale.designDpi = DesignDpi(root);
    impl.scale.screenDpi = ScreenDpi(window);
    impl.formFont = FontOf(root, DesignedFont{}, impl.scale.designDpi);
    impl.formHFont = impl.Font(impl.formFont);
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(impl.formHFont), FALSE);
    if (const FormValue* color = root.Find("Color")) impl.formColor = ColorFromValue(*color).value_or(0xFFFFFF);
    impl.formBrush = ColorBrush(impl.formColor, impl.formBrushOwned);

    const SIZE frame = impl.FrameSize();
    SetWindowPos(window, nullptr, impl.Scaled(StoredInteger(root, "Left", 0)), impl.Scaled(StoredInteger(root, "Top", 0)),
                 frame.cx, frame.cy, SWP_NOZORDER | SWP_NOACTIVATE);

    impl.Build(root.children, window, nullptr);
    for (const auto& record : impl.records)
        LinkControls(*record, [&impl](const std::string& name) {
            return static_cast<ControlRecord*>(impl.owner->FindControl(name));
        });
    EnableMenuItem(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
    SetTimer(window, kTimerId, 1000, nullptr);
    return dialog;
}

HWND PoolTemplate::Window() const { return impl_->window.get(); }

const std::string& PoolTemplate::FileName() const { return impl_->fileName; }
const std::vector<UnknownDesign>& PoolTemplate::LeftOut() const { return impl_->leftOut; }

const std::vector<DesignedControl*>& PoolTemplate::Controls() const { return impl_->controls; }

DesignedControl* PoolTemplate::FindControl(std::string_view name) const {
    const std::string wanted = Lower(name);
    for (DesignedControl* control : impl_->controls)
        if (Lower(control->name) == wanted) return control;
    return nullptr;
}

std::optional<std::string> PoolTemplate::Property(const DesignedControl* control, std::string_view property) const {
    if (!control) {
        if (Lower(property) == "caption") {
            char text[1024] = {};
            GetWindowTextA(impl_->window.get(), text, sizeof text);
            return std::string(text);
        }
        return DesignedPropertyText(impl_->form.root, "", property);
    }
    const auto& record = static_cast<const ControlRecord&>(*control);
    if (!AcceptsProperty(record.className, property)) return std::nullopt;
    if (auto live = LiveProperty(record, Lower(property))) return live;
    return DesignedPropertyText(*record.object, record.className, property);
}

void PoolTemplate::SetProperty(DesignedControl* control, std::string_view property, const std::string& text) {
    const std::string name = Lower(property);
    if (!control) {
        StoreFontDefault(impl_->form.root, property);
        SetDesignedPropertyText(impl_->form.root, "", property, text);
        HWND window = impl_->window.get();
        if (name == "caption") SetWindowTextA(window, text.c_str());
        if (name.rfind("font.", 0) == 0) impl_->RefontForm(FontOf(impl_->form.root, impl_->formFont, impl_->scale.designDpi));
        if (name == "color") {
            impl_->formColor = ColorFromValue(*impl_->form.root.Find("Color")).value_or(0xFFFFFF);
            impl_->formBrush = ColorBrush(impl_->formColor, impl_->formBrushOwned);
            impl_->RecolorChildren(nullptr);
            InvalidateRect(window, nullptr, TRUE);
        }
        return;
    }
    auto& record = static_cast<ControlRecord&>(*control);
    if (AcceptsProperty(record.className, property)) StoreFontDefault(*record.object, property);
    SetDesignedPropertyText(*record.object, record.className, property, text);
    if (name == "tag") record.tag = static_cast<int>(StoredInteger(*record.object, "Tag", 0));
    if (name == "hint") record.hint = record.object->Text("Hint");
    if (name == "name") record.name = record.object->name;
    // As in the designer: a font of its own ends following the container's,
    // and following it again takes the container's font as it is now.
    if (name.rfind("font.", 0) == 0) {
        record.object->Set("ParentFont", FormValue::Bool(false));
        impl_->Refont(record, FontOf(*record.object, record.font, impl_->scale.designDpi));
    }
    if (name == "parentfont" && FollowsParentFont(*record.object)) {
        const auto* parent = static_cast<const ControlRecord*>(record.parent);
        impl_->Refont(record, parent ? parent->font : impl_->formFont);
    }
    if (name == "color" || name == "parentcolor") {
        impl_->SetColors(record);
        impl_->RecolorChildren(&record);
        if (record.kind == NativeKind::RichEdit) SendMessageA(record.window, EM_SETBKGNDCOLOR, 0, record.backColor);
    }
    ApplyProperty(record, name, text);
}

bool PoolTemplate::ItemChecked(const DesignedControl* control, int index) const {
    const auto* record = static_cast<const ControlRecord*>(control);
    if (!record || record->kind != NativeKind::CheckListBox) return false;
    return SendMessageA(record->window, LB_GETITEMDATA, index, 0) == 1;
}

void PoolTemplate::SetItemChecked(DesignedControl* control, int index, bool checked) {
    auto* record = static_cast<ControlRecord*>(control);
    if (!record || record->kind != NativeKind::CheckListBox) return;
    if (SendMessageA(record->window, LB_SETITEMDATA, index, checked ? 1 : 0) == LB_ERR) return;
    InvalidateRect(record->window, nullptr, TRUE);
}

std::vector<std::string> PoolTemplate::SelectedTreeItem(const DesignedControl* control) const {
    const auto* record = static_cast<const ControlRecord*>(control);
    std::vector<std::string> texts;
    if (!record || (record->kind != NativeKind::TreeView && record->kind != NativeKind::ShellTree)) return texts;
    HWND tree = record->window;
    for (auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)); item;
         item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)))) {
        char text[260] = {};
        TVITEMA info{};
        info.mask = TVIF_TEXT;
        info.hItem = item;
        info.pszText = text;
        info.cchTextMax = sizeof text;
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&info));
        texts.insert(texts.begin(), text);
    }
    return texts;
}
