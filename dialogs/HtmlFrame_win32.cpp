#include "dialogs/HtmlFrame_win32.h"

#include <richedit.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <type_traits>

#include "dialogs/DesignedControls_win32.h"
#include "system/PathParts.h"
#include "system/Files.h"
#include "system/LoadedLibrary.h"

namespace {

constexpr UINT_PTR kRefreshTimer = 0x4854;  // "HT"

const char* RichEditClass() {
    static const LoadedLibrary library = LoadedLibrary::FromSystemFolder("riched20.dll");
    return library.loaded() ? RICHEDIT_CLASSA : nullptr;
}


bool IsAbsolute(const std::string& path) {
    return (path.size() > 1 && path[1] == ':') || (path.size() > 1 && path[0] == '\\' && path[1] == '\\');
}

std::string Extension(const std::string& file) {
    const size_t dot = file.find_last_of('.');
    std::string extension = dot == std::string::npos ? "" : file.substr(dot);
    for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return extension;
}

// A decoded picture as a bottom-up 32-bit device-independent bitmap: four
// bytes a pixel keep every row aligned, and four spare bytes at the end
// serve rich edits that look for the pixels one palette entry further on
// (Wine's does), which then shifts the picture by a pixel, not its colours.
std::optional<PageBitmap> DibOf(HBITMAP decoded) {
    const std::unique_ptr<std::remove_pointer_t<HBITMAP>, decltype(&DeleteObject)> bitmap(decoded, DeleteObject);
    BITMAP shape{};
    if (!bitmap || !GetObjectA(bitmap.get(), sizeof shape, &shape)) return std::nullopt;
    if (shape.bmWidth <= 0 || shape.bmWidth > 8192 || shape.bmHeight <= 0 || shape.bmHeight > 8192)
        return std::nullopt;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = shape.bmWidth;
    header.biHeight = shape.bmHeight;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    const size_t stride = static_cast<size_t>(shape.bmWidth) * 4;
    std::string dib(sizeof header + stride * shape.bmHeight + 4, '\0');
    std::memcpy(dib.data(), &header, sizeof header);
    const HDC screen = GetDC(nullptr);
    const int rows = GetDIBits(screen, bitmap.get(), 0, shape.bmHeight, dib.data() + sizeof header,
                               reinterpret_cast<BITMAPINFO*>(dib.data()), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (rows != shape.bmHeight) return std::nullopt;
    return PageBitmap{std::move(dib), shape.bmWidth, shape.bmHeight};
}

// Pictures of the page: bitmaps, JPEG, PNG and GIF.
std::optional<PageBitmap> LoadPicture(const std::string& pageFolder, const std::string& source) {
    std::string file = source;
    for (char& c : file)
        if (c == '/') c = '\\';
    if (!IsAbsolute(file)) file = pageFolder + file;
    const std::optional<std::string> bytes = ReadFileText(file);
    if (!bytes) return std::nullopt;
    return DibOf(PictureFileBitmap(*bytes));
}

struct StreamSource {
    const std::string* text;
    size_t offset = 0;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const size_t n = std::min(static_cast<size_t>(wanted), source->text->size() - source->offset);
    std::memcpy(buffer, source->text->data() + source->offset, n);
    source->offset += n;
    *given = static_cast<LONG>(n);
    return 0;
}

}  // namespace

HtmlFrame::HtmlFrame(HWND panel, std::string supportFolder, std::function<void(const std::string&)> onTitle)
    : panel_(panel), supportFolder_(std::move(supportFolder)), onTitle_(std::move(onTitle)) {
    RECT client{};
    GetClientRect(panel_, &client);
    if (const char* cls = RichEditClass())
        edit_ = CreateWindowExA(0, cls, "",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                                0, 0, client.right, client.bottom, panel_, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!edit_) return;
    SendMessageA(edit_, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));
    SendMessageA(edit_, EM_SETEVENTMASK, 0, ENM_LINK);
    SetWindowLongPtrA(panel_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previous_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(panel_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&HtmlFrame::PanelProcedure)));
}

HtmlFrame::~HtmlFrame() {
    if (!edit_) return;
    KillTimer(panel_, kRefreshTimer);
    SetWindowLongPtrA(panel_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    SetWindowLongPtrA(panel_, GWLP_USERDATA, 0);
    DestroyWindow(edit_);
}

bool HtmlFrame::LoadPage(const std::string& file) {
    const std::optional<std::string> html = ReadFileText(file);
    if (!html) return false;
    file_ = file;
    const std::string folder = FolderOfScriptPath(file);
    Show(HtmlToRichText(*html, [&folder](const std::string& source) { return LoadPicture(folder, source); }));
    KillTimer(panel_, kRefreshTimer);
    if (page_.refresh) {
        const std::string target = supportFolder_ + RefreshTargetFile(page_.refresh->target);
        if (FileExists(target)) {
            refreshFrom_ = file_;
            refreshTo_ = target;
            SetTimer(panel_, kRefreshTimer, static_cast<UINT>(page_.refresh->seconds) * 1000, nullptr);
        }
    }
    return true;
}

void HtmlFrame::ShowText(const std::string& text) {
    file_.clear();
    RichPage page;
    page.rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Tahoma;}}\\fs17 ";
    for (char c : text) {
        if (c == '\\' || c == '{' || c == '}') page.rtf += '\\';
        page.rtf += c;
    }
    page.rtf += "}";
    Show(page);
}

void HtmlFrame::Show(const RichPage& page) {
    page_ = page;
    if (!edit_) return;
    StreamSource source{&page_.rtf};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadStream};
    SendMessageA(edit_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    for (const PageLink& link : page_.links) {
        CHARRANGE range{link.start, link.start + link.length};
        SendMessageA(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2A format{};
        format.cbSize = sizeof format;
        format.dwMask = CFM_LINK;
        format.dwEffects = CFE_LINK;
        SendMessageA(edit_, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    }
    CHARRANGE start{0, 0};
    SendMessageA(edit_, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
}

void HtmlFrame::FollowLink(const std::string& link) {
    const HotSpotAction action = ClassifyHotSpot(link);
    const std::string base = file_.empty() ? supportFolder_ : FolderOfScriptPath(file_);
    const std::string file = IsAbsolute(action.file) ? action.file : base + action.file;
    switch (action.kind) {
    case HotSpotAction::PlaySound: {
        static const LoadedLibrary winmm = LoadedLibrary::FromSystemFolder("winmm.dll");
        using PlaySoundFunction = BOOL(WINAPI*)(LPCSTR, HMODULE, DWORD);
        if (auto play = winmm.Find<PlaySoundFunction>("PlaySoundA")) play(file.c_str(), nullptr, 0x0001 | 0x00020000);
        break;
    }
    case HotSpotAction::StartProgram:
        ShellExecuteA(GetAncestor(panel_, GA_ROOT), nullptr, file.c_str(),
                      action.parameters.empty() ? nullptr : action.parameters.c_str(), FolderOfScriptPath(file).c_str(),
                      SW_SHOWNORMAL);
        break;
    case HotSpotAction::OpenWithShell:
        ShellExecuteA(GetAncestor(panel_, GA_ROOT), "open", action.file.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        break;
    case HotSpotAction::LeaveToViewer: {
        // The frame follows links to its own pages; anything else stays unopened.
        const std::string page = IsAbsolute(link) ? link : base + link;
        const std::string extension = Extension(page);
        if (extension == ".HTM" || extension == ".HTML") LoadPage(page);
        break;
    }
    }
}

void HtmlFrame::RefreshNow() {
    KillTimer(panel_, kRefreshTimer);
    if (file_ != refreshFrom_ || !LoadPage(refreshTo_)) return;
    if (onTitle_) onTitle_(page_.title);
}

LRESULT CALLBACK HtmlFrame::PanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* frame = reinterpret_cast<HtmlFrame*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!frame) return DefWindowProcA(window, message, wParam, lParam);
    try {
        if (message == WM_NOTIFY) {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->hwndFrom == frame->edit_ && header->code == EN_LINK) {
                const auto* link = reinterpret_cast<const ENLINK*>(lParam);
                if (link->msg == WM_LBUTTONUP) {
                    for (const PageLink& candidate : frame->page_.links)
                        if (link->chrg.cpMin >= candidate.start && link->chrg.cpMin < candidate.start + candidate.length) {
                            const std::string target = candidate.target;
                            frame->FollowLink(target);
                            break;
                        }
                }
                return 0;
            }
        } else if (message == WM_TIMER && wParam == kRefreshTimer) {
            frame->RefreshNow();
            return 0;
        } else if (message == WM_SIZE && frame->edit_) {
            MoveWindow(frame->edit_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        }
    } catch (...) {
        return 0;
    }
    return CallWindowProcA(frame->previous_, window, message, wParam, lParam);
}
