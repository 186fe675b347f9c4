// Shows a designed form as the engine builds it and answers commands on
// standard input, one per line, for the end-to-end tests:
//
//   get CONTROL.PROPERTY        "value: TEXT" (line breaks as \n), "none" or "error: TEXT"
//   set CONTROL.PROPERTY=TEXT   "ok" or "error: TEXT"; \n in TEXT is a line break
//   canclose true|false         "ok": the answer to close requests
//   visible                     "True" or "False": whether the window is on screen
//   events                      "events:" and the events since the last call ("Name.Click", ...)
//   checks CONTROL              "checks:" and 1 or 0 per item of a check list box
//   treepath CONTROL            "path:" and the texts from a tree's root to its selected item, "\\"-joined
//   font CONTROL                "font:" and what the control's window reports (WM_GETFONT, GetObject):
//                               height weight italic underline strikeout charset pitch face, then "|" and
//                               what the system made of it: height weight and face of the realised font
//   dpi N                       "ok": the window is told it moved to a screen of N dots per inch
//                               (WM_DPICHANGED, its size scaled with the density)
//   cut                         "cut:" and the names of the labels, buttons and boxes whose text
//                               does not fit their window in the font they show it in
//   exclaim CONTROL             "ok": from now on each change of the control's text appends "!"
//                               to it, a handler that writes what it reacts to
//   quit
//
// CONTROL is a component's name, empty for the form itself (".Caption").
// Prints "ready" once the window is shown, or "error: TEXT" and ends with
// exit code 3 when the form cannot be read.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "dialogs/PoolTemplate_win32.h"

namespace {

constexpr UINT kLineMessage = WM_APP + 1;

void Say(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') out += "\\n";
        else out += c;
    }
    return out;
}

std::string Unescaped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            out += "\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::vector<std::string> SplitItems(const std::string& text) {
    std::vector<std::string> items;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        items.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return items;
}

const char* EventName(ControlEvent event) {
    switch (event) {
        case ControlEvent::Click: return "Click";
        case ControlEvent::Change: return "Change";
        case ControlEvent::ClickCheck: return "ClickCheck";
        case ControlEvent::MouseUp: return "MouseUp";
    }
    return "?";
}

class Session {
public:
    explicit Session(PoolTemplate& dialog) : dialog_(dialog) {
        dialog_.onEvent = [this](DesignedControl& control, ControlEvent event, POINT) {
            events_ += " " + control.name + "." + EventName(event);
            if (&control == exclaimed_ && event == ControlEvent::Change)
                dialog_.SetProperty(&control, "Text", dialog_.Property(&control, "Text").value_or("") + "!");
        };
    }

    // False when the session ends.
    bool Run(const std::string& line) {
        const size_t blank = line.find(' ');
        const std::string verb = line.substr(0, blank);
        const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
        try {
            if (verb == "quit") return false;
            if (verb == "get") Get(rest);
            else if (verb == "set") Set(rest);
            else if (verb == "canclose") {
                dialog_.canClose = rest == "true";
                Say("ok");
            } else if (verb == "visible") {
                Say(IsWindowVisible(dialog_.Window()) ? "True" : "False");
            } else if (verb == "checks") {
                DesignedControl* control = dialog_.FindControl(rest);
                const auto items = SplitItems(dialog_.Property(control, "Items").value_or(""));
                std::string marks;
                for (size_t i = 0; i < items.size(); ++i)
                    marks += dialog_.ItemChecked(control, static_cast<int>(i)) ? " 1" : " 0";
                Say("checks:" + marks);
            } else if (verb == "treepath") {
                std::string path;
                for (const std::string& text : dialog_.SelectedTreeItem(dialog_.FindControl(rest)))
                    path += (path.empty() ? "" : "\\") + text;
                Say("path: " + path);
            } else if (verb == "dpi") {
                Rescale(std::stoi(rest));
            } else if (verb == "cut") {
                Cut();
            } else if (verb == "font") {
                Font(rest);
            } else if (verb == "exclaim") {
                exclaimed_ = dialog_.FindControl(rest);
                Say(exclaimed_ ? "ok" : "error: no control " + rest);
            } else if (verb == "events") {
                Say("events:" + events_);
                events_.clear();
            } else {
                Say("error: unknown command " + verb);
            }
        } catch (const std::exception& e) {
            Say(std::string("error: ") + e.what());
        }
        return true;
    }

private:
    // "Name.Property" into the control (nullptr: the form) and the property.
    DesignedControl* Control(const std::string& path, std::string& property) {
        const size_t dot = path.find('.');
        if (dot == std::string::npos) throw std::runtime_error("no property in " + path);
        property = path.substr(dot + 1);
        if (dot == 0) return nullptr;
        DesignedControl* control = dialog_.FindControl(path.substr(0, dot));
        if (!control) throw std::runtime_error("no control " + path.substr(0, dot));
        return control;
    }

    void Get(const std::string& path) {
        std::string property;
        DesignedControl* control = Control(path, property);
        const auto value = dialog_.Property(control, property);
        Say(value ? "value: " + Escaped(*value) : "none");
    }

    void Font(const std::string& name) {
        DesignedControl* control = name.empty() ? nullptr : dialog_.FindControl(name);
        if (!name.empty() && !control) throw std::runtime_error("no control " + name);
        HWND window = control ? control->window : dialog_.Window();
        auto font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
        LOGFONTA design{};
        if (!font || !GetObjectA(font, sizeof design, &design)) throw std::runtime_error("no font on " + name);
        HDC dc = GetDC(window);
        HGDIOBJ old = SelectObject(dc, font);
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        char face[LF_FACESIZE] = {};
        GetTextFaceA(dc, sizeof face, face);
        SelectObject(dc, old);
        ReleaseDC(window, dc);
        char line[400];
        std::snprintf(line, sizeof line, "font: %ld %ld %d %d %d %d %d %s | %ld %ld %s", design.lfHeight,
                      design.lfWeight, design.lfItalic, design.lfUnderline, design.lfStrikeOut, design.lfCharSet,
                      design.lfPitchAndFamily & 3, design.lfFaceName, metrics.tmHeight - metrics.tmInternalLeading, metrics.tmWeight, face);
        Say(line);
    }

    void Rescale(int dpi) {
        HWND window = dialog_.Window();
        RECT now;
        GetWindowRect(window, &now);
        if (!dpiNow_) {
            HDC screen = GetDC(nullptr);
            dpiNow_ = std::max(GetDeviceCaps(screen, LOGPIXELSY), 1);
            ReleaseDC(nullptr, screen);
        }
        RECT suggested{now.left, now.top, now.left + MulDiv(now.right - now.left, dpi, dpiNow_),
                       now.top + MulDiv(now.bottom - now.top, dpi, dpiNow_)};
        dpiNow_ = dpi;
        SendMessageA(window, 0x02E0, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
        Say("ok");
    }

    // Whether the control's text fits its window in its font.
    static bool TextFits(HWND control) {
        char className[64] = {};
        GetClassNameA(control, className, sizeof className);
        const std::string kind = className;
        char text[2048] = {};
        const int length = GetWindowTextA(control, text, sizeof text);
        if (length == 0 || (kind != "Static" && kind != "Button")) return true;
        const LONG style = GetWindowLongA(control, GWL_STYLE);
        const LONG type = style & BS_TYPEMASK;
        if (kind == "Button" && type == BS_GROUPBOX) return true;
        RECT client;
        GetClientRect(control, &client);
        int room = client.right;
        if (kind == "Button" && type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)
            room -= GetSystemMetrics(SM_CXMENUCHECK) + 4;  // the check mark and its gap
        else if (kind == "Button")
            room -= 6;  // the button's edges
        const bool wraps = kind == "Static" && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP;
        HDC dc = GetDC(control);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
        RECT need{0, 0, room, 0};
        DrawTextA(dc, text, length, &need, DT_CALCRECT | (wraps ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        ReleaseDC(control, dc);
        return need.right <= room && need.bottom <= client.bottom;
    }

    void Cut() {
        std::string names;
        for (DesignedControl* control : dialog_.Controls())
            if (IsWindowVisible(control->window) && !TextFits(control->window)) names += " " + control->name;
        Say("cut:" + names);
    }

    void Set(const std::string& assignment) {
        const size_t equals = assignment.find('=');
        if (equals == std::string::npos) throw std::runtime_error("no value in " + assignment);
        std::string property;
        DesignedControl* control = Control(assignment.substr(0, equals), property);
        dialog_.SetProperty(control, property, Unescaped(assignment.substr(equals + 1)));
        Say("ok");
    }

    PoolTemplate& dialog_;
    std::string events_;
    DesignedControl* exclaimed_ = nullptr;
    int dpiNow_ = 0;  // the density the window was last told of
};

int Run(const std::string& formFile) {
    std::unique_ptr<PoolTemplate> dialog;
    try {
        dialog = PoolTemplate::Load(formFile);
    } catch (const std::exception& e) {
        Say(std::string("error: ") + e.what());
        return 3;
    }
    Session session(*dialog);
    dialog->canClose = false;
    ShowWindow(dialog->Window(), SW_SHOWNORMAL);
    SetForegroundWindow(dialog->Window());
    UpdateWindow(dialog->Window());
    Say("ready");

    const DWORD mainThread = GetCurrentThreadId();
    std::thread reader([mainThread] {
        for (std::string line; std::getline(std::cin, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            PostThreadMessageA(mainThread, kLineMessage, 0, reinterpret_cast<LPARAM>(new std::string(line)));
        }
        PostThreadMessageA(mainThread, kLineMessage, 0, reinterpret_cast<LPARAM>(new std::string("quit")));
    });
    reader.detach();  // it ends with the process; stdin may stay open

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == nullptr && message.message == kLineMessage) {
            const std::unique_ptr<std::string> line(reinterpret_cast<std::string*>(message.lParam));
            if (!session.Run(*line)) break;
            continue;
        }
        if (IsDialogMessageA(dialog->Window(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    Say("bye");
    std::fflush(stdout);
    // The reader thread may still wait on standard input.
    ExitProcess(0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: formwindow FORM.dfm\n");
        return 2;
    }
    try {
        return Run(argv[1]);
    } catch (...) {
        return 4;
    }
}
