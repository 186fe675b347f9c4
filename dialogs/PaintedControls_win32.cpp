// Our own window classes for the designed components Windows has no control
// for: panels (and the white HTML and movie frames), shapes, bevels, gauges
// and images. Each paints itself from its record's design.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>

#include "dialogs/DesignedColors.h"
#include "dialogs/DesignedControls_win32.h"
#include "system/LoadedLibrary.h"

namespace {

const char kPanelClass[] = "OrvantaPanel";
const char kShapeClass[] = "OrvantaShape";
const char kBevelClass[] = "OrvantaBevel";
const char kGaugeClass[] = "OrvantaGauge";
const char kImageClass[] = "OrvantaImage";

using OwnedPen = std::unique_ptr<HPEN__, GdiDeleter>;

const char kRecordProperty[] = "OrvantaRecord";
const char kServicesProperty[] = "OrvantaServices";

ControlRecord* RecordOf(HWND window) { return static_cast<ControlRecord*>(GetPropA(window, kRecordProperty)); }
DialogServices* ServicesOf(HWND window) { return static_cast<DialogServices*>(GetPropA(window, kServicesProperty)); }

std::string Identifier(const ControlRecord& record, const char* property, const char* absent) {
    const FormValue* value = record.object->Find(property);
    return value && value->type == FormValueType::Identifier ? value->bytes : absent;
}

int64_t Integer(const ControlRecord& record, const char* property, int64_t absent) {
    const FormValue* value = record.object->Find(property);
    return value && value->IsInteger() ? value->integer : absent;
}

int64_t Color(const ControlRecord& record, const char* property, int64_t absent) {
    const FormValue* value = record.object->Find(property);
    if (!value) return absent;
    return ColorFromValue(*value).value_or(absent);
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
    text.resize(static_cast<size_t>(std::max(GetWindowTextA(window, text.data(), length + 1), 0)));
    return text;
}

// A bevel edge of the panel: bvLowered, bvRaised, bvSpace or bvNone.
void DrawBevel(HDC dc, RECT& r, const std::string& bevel, int width) {
    if (bevel == "bvNone" || bevel.empty()) return;
    for (int i = 0; i < std::max(width, 1); ++i) {
        if (bevel == "bvSpace") {
            InflateRect(&r, -1, -1);
            continue;
        }
        DrawEdge(dc, &r, bevel == "bvLowered" ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    }
}

void PaintPanel(HDC dc, HWND window, const ControlRecord& record) {
    RECT r;
    GetClientRect(window, &r);
    FillRect(dc, &r, record.backBrush);
    if (record.kind == NativeKind::WhitePanel) {
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    } else {
        const int width = static_cast<int>(std::clamp<int64_t>(Integer(record, "BevelWidth", 1), 0, 50));
        DrawBevel(dc, r, Identifier(record, "BevelOuter", "bvRaised"), width);
        InflateRect(&r, -static_cast<int>(std::clamp<int64_t>(Integer(record, "BorderWidth", 0), 0, 50)),
                    -static_cast<int>(std::clamp<int64_t>(Integer(record, "BorderWidth", 0), 0, 50)));
        DrawBevel(dc, r, Identifier(record, "BevelInner", "bvNone"), width);
    }
    const std::string caption = WindowText(window);
    if (caption.empty()) return;
    const std::string alignment = Identifier(record, "Alignment", "taCenter");
    const UINT align = alignment == "taLeftJustify" ? DT_LEFT : alignment == "taRightJustify" ? DT_RIGHT : DT_CENTER;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, record.textColor);
    HGDIOBJ old = SelectObject(dc, record.hfont);
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &r, align | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
}

void PaintShape(HDC dc, HWND window, const ControlRecord& record) {
    RECT r;
    GetClientRect(window, &r);
    const std::string shape = Identifier(record, "Shape", "stRectangle");
    const int penWidth = static_cast<int>(std::clamp<int64_t>(Integer(record, "Pen.Width", 1), 0, 100));
    const std::string penStyle = Identifier(record, "Pen.Style", "psSolid");
    const int style = penStyle == "psClear" ? PS_NULL : penStyle == "psDash" ? PS_DASH : penStyle == "psDot" ? PS_DOT
                      : PS_SOLID;
    const OwnedPen pen(CreatePen(style, penWidth, ScreenColor(Color(record, "Pen.Color", 0x000000))));
    OwnedBrush fill;
    HBRUSH brush = Identifier(record, "Brush.Style", "bsSolid") == "bsClear"
                       ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))
                       : ColorBrush(Color(record, "Brush.Color", 0xFFFFFF), fill);
    // The parent shows through around the figure.
    FillRect(dc, &r, record.backBrush);
    HGDIOBJ oldPen = SelectObject(dc, pen.get());
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    const int inset = penWidth / 2;
    InflateRect(&r, -inset, -inset);
    if (shape == "stSquare" || shape == "stCircle" || shape == "stRoundSquare") {
        const int side = std::min(r.right - r.left, r.bottom - r.top);
        r.left += (r.right - r.left - side) / 2;
        r.top += (r.bottom - r.top - side) / 2;
        r.right = r.left + side;
        r.bottom = r.top + side;
    }
    const int round = std::min(r.right - r.left, r.bottom - r.top) / 4;
    if (shape == "stCircle" || shape == "stEllipse")
        Ellipse(dc, r.left, r.top, r.right + 1 - (penWidth & 1), r.bottom + 1 - (penWidth & 1));
    else if (shape == "stRoundRect" || shape == "stRoundSquare")
        RoundRect(dc, r.left, r.top, r.right, r.bottom, round, round);
    else
        Rectangle(dc, r.left, r.top, r.right + 1 - (penWidth & 1), r.bottom + 1 - (penWidth & 1));
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
}

void PaintBevel(HDC dc, HWND window, const ControlRecord& record) {
    RECT r;
    GetClientRect(window, &r);
    FillRect(dc, &r, record.backBrush);
    const std::string shape = Identifier(record, "Shape", "bsBox");
    const bool raised = Identifier(record, "Style", "bsLowered") == "bsRaised";
    const UINT edge = raised ? EDGE_RAISED : EDGE_ETCHED;
    const UINT thin = raised ? BDR_RAISEDINNER : BDR_SUNKENOUTER;
    if (shape == "bsBox") DrawEdge(dc, &r, thin, BF_RECT);
    else if (shape == "bsFrame") DrawEdge(dc, &r, edge, BF_RECT);
    else if (shape == "bsTopLine") DrawEdge(dc, &r, edge, BF_TOP);
    else if (shape == "bsBottomLine") DrawEdge(dc, &r, edge, BF_BOTTOM);
    else if (shape == "bsLeftLine") DrawEdge(dc, &r, edge, BF_LEFT);
    else if (shape == "bsRightLine") DrawEdge(dc, &r, edge, BF_RIGHT);
}

void PaintGauge(HDC dc, HWND window, const ControlRecord& record) {
    RECT r;
    GetClientRect(window, &r);
    OwnedBrush backOwned, foreOwned;
    FillRect(dc, &r, ColorBrush(Color(record, "BackColor", 0xFFFFFF), backOwned));
    if (Identifier(record, "BorderStyle", "bsSingle") == "bsSingle") {
        FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&r, -1, -1);
    }
    const int64_t minimum = Integer(record, "MinValue", 0), maximum = Integer(record, "MaxValue", 100);
    const int64_t progress = std::clamp(Integer(record, "Progress", 0), std::min(minimum, maximum), maximum);
    const int percent = maximum > minimum ? static_cast<int>((progress - minimum) * 100 / (maximum - minimum)) : 0;
    RECT bar = r;
    const bool vertical = Identifier(record, "Kind", "gkHorizontalBar") == "gkVerticalBar";
    if (vertical) bar.top = r.bottom - (r.bottom - r.top) * percent / 100;
    else bar.right = r.left + (r.right - r.left) * percent / 100;
    FillRect(dc, &bar, ColorBrush(Color(record, "ForeColor", 0x000000), foreOwned));
    if (const FormValue* show = record.object->Find("ShowText"); show && show->type == FormValueType::False) return;
    const std::string text = std::to_string(percent) + "%";
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, record.hfont);
    SetTextColor(dc, ScreenColor(Color(record, "ForeColor", 0x000000)));
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    // Over the bar the percentage takes the background colour, as gauges show it.
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, bar.left, bar.top, bar.right, bar.bottom);
    SetTextColor(dc, ScreenColor(Color(record, "BackColor", 0xFFFFFF)));
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    RestoreDC(dc, saved);
    SelectObject(dc, old);
}

void PaintImage(HDC dc, HWND window, const ControlRecord& record) {
    RECT r;
    GetClientRect(window, &r);
    FillRect(dc, &r, record.backBrush);
    if (!record.picture) return;
    BITMAP info{};
    GetObjectA(record.picture.get(), sizeof info, &info);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, record.picture.get());
    const auto boolean = [&](const char* name) {
        const FormValue* value = record.object->Find(name);
        return value && value->type == FormValueType::True;
    };
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    if (boolean("Stretch")) {
        StretchBlt(dc, 0, 0, r.right, r.bottom, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    } else {
        // The picture grows with the dialog's density as the rest of the design does.
        const int width = record.scale->ToScreen(info.bmWidth), height = record.scale->ToScreen(info.bmHeight);
        const int x = boolean("Center") ? (r.right - width) / 2 : 0;
        const int y = boolean("Center") ? (r.bottom - height) / 2 : 0;
        if (width == info.bmWidth && height == info.bmHeight)
            BitBlt(dc, x, y, width, height, source, 0, 0, SRCCOPY);
        else
            StretchBlt(dc, x, y, width, height, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    SelectObject(source, old);
    DeleteDC(source);
}

LRESULT CALLBACK PaintedProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        ControlRecord* record = RecordOf(window);
        DialogServices* services = ServicesOf(window);
        if (record && services) {
            switch (message) {
                case WM_PAINT: {
                    PAINTSTRUCT paint;
                    HDC dc = BeginPaint(window, &paint);
                    switch (record->kind) {
                        case NativeKind::Shape: PaintShape(dc, window, *record); break;
                        case NativeKind::Bevel: PaintBevel(dc, window, *record); break;
                        case NativeKind::Gauge: PaintGauge(dc, window, *record); break;
                        case NativeKind::Image: PaintImage(dc, window, *record); break;
                        default: PaintPanel(dc, window, *record); break;
                    }
                    EndPaint(window, &paint);
                    return 0;
                }
                case WM_ERASEBKGND: return 1;
                case WM_SETTEXT: {
                    const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
                    InvalidateRect(window, nullptr, TRUE);
                    return result;
                }
                case WM_LBUTTONUP:
                case WM_RBUTTONUP: {
                    const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                    if (record->kind == NativeKind::Shape) services->fire(*record, ControlEvent::MouseUp, at);
                    if (record->kind == NativeKind::Image && message == WM_LBUTTONUP)
                        services->fire(*record, ControlEvent::Click, at);
                    return 0;
                }
                case WM_NCHITTEST:
                    // Bevels let clicks through to what lies under them, as graphic controls do.
                    if (record->kind == NativeKind::Bevel) return HTTRANSPARENT;
                    break;
                case WM_COMMAND:
                case WM_NOTIFY:
                case WM_HSCROLL:
                case WM_VSCROLL:
                case WM_CTLCOLORSTATIC:
                case WM_CTLCOLOREDIT:
                case WM_CTLCOLORLISTBOX:
                case WM_CTLCOLORBTN:
                case WM_DRAWITEM:
                case WM_MEASUREITEM:
                    // A container passes its children's notifications to the dialog.
                    if (auto handled = services->notify(message, wParam, lParam)) return *handled;
                    break;
            }
        }
        if (message == WM_NCDESTROY) {
            RemovePropA(window, kRecordProperty);
            RemovePropA(window, kServicesProperty);
        }
        return DefWindowProcA(window, message, wParam, lParam);
    } catch (...) {
        return 0;
    }
}

void RegisterPainted(HINSTANCE instance, const char* name) {
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.lpfnWndProc = PaintedProc;
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

}  // namespace

COLORREF ScreenColor(int64_t designed) {
    if (designed == kColorNone || designed == kColorDefault) return GetSysColor(COLOR_WINDOW);
    if (IsSystemColor(designed)) return GetSysColor(SystemColorIndex(designed));
    return static_cast<COLORREF>(designed & 0xFFFFFF);
}

HBRUSH ColorBrush(int64_t designed, OwnedBrush& owned) {
    if (IsSystemColor(designed)) return GetSysColorBrush(SystemColorIndex(designed));
    owned.reset(CreateSolidBrush(ScreenColor(designed)));
    return owned.get();
}

void RegisterDesignedClasses() {
    static const bool registered = [] {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        for (const char* name : {kPanelClass, kShapeClass, kBevelClass, kGaugeClass, kImageClass})
            RegisterPainted(instance, name);
        // The version the manifest asks for; it stays for the process, its classes serve windows until the end.
        static const LoadedLibrary commonControls = LoadedLibrary::FromActivationContext("comctl32.dll");
        const auto initialize = commonControls.Find<decltype(&InitCommonControlsEx)>("InitCommonControlsEx");
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS |
                                                           ICC_TREEVIEW_CLASSES | ICC_ANIMATE_CLASS |
                                                           ICC_STANDARD_CLASSES};
        if (initialize) initialize(&controls);
        // The rich edit class lives in its own library.
        static const LoadedLibrary richEdit = LoadedLibrary::FromSystemFolder("riched20.dll");
        return true;
    }();
    (void)registered;
}

const char* PaintedClassName(NativeKind kind) {
    switch (kind) {
        case NativeKind::Panel:
        case NativeKind::WhitePanel: return kPanelClass;
        case NativeKind::Shape: return kShapeClass;
        case NativeKind::Bevel: return kBevelClass;
        case NativeKind::Gauge: return kGaugeClass;
        case NativeKind::Image: return kImageClass;
        default: return nullptr;
    }
}

void AttachPainted(HWND window, ControlRecord* record, DialogServices* services) {
    SetPropA(window, kRecordProperty, record);
    SetPropA(window, kServicesProperty, services);
}
