#pragma once
// A wizard dialog as the user sees it: the window built from a designed form
// file, with one native control per designed component. The dialog runtime
// (uDlgAPI_win32.cpp) shows, hides and places it and reacts to its events;
// this class only builds it and reads and writes its properties.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/FormFile.h"
#include "dialogs/UnknownDesign.h"

// What the user did to a control.
enum class ControlEvent {
    Click,       // buttons, labels, images, check boxes, radio buttons, list boxes, a combo box's list choice
    Change,      // typing into edits, memos, rich edits and combo boxes; track bars; tree views;
                 // file, folder and drive controls
    ClickCheck,  // a check mark of a check list box
    MouseUp,     // shapes; tree views (the point is in `mouse`, client coordinates of the control)
};

// One designed component as built. Every component has a native window of
// its own (labels, shapes, bevels and images included), so that the user
// interface tests and the accessibility tools see all of them.
struct DesignedControl {
    const FormObject* design = nullptr;  // the component as read from the form file
    std::string className;               // "TButton"
    std::string name;                    // "Button1"
    int tag = 0;
    std::string hint;
    HWND window = nullptr;
    DesignedControl* parent = nullptr;   // the container it sits in; nullptr on the form itself
};

class PoolTemplate {
public:
    // Reads the form file (binary, with or without resource header) and builds
    // the hidden dialog window with its controls, leaving out what the engine
    // does not know (LeftOut). Throws FormError naming the form file when it
    // cannot be read.
    static std::unique_ptr<PoolTemplate> Load(const std::string& formFile);
    ~PoolTemplate();
    PoolTemplate(const PoolTemplate&) = delete;
    PoolTemplate& operator=(const PoolTemplate&) = delete;

    HWND Window() const;
    // The form file's name without folder ("welcome.dfm").
    const std::string& FileName() const;
    // The unknown properties and classes the form held, left out.
    const std::vector<UnknownDesign>& LeftOut() const;
    // Every designed component except the form itself, in creation order
    // (a container before its children).
    const std::vector<DesignedControl*>& Controls() const;
    DesignedControl* FindControl(std::string_view name) const;  // case-insensitive; nullptr when none

    // Published properties by name as text ("True"/"False", decimal integers,
    // enumeration identifiers, texts; item lists one item per line with CR LF).
    // control == nullptr means the form itself. Reads give the live value of
    // what the user can change (text, check state, selection, position), the
    // designed value otherwise; nullopt when the class has no such property.
    std::optional<std::string> Property(const DesignedControl* control, std::string_view property) const;
    // Writes the property and updates the native control at once. Throws
    // FormError when the text does not fit the property ("abc" for a position).
    void SetProperty(DesignedControl* control, std::string_view property, const std::string& text);

    // The check marks of a check list box, item by item (false for an index
    // out of range or another class), and the writing of one.
    bool ItemChecked(const DesignedControl* control, int index) const;
    void SetItemChecked(DesignedControl* control, int index, bool checked);
    // The texts of a tree view's selected item and its parents, from the root
    // down; empty when nothing is selected or the control is no tree view.
    std::vector<std::string> SelectedTreeItem(const DesignedControl* control) const;

    // Called on the main thread for every user action on a control; callers
    // catch their own exceptions.
    std::function<void(DesignedControl& control, ControlEvent event, POINT mouse)> onEvent;
    // Called once a second while the window exists.
    std::function<void()> onTimer;

    // The answer to every close request (Alt+F4, WM_CLOSE, the system menu).
    bool canClose = true;
    // Result of a modal display: -1 running, 2 cancel, 6 next, 7 back, 8 custom exit.
    int resultCode = -1;
    std::string resultText;  // for 8: the name of the control that ended the dialog
    std::vector<std::string> rules;  // the ".kebf" rules, one per entry
    bool modeless = false;
    std::string currentComponent;    // the component highlighted in the dialog's feature tree or list

private:
    PoolTemplate();
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
