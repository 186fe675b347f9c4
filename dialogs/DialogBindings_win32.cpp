#include "dialogs/DialogBindings_win32.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/EngineMessages.h"
#include "dialogs/DialogPlacement.h"
#include "dialogs/DialogRules.h"
#include "dialogs/FeatureControls_win32.h"
#include "dialogs/HtmlFrame_win32.h"
#include "dialogs/TargetFolder.h"
#include "core/Components.h"
#include "core/Translations.h"
#include "core/VariableStore.h"
#include "system/PathParts.h"
#include "system/Files.h"
#include "system/FolderDialog.h"
#include "system/TextUtils.h"

namespace {

// The state of the dialog being prepared: its design texts, saved before
// the first change (a later entry of the same name never replaces an
// earlier one), and whether the program itself is writing into controls, so
// that the change handlers keep out of it.
struct BindingState {
    std::vector<std::pair<std::string, std::string>> savedTexts;
    bool binding = false;
    std::string shownTarget;  // TARGETDIR as the dialog on screen shows it
    std::string targetTail;   // its part below the deepest existing folder
    std::map<const DesignedControl*, std::unique_ptr<HtmlFrame>> htmlFrames;  // of the prepared dialogs
};

BindingState& Binding() {
    static BindingState state;
    return state;
}

class BindingScope {
public:
    BindingScope() { Binding().binding = true; }
    ~BindingScope() { Binding().binding = false; }
    BindingScope(const BindingScope&) = delete;
    BindingScope& operator=(const BindingScope&) = delete;
};

std::optional<std::string> SavedText(const std::string& name) {
    const std::string wanted = UpperAscii(name);
    for (const auto& [saved, text] : Binding().savedTexts)
        if (saved == wanted) return text;
    return std::nullopt;
}

bool IsOneOf(const std::string& className, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (className == name) return true;
    return false;
}

// The property that holds what a control shows as its text.
const char* TextProperty(const std::string& className) {
    if (IsOneOf(className, {"TEdit", "TMaskEdit", "TMemo", "TRichEdit"})) return "Text";
    if (IsOneOf(className, {"TListBox", "TCheckListBox", "TComboBox"})) return "Items";
    return "Caption";
}

std::string Read(const PoolTemplate& form, const DesignedControl* control, const char* property) {
    return form.Property(control, property).value_or("");
}

// Saves the design text under the control's name (the form's own under its
// file name) and returns it.
std::string SaveText(PoolTemplate& form, DesignedControl* control) {
    const std::string name = control ? control->name : form.FileName();
    const std::string text = Read(form, control, control ? TextProperty(control->className) : "Caption");
    Binding().savedTexts.emplace_back(UpperAscii(name), text);
    return text;
}

std::string Translated(const PoolTemplate& form, const std::string& key, const std::string& design) {
    return TranslationActive() ? TranslateDialogText(form.FileName(), key, design) : design;
}

// Caption processing: the translation when a language is active, then the
// variables expanded.
void TranslateAndExpand(PoolTemplate& form, DesignedControl* control) {
    const std::string design = SaveText(form, control);
    const std::string key = control ? control->name : form.FileName();
    const char* property = control ? TextProperty(control->className) : "Caption";
    form.SetProperty(control, property, ExpandText(Translated(form, key, design)));
}

bool BoundAndDefined(const DesignedControl& control) {
    return !control.hint.empty() && ResolveReference(control.hint) != kUndefinedReferenceValue;
}

void WriteBound(const DesignedControl& control, const std::string& value, const char* handler) {
    if (!control.hint.empty()) DefineVariable(UpperAscii(control.hint), value, handler);
}

// The first support file of the candidates that exists, read whole.
std::optional<std::string> SupportFileText(const std::string& supportFolder, const std::vector<std::string>& names) {
    for (const std::string& name : names)
        if (FileExists(supportFolder + name)) return ReadFileText(supportFolder + name);
    return std::nullopt;
}

// Readme (Tag 1) and licence (Tag 2) viewers: the language's file first.
std::string DocumentText(const std::string& supportFolder, const std::string& base, bool richText) {
    const std::string language = TranslationActive() ? ResolveReferenceOrEmpty("LANGUAGE") : std::string();
    std::vector<std::string> names;
    if (richText) names = {base + "." + language + ".rtf", base + ".rtf"};
    names.push_back(base + "." + language + ".txt");
    names.push_back(base + ".txt");
    if (auto text = SupportFileText(supportFolder, names)) return *text;
    if (richText)
        return "Add a " + base + "." + language + ".rtf or " + base + ".rtf, or " + base + "." + language +
               ".txt or " + base + ".txt file to your project as a support file/creative to display it here.";
    return "Add a " + base + "." + language + ".txt or " + base +
           ".txt file to your project as a support file/creative to display it here.";
}

// A progress value as a bar shows it: 0 to 100, a non-number as full.
std::string BarPosition(const std::string& value) {
    const std::optional<int32_t> number = ParseInt32(value);
    if (!number) return "100";
    return std::to_string(*number < 0 ? 0 : *number > 100 ? 100 : *number);
}

void BindEdit(PoolTemplate& form, DesignedControl& control, bool fold) {
    const std::string design = SaveText(form, &control);
    std::string text = Translated(form, control.name, design);
    if (BoundAndDefined(control)) {
        const std::string value = ResolveReference(control.hint);
        text = fold ? FoldBackslashes(value) : value;
    }
    static const char* const kDefaults[] = {"$STARTMENU$", "$TARGETDIR$", "$USER$", "$COMPANY$"};
    if (text.empty() && control.tag >= 1 && control.tag <= 4) text = ExpandPath(kDefaults[control.tag - 1]);
    form.SetProperty(&control, "Text", text);
}

void BindDocument(PoolTemplate& form, DesignedControl& control, const std::string& supportFolder) {
    const bool richText = control.className == "TRichEdit";
    SaveText(form, &control);
    const bool bound = !control.hint.empty();
    form.SetProperty(&control, "ReadOnly", bound ? "False" : "True");
    if (bound && BoundAndDefined(control))
        form.SetProperty(&control, "Text", NewlineToCrLf(FoldBackslashes(ResolveReference(control.hint))));
    if (control.tag == 1) form.SetProperty(&control, "Text", DocumentText(supportFolder, "readme", richText));
    if (control.tag == 2) form.SetProperty(&control, "Text", DocumentText(supportFolder, "license", richText));
}

// Where folder controls start: TARGETDIR, or the deepest folder of it that exists.
std::string BrowseStartFolder() {
    return DeepestExistingFolder(FoldBackslashes(ResolveReferenceOrEmpty("TARGETDIR")),
                                 [](const std::string& folder) { return FolderExists(folder); });
}

// File, folder and drive controls show the bound value's folder, or with
// Tag 1 where browsing starts.
void BindFolderControl(PoolTemplate& form, DesignedControl& control) {
    const std::string& cls = control.className;
    const bool shell = cls == "TPTShellTree" || cls == "TPTShellList" || cls == "TPTShellCombo";
    const char* property = cls == "TDriveComboBox" ? "Drive" : shell ? "Path" : "Directory";
    const auto show = [&](const std::string& folder) {
        if (folder.empty() || !FolderExists(folder)) return false;
        form.SetProperty(&control, property, cls == "TDriveComboBox" ? folder.substr(0, 1) : folder);
        return true;
    };
    if (BoundAndDefined(control)) {
        const std::string value = ResolveReference(control.hint);
        if (cls == "TFileListBox" || cls == "TPTShellList") show(FolderOfScriptPath(value));
        else show(value);
        if (cls == "TFileListBox" && FileExists(value)) form.SetProperty(&control, "FileName", value);
    }
    if (control.tag != 1) return;
    const std::string start = BrowseStartFolder();
    if (!show(start) && (cls == "TDirectoryListBox" || cls == "TPTShellTree")) show(ParentFolder(start));
}

// Tag 1 Flash frames: no Flash player is installed any more, and the engine
// never installs one, so the frame says why it stays empty.
void BindFlashFrame(PoolTemplate& form, DesignedControl& control, const std::string& supportFolder) {
    if (control.tag != 1) return;
    form.SetProperty(&control, "Caption", FileExists(supportFolder + "movie.swf")
                                              ? "Unable to play Flash movie"
                                              : "Add a movie.swf file to your project to display it here.");
}

// Selects the item equal to the bound variable's value, ignoring case.
void SelectBoundItem(PoolTemplate& form, DesignedControl& control) {
    if (!BoundAndDefined(control)) return;
    const std::string wanted = UpperAscii(ResolveReference(control.hint));
    const std::vector<std::string> items = SplitLines(Read(form, &control, "Items"));
    for (size_t i = 0; i < items.size(); ++i)
        if (UpperAscii(items[i]) == wanted) form.SetProperty(&control, "ItemIndex", std::to_string(i));
}

std::string SelectedItem(const PoolTemplate& form, const DesignedControl& control) {
    const std::vector<std::string> items = SplitLines(Read(form, &control, "Items"));
    const std::optional<int32_t> index = ParseInt32(Read(form, &control, "ItemIndex"));
    return index && *index >= 0 && static_cast<size_t>(*index) < items.size() ? items[*index] : std::string();
}

// Tag 1: the support folder's index.htm, or a word on how to get one there.
void BindHtmlViewer(PoolTemplate& form, DesignedControl& control, const std::string& supportFolder) {
    auto frame = std::make_unique<HtmlFrame>(control.window, supportFolder, [&form](const std::string& title) {
        form.SetProperty(nullptr, "Caption", title);
    });
    if (control.tag == 1 && !frame->LoadPage(supportFolder + "index.htm"))
        frame->ShowText("Add an index.htm file to your project to display it here, along with any other additional "
                        "support/linked files.");
    Binding().htmlFrames[&control] = std::move(frame);
}

void BindControl(PoolTemplate& form, DesignedControl& control, const std::string& supportFolder) {
    const std::string& cls = control.className;
    if (IsOneOf(cls, {"TLabel", "TGroupBox", "TButton", "TSpeedButton", "TBitBtn"})) {
        TranslateAndExpand(form, &control);
    } else if (cls == "TStaticText") {
        TranslateAndExpand(form, &control);
        if (control.tag == 1) form.SetProperty(&control, "Caption", ExpandText(ResolveReferenceOrEmpty("PROGRESSTEXT")));
    } else if (cls == "TEdit" || cls == "TMaskEdit") {
        BindEdit(form, control, cls == "TEdit");
    } else if (cls == "TMemo" || cls == "TRichEdit") {
        BindDocument(form, control, supportFolder);
    } else if (cls == "TRzCheckBox" || cls == "TRzRadioButton") {
        if (BoundAndDefined(control))
            form.SetProperty(&control, "Checked", TextToBool(ResolveReference(control.hint)) ? "True" : "False");
        TranslateAndExpand(form, &control);
    } else if (cls == "TProgressBar" && control.tag == 1) {
        const std::string progress = ResolveReferenceOrEmpty("PROGRESS");
        if (!progress.empty()) form.SetProperty(&control, "Position", BarPosition(progress));
    } else if (cls == "TGauge" && control.tag == 1 && VariableExists("PROGRESS")) {
        form.SetProperty(&control, "Progress", BarPosition(GetVariable("PROGRESS")));
    } else if (cls == "THTMLViewer") {
        BindHtmlViewer(form, control, supportFolder);
    } else if (cls == "TListBox" || cls == "TCheckListBox") {
        TranslateAndExpand(form, &control);
        SelectBoundItem(form, control);
    } else if (cls == "TComboBox") {
        TranslateAndExpand(form, &control);
        if (BoundAndDefined(control)) form.SetProperty(&control, "Text", ResolveReference(control.hint));
    } else if (cls == "TTrackBar") {
        // A value that is no number stops the script with the command's line.
        if (BoundAndDefined(control)) form.SetProperty(&control, "Position", ResolveReference(control.hint));
    } else if (cls == "TTreeView" && control.tag == 1) {
        FillFeatureTree(form, control);
    } else if (IsOneOf(cls, {"TFileListBox", "TDirectoryListBox", "TDriveComboBox", "TPTShellTree", "TPTShellList",
                             "TPTShellCombo"})) {
        BindFolderControl(form, control);
    } else if (cls == "TFlashFrame") {
        BindFlashFrame(form, control, supportFolder);
    }
    if (cls == "TCheckListBox" && control.tag == 1) FillFeatureList(form, control);
}

// The designed texts come back; the variables keep what the user entered.
void RestoreControl(PoolTemplate& form, DesignedControl& control) {
    const std::string& cls = control.className;
    if (cls == "THTMLViewer") Binding().htmlFrames.erase(&control);
    if (cls == "TTreeView") ForgetFeatureTree(control);
    if (IsOneOf(cls, {"TLabel", "TGroupBox", "TButton", "TSpeedButton", "TBitBtn", "TStaticText", "TEdit",
                      "TMaskEdit", "TMemo", "TRichEdit", "TRzCheckBox", "TRzRadioButton", "TListBox",
                      "TCheckListBox", "TComboBox"}))
        if (auto text = SavedText(control.name)) form.SetProperty(&control, TextProperty(cls), *text);
}

// "Description", size of the current component, space needed, space free,
// space left: static texts with Tag 2 to 6.
void RefreshSizeTexts(PoolTemplate& form) {
    for (DesignedControl* control : form.Controls()) {
        if (control->className != "TStaticText" || control->tag < 2 || control->tag > 6) continue;
        std::string text;
        switch (control->tag) {
        case 2: text = NewlineToCrLf(ComponentDescription(form.currentComponent)); break;
        case 3: text = FormatSize(ComponentSize(form.currentComponent)); break;
        case 4: text = FormatSize(RequiredSpace()); break;
        case 5: text = FormatSize(FreeSpaceOnTarget()); break;
        case 6: text = FormatSize(SpaceLeftAfterInstall()); break;
        }
        form.SetProperty(control, "Caption", text);
    }
}

// The destination folder becomes the chosen folder with the target's tail;
// the edit fields of the destination (Tag 2) show it and write it back.
void SetTargetFolder(PoolTemplate& form, const std::string& chosen) {
    const std::string target = ChosenTarget(Binding().shownTarget, Binding().targetTail, chosen);
    for (DesignedControl* control : form.Controls()) {
        if (control->className != "TEdit" || control->tag != 2) continue;
        form.SetProperty(control, "Text", target);
        WriteBound(*control, target, "Edit1Change");
    }
    RefreshSizeTexts(form);
}

// Tag 4 buttons: the user picks a folder; the target follows.
void BrowseForTarget(PoolTemplate& form) {
    const auto chosen = BrowseForFolder(reinterpret_cast<WindowHandle>(form.Window()), "");
    if (chosen && !chosen->empty()) SetTargetFolder(form, *chosen);
}

void RunButtonRole(PoolTemplate& form, DesignedControl& control) {
    form.resultCode = -1;
    switch (control.tag) {
    case 1: form.resultCode = 6; break;
    case 2: form.resultCode = 7; break;
    case 3:
        if (ShowMessageBox(reinterpret_cast<WindowHandle>(form.Window()), EngineText(EngineMessage::ConfirmCancel),
                           kProductCaption, kMbYesNo | kMbIconQuestion | kMbDefaultButton2) != kIdYes)
            return;
        SetCancelRequested(true);
        form.SetProperty(&control, "Enabled", "False");
        form.resultCode = 2;
        break;
    case 4: BrowseForTarget(form); break;
    case 5:
        form.resultCode = 8;
        form.resultText = control.name;
        break;
    }
}

// Moves the focus on when a field is full: the next field in tab order.
void AdvanceWhenFull(PoolTemplate& form, DesignedControl& control, const std::string& text) {
    const int maxLength = std::stoi(form.Property(&control, "MaxLength").value_or("0"));
    if (maxLength <= 0 || static_cast<int>(text.size()) < maxLength) return;
    const int order = std::stoi(form.Property(&control, "TabOrder").value_or("-1"));
    for (DesignedControl* other : form.Controls())
        if (other->parent == control.parent && form.Property(other, "TabOrder") == std::to_string(order + 1))
            SetFocus(other->window);
}

// A folder control's choice: its variable, and with Tag 1 the destination.
void HandleFolderChange(PoolTemplate& form, DesignedControl& control) {
    const std::string& cls = control.className;
    std::string value, folder;
    const char* handler = nullptr;
    if (cls == "TFileListBox") {
        value = Read(form, &control, "FileName");
        folder = FolderOfScriptPath(value);
        handler = "FileListBox1Change";
    } else if (cls == "TDirectoryListBox") {
        value = folder = Read(form, &control, "Directory");
        handler = "DirectoryListBox1Change";
    } else if (cls == "TDriveComboBox") {
        value = folder = Read(form, &control, "Drive") + ":\\";
        handler = "DriveComboBox1Change";
    } else if (cls == "TPTShellTree" || cls == "TPTShellCombo") {
        value = folder = Read(form, &control, "Path");
        handler = cls == "TPTShellTree" ? "PTShellTree1Change" : "PTShellCombo1Change";
    } else if (cls == "TPTShellList") {
        value = folder = Read(form, &control, "FileName");
        if (value.empty()) return;
        handler = "PTShellList1Change";
    } else {
        return;
    }
    WriteBound(control, value, handler);
    if (control.tag == 1) SetTargetFolder(form, folder);
}

void HandleChange(PoolTemplate& form, DesignedControl& control) {
    const std::string& cls = control.className;
    if (cls == "TEdit" || cls == "TMaskEdit") {
        const std::string text = Read(form, &control, "Text");
        WriteBound(control, text, cls == "TEdit" ? "Edit1Change" : "MaskEdit1Change");
        RefreshSizeTexts(form);
        AdvanceWhenFull(form, control, text);
    } else if (cls == "TMemo" || cls == "TRichEdit") {
        WriteBound(control, CrLfToNewline(Read(form, &control, "Text")),
                   cls == "TMemo" ? "Memo1Change" : "RichEdit1Change");
        RefreshSizeTexts(form);
    } else if (cls == "TComboBox") {
        WriteBound(control, Read(form, &control, "Text"), "ComboBox1Change");
    } else if (cls == "TTrackBar") {
        WriteBound(control, Read(form, &control, "Position"), "TrackBar1Change");
    } else if (cls == "TTreeView") {
        const std::vector<std::string> levels = form.SelectedTreeItem(&control);
        if (!levels.empty()) WriteBound(control, levels.back(), "TreeView1Change");
        if (control.tag == 1) {
            form.currentComponent = SelectedFeaturePath(form, control);
            RefreshSizeTexts(form);
        }
    } else {
        HandleFolderChange(form, control);
    }
}

void HandleClick(PoolTemplate& form, DesignedControl& control) {
    const std::string& cls = control.className;
    if (cls == "TListBox" || cls == "TCheckListBox") {
        const std::string item = SelectedItem(form, control);
        if (Read(form, &control, "ItemIndex") != "-1")
            WriteBound(control, item, cls == "TListBox" ? "ListBox1Click" : "CheckListBox1Click");
        if (cls == "TCheckListBox" && control.tag == 1) {
            form.currentComponent = item;
            RefreshSizeTexts(form);
        }
    } else if (cls == "TComboBox") {
        WriteBound(control, Read(form, &control, "Text"), "ComboBox1Click");
    } else if (cls == "TRzCheckBox") {
        WriteBound(control, TextToBool(Read(form, &control, "Checked")) ? "TRUE" : "FALSE", "CheckBox1Click");
    } else if (cls == "TRzRadioButton") {
        for (DesignedControl* radio : form.Controls())
            if (radio->className == "TRzRadioButton")
                WriteBound(*radio, Read(form, radio, "Checked") == "True" ? "TRUE" : "FALSE", "RadioButton1Click");
    } else if (IsOneOf(cls, {"TLabel", "TButton", "TBitBtn", "TSpeedButton", "TImage"})) {
        RunButtonRole(form, control);
    }
}

}  // namespace

void EvaluateRules(PoolTemplate& form) {
    EvaluateDialogRules(
        form.rules,
        {[&form](const std::string& component, const std::string& property) -> std::optional<std::string> {
             const DesignedControl* control = form.FindControl(component);
             if (!control) return std::nullopt;
             return form.Property(control, property);
         },
         [&form](const std::string& component, const std::string& property, const std::string& value) {
             if (DesignedControl* control = form.FindControl(component)) form.SetProperty(control, property, value);
         }});
}

void BindControls(PoolTemplate& form, const std::string& supportFolder) {
    Binding().savedTexts.clear();
    BindingScope scope;
    for (DesignedControl* control : form.Controls()) BindControl(form, *control, supportFolder);
    TranslateAndExpand(form, nullptr);
    RefreshSizeTexts(form);
    EvaluateRules(form);
}

void RestoreControls(PoolTemplate& form) {
    BindingScope scope;
    for (DesignedControl* control : form.Controls()) RestoreControl(form, *control);
    if (auto caption = SavedText(form.FileName())) form.SetProperty(nullptr, "Caption", *caption);
    RefreshSizeTexts(form);
    EvaluateRules(form);
}

void ForgetControls(PoolTemplate& form) {
    for (DesignedControl* control : form.Controls()) {
        Binding().htmlFrames.erase(control);
        ForgetFeatureTree(*control);
    }
}

void RememberTargetTail() {
    const std::string target = FoldBackslashes(ResolveReferenceOrEmpty("TARGETDIR"));
    Binding().shownTarget = target;
    Binding().targetTail = TargetTail(target, [](const std::string& folder) { return FolderExists(folder); });
}

void HandleControlEvent(PoolTemplate& form, DesignedControl& control, ControlEvent event, POINT mouse) {
    try {
        // The feature choices run even while the program fills the dialog.
        if (event == ControlEvent::MouseUp && control.className == "TTreeView" && control.tag == 1) {
            FeatureTreeMouseUp(form, control, mouse);
            RefreshSizeTexts(form);
            EvaluateRules(form);
            return;
        }
        if (event == ControlEvent::ClickCheck && control.className == "TCheckListBox" && control.tag == 1) {
            FeatureListChecked(form, control);
            RefreshSizeTexts(form);
            EvaluateRules(form);
            return;
        }
        if (Binding().binding) return;
        if (event == ControlEvent::Change) HandleChange(form, control);
        else if (event == ControlEvent::Click) HandleClick(form, control);
        else if (event == ControlEvent::MouseUp && control.className == "TShape") RunButtonRole(form, control);
        EvaluateRules(form);
    } catch (const std::exception&) {
        // A handler runs inside the window procedure: nothing may escape it.
    }
}

namespace {

struct RangeNames {
    const char* minimum;
    const char* maximum;
    const char* position;
};

// A progress bar or gauge takes the range and position; one that cannot
// (a number beyond its type) shows itself full.
void ShowRange(PoolTemplate& form, DesignedControl& control, RangeNames names, const BarProgress& values) {
    try {
        form.SetProperty(&control, names.minimum, "0");
        form.SetProperty(&control, names.maximum, std::to_string(values.maximum));
        form.SetProperty(&control, names.minimum, std::to_string(values.minimum));
        form.SetProperty(&control, names.position, std::to_string(values.position));
    } catch (const std::exception&) {
        form.SetProperty(&control, names.position, Read(form, &control, names.maximum));
    }
}

}  // namespace

void ShowProgressIn(PoolTemplate& form, const ProgressSnapshot& progress) {
    for (DesignedControl* control : form.Controls()) {
        const std::string& cls = control->className;
        try {
            if (IsOneOf(cls, {"TLabel", "TButton", "TBitBtn", "TSpeedButton", "TStaticText"}))
                form.SetProperty(control, "Caption", ExpandText(Read(form, control, "Caption")));
            if (cls == "TStaticText" && control->tag == 1) form.SetProperty(control, "Caption", progress.text);
            if (cls == "TProgressBar" && control->tag == 1)
                ShowRange(form, *control, {"Min", "Max", "Position"}, ScaleForProgressBar(progress));
            if (cls == "TGauge" && control->tag == 1)
                ShowRange(form, *control, {"MinValue", "MaxValue", "Progress"},
                          {progress.minimum, progress.maximum, progress.position});
        } catch (const std::exception&) {
            // A control that cannot show the progress keeps what it shows.
        }
    }
    try {
        EvaluateRules(form);
    } catch (const std::exception&) {
        // Runs from the timer: a rule that cannot be applied waits for the next event.
    }
}
