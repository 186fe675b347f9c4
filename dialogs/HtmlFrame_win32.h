#pragma once
// The HTML frame of a dialog (a THTMLViewer control): the support folder's
// pages shown as rich text in a read-only rich edit that fills the designed
// panel, with clickable links and timed page refreshes.
#include <windows.h>

#include <functional>
#include <string>

#include "dialogs/HtmlPage.h"

class HtmlFrame {
public:
    // onTitle receives the title of each page that a refresh loads.
    HtmlFrame(HWND panel, std::string supportFolder, std::function<void(const std::string&)> onTitle);
    ~HtmlFrame();
    HtmlFrame(const HtmlFrame&) = delete;
    HtmlFrame& operator=(const HtmlFrame&) = delete;

    // Shows the page of that file (a full path); false when it cannot be read.
    bool LoadPage(const std::string& file);
    void ShowText(const std::string& text);
    const std::string& title() const { return page_.title; }

private:
    static LRESULT CALLBACK PanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Show(const RichPage& page);
    void FollowLink(const std::string& link);
    void RefreshNow();

    HWND panel_;
    HWND edit_ = nullptr;
    WNDPROC previous_ = nullptr;
    std::string supportFolder_;
    std::function<void(const std::string&)> onTitle_;
    std::string file_;          // the page on screen
    RichPage page_;
    std::string refreshFrom_;   // the page that asked for a refresh
    std::string refreshTo_;
};
