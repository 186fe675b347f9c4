// The classes and published properties a wizard form may use, with the text
// kind and class default of the properties the runtime and the rules read.
#include "dialogs/DesignedClasses.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "dialogs/DesignedColors.h"
#include "dialogs/FormNumbers.h"
#include "system/TextUtils.h"

namespace {

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool StartsWithLetters(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && Lower(text.substr(0, prefix.size())) == Lower(prefix);
}

// Property groups, as blank-separated names.
#define COMMON                                                                                                   \
    "Left Top Width Height Tag Hint Visible Enabled ShowHint ParentShowHint HelpContext HelpType HelpKeyword " \
    "Anchors Align AlignWithMargins Cursor DragCursor DragKind DragMode PopupMenu BiDiMode ParentBiDiMode "      \
    "DesignSize StyleElements StyleName CustomHint Action "
#define FONT                                                                                                     \
    "Font.Charset Font.Color Font.Height Font.Name Font.Style Font.Size Font.Pitch Font.Quality "               \
    "Font.Orientation ParentFont "
#define COLOR "Color ParentColor "
#define WINDOWED                                                                                                 \
    "TabOrder TabStop Ctl3D ParentCtl3D ImeMode ImeName DoubleBuffered ParentDoubleBuffered BevelEdges "         \
    "BevelInner BevelKind BevelOuter BevelWidth UseDockManager DockSite ParentBackground "
#define EDIT                                                                                                     \
    COMMON FONT COLOR WINDOWED                                                                                   \
    "Text MaxLength ReadOnly PasswordChar CharCase AutoSelect AutoSize BorderStyle HideSelection OEMConvert "    \
    "NumbersOnly TextHint Alignment "
#define MEMO EDIT "Lines.Strings ScrollBars WantReturns WantTabs WordWrap "
#define BUTTON                                                                                                   \
    COMMON FONT WINDOWED "Caption Default Cancel ModalResult WordWrap Style ImageIndex ImageAlignment Images "  \
    "DisabledImageIndex HotImageIndex PressedImageIndex SelectedImageIndex ElevationRequired CommandLinkHint "
#define GLYPH "Glyph.Data Kind Layout Margin NumGlyphs Spacing "
#define RAIZE_BOX                                                                                                \
    COMMON FONT COLOR WINDOWED                                                                                   \
    "Caption Checked State AllowGrayed Alignment AlignmentVertical AutoSize FrameColor FocusColor "              \
    "DisabledColor HotTrack HotTrackColor HotTrackColorType HighlightColor LightTextStyle ReadOnly "             \
    "ReadOnlyColor TextShadowColor TextShadowDepth TextStyle Transparent TransparentColor WordWrap "             \
    "CustomGlyphs UseCustomGlyphs ThemeAware FillColor FrameHotColor FrameHotTrack FrameHotStyle "
#define LIST                                                                                                     \
    COMMON FONT COLOR WINDOWED                                                                                   \
    "Items.Strings ItemIndex ItemHeight Sorted MultiSelect ExtendedSelect Columns IntegralHeight Style "        \
    "BorderStyle AutoComplete TabWidth ScrollWidth "
#define COMBO                                                                                                    \
    COMMON FONT COLOR WINDOWED                                                                                   \
    "Items.Strings ItemIndex Text Style DropDownCount ItemHeight MaxLength Sorted CharCase AutoComplete "       \
    "AutoDropDown AutoCloseUp "
#define PANEL                                                                                                    \
    COMMON FONT COLOR WINDOWED                                                                                   \
    "Caption Alignment BorderStyle BorderWidth AutoSize FullRepaint Locked ShowCaption VerticalAlignment "
#define TREE                                                                                                     \
    COMMON FONT COLOR WINDOWED                                                                                   \
    "AutoExpand BorderStyle ChangeDelay HideSelection HotTrack Indent ReadOnly RightClickSelect RowSelect "      \
    "ShowButtons ShowLines ShowRoot SortType ToolTips Images StateImages MultiSelect MultiSelectStyle "
#define SHELL                                                                                                    \
    "AutoContextMenus AutoNavigate AutoRefresh ShowHidden ShowNetHood ShowRecycleBin ShowFiles ComboBox "        \
    "ShellList ShellTree ShellCombo RootedAt RootedAtFileSystemFolder Options ObjectTypes FileFilter Path "

struct ClassEntry {
    DesignedClass cls;
    const char* properties;
};

const ClassEntry kClasses[] = {
    {{"TLabel", false},
     COMMON FONT COLOR "Caption Alignment AutoSize FocusControl Layout ShowAccelChar Transparent WordWrap "
                       "EllipsisPosition GlowSize"},
    {{"TEdit", false}, EDIT},
    {{"TMemo", false}, MEMO},
    {{"TButton", false}, BUTTON},
    {{"TRzCheckBox", false}, RAIZE_BOX},
    {{"TRzRadioButton", false}, RAIZE_BOX},
    {{"TListBox", false}, LIST},
    {{"TComboBox", false}, COMBO},
    {{"TGroupBox", true}, COMMON FONT COLOR WINDOWED "Caption"},
    {{"TPanel", true}, PANEL},
    {{"TBitBtn", false}, BUTTON GLYPH},
    {{"TSpeedButton", false},
     COMMON FONT GLYPH "Caption AllowAllUp Down Flat GroupIndex Transparent Images ImageIndex"},
    {{"TMaskEdit", false}, EDIT "EditMask"},
    {{"TImage", false}, COMMON "Picture.Data AutoSize Center Proportional Stretch Transparent IncrementalDisplay"},
    {{"TShape", false}, COMMON "Brush.Color Brush.Style Pen.Color Pen.Mode Pen.Style Pen.Width Shape"},
    {{"TBevel", false}, COMMON "Shape Style"},
    {{"TStaticText", false},
     COMMON FONT COLOR WINDOWED "Caption Alignment AutoSize BorderStyle FocusControl ShowAccelChar Transparent"},
    {{"TGauge", false},
     COMMON FONT COLOR "BackColor BorderStyle ForeColor Kind MaxValue MinValue Progress ShowText"},
    {{"TRichEdit", false}, MEMO "PlainText HideScrollBars Zoom"},
    {{"TTrackBar", false},
     COMMON WINDOWED "Min Max Position Frequency LineSize PageSize Orientation SelEnd SelStart SliderVisible "
                     "ThumbLength TickMarks TickStyle ShowSelRange"},
    {{"TProgressBar", false},
     COMMON WINDOWED "Min Max Position Smooth Step Orientation BarColor BackgroundColor MarqueeInterval State "
                     "Style SmoothReverse BorderWidth"},
    {{"TUpDown", false},
     COMMON WINDOWED "Associate AlignButton ArrowKeys Increment Min Max Orientation Position Thousands Wrap"},
    {{"TAnimate", false},
     COMMON COLOR WINDOWED "Active AutoSize Center CommonAVI FileName Open Repetitions StartFrame StopFrame "
                           "Timers Transparent"},
    {{"TCheckListBox", false}, LIST "AllowGrayed Flat HeaderColor HeaderBackgroundColor"},
    {{"TTreeView", false}, TREE "Items.Data Items.NodeData"},
    {{"THTMLViewer", false},
     COMMON FONT COLOR WINDOWED "BorderStyle CharSet CodePage DefBackground DefFontColor DefFontName DefFontSize "
                                "DefHotSpotColor DefOverLinkColor DefPreFontName DefVisitedLinkColor "
                                "HistoryMaxCount ImageCacheCount MarginHeight MarginWidth NoSelect "
                                "PrintMarginBottom PrintMarginLeft PrintMarginRight PrintMarginTop PrintScale "
                                "QuirksMode ScrollBars ServerRoot Text ViewImages VisitedMaxCount htOptions"},
    {{"TFileListBox", false}, LIST "Directory FileEdit FileName FileType Mask ShowGlyphs"},
    {{"TDirectoryListBox", false}, LIST "Directory DirLabel FileList"},
    {{"TDriveComboBox", false}, COMBO "Drive DirList TextCase"},
    {{"TFilterComboBox", false}, COMBO "FileList Filter"},
    {{"TPTShellTree", false}, TREE SHELL},
    {{"TPTShellList", false}, LIST SHELL "FileName ViewStyle ColumnClick SortColumn Columns HideSelection ReadOnly"},
    {{"TPTShellCombo", false}, COMBO SHELL},
    {{"TFlashFrame", true}, PANEL "AutoRegisterFlash AutoScale Loop"},
};

// The form itself.
const char kFormProperties[] =
    COMMON FONT COLOR
    "Caption ClientHeight ClientWidth BorderIcons BorderStyle BorderWidth FormStyle Position PixelsPerInch "
    "TextHeight OldCreateOrder Scaled WindowState AutoScroll AutoSize KeyPreview Menu Icon.Data DefaultMonitor "
    "AlphaBlend AlphaBlendValue TransparentColor TransparentColorValue ScreenSnap SnapBuffer DoubleBuffered "
    "PopupMode PopupParent UseDockManager DockSite ActiveControl WindowMenu ObjectMenuItem PrintScale HelpFile "
    "Ctl3D ParentBiDiMode";

// Families of designer properties every class and the form may carry.
const char* const kAcceptedPrefixes[] = {"Constraints.", "Margins.", "Padding.", "Touch.", "Explicit",
                                         "HorzScrollBar.", "VertScrollBar.", "GlassFrame.", "IconOptions."};

// Event handler references ("OnClick = Button1Click"): accepted, the engine
// attaches its own handlers.
bool IsEventReference(std::string_view property) {
    return property.size() > 2 && (property[0] == 'O' || property[0] == 'o') &&
           (property[1] == 'n' || property[1] == 'N') && std::isupper(static_cast<unsigned char>(property[2]));
}

using NameSet = std::set<std::string>;  // lower-cased

// The blank-separated words of a list. (No string stream: one would pull the
// C++ library's locale machinery into the engine and double its size.)
NameSet Names(const char* list) {
    NameSet names;
    const std::string_view text(list);
    size_t at = 0;
    while (at < text.size()) {
        const size_t start = text.find_first_not_of(" \t\r\n", at);
        if (start == std::string_view::npos) break;
        const size_t end = std::min(text.find_first_of(" \t\r\n", start), text.size());
        names.insert(Lower(text.substr(start, end - start)));
        at = end;
    }
    return names;
}

const NameSet& PropertiesOf(std::string_view className) {
    static const std::map<std::string, NameSet> table = [] {
        std::map<std::string, NameSet> built;
        for (const ClassEntry& entry : kClasses) built[entry.cls.name] = Names(entry.properties);
        built[""] = Names(kFormProperties);
        return built;
    }();
    static const NameSet none;
    auto it = table.find(std::string(className));
    return it == table.end() ? none : it->second;
}

struct KindEntry {
    DesignedKind kind;
    const char* names;
};

const KindEntry kKinds[] = {
    {DesignedKind::Bool,
     "Enabled Visible Checked ReadOnly Transparent AutoSize WordWrap Default Cancel Stretch Center Proportional "
     "ParentFont ParentColor ShowHint ParentShowHint TabStop Sorted MultiSelect ExtendedSelect Smooth Wrap "
     "ArrowKeys Thousands ShowText Flat Down AllowGrayed HideSelection WantReturns WantTabs ShowAccelChar Active "
     "AutoSelect IntegralHeight Loop AutoScale AutoRegisterFlash ShowLines ShowButtons ShowRoot"},
    {DesignedKind::Integer,
     "Left Top Width Height Tag TabOrder MaxLength ItemIndex Position Min Max Progress MinValue MaxValue "
     "ClientWidth ClientHeight HelpContext Frequency LineSize PageSize Increment BevelWidth BorderWidth ItemHeight "
     "Columns DropDownCount PixelsPerInch TextHeight Step SelStart SelEnd Pen.Width Font.Height Font.Size Spacing "
     "Margin NumGlyphs GroupIndex Repetitions StartFrame StopFrame ThumbLength Indent DefFontSize"},
    {DesignedKind::Text, "Caption Text Hint Font.Name EditMask Mask Filter FileName Directory Path Drive DefFontName"},
    {DesignedKind::Identifier,
     "Alignment Layout BorderStyle Style Shape Kind Orientation TickStyle TickMarks ScrollBars CharCase "
     "AlignButton CommonAVI Brush.Style Pen.Style Pen.Mode BevelInner BevelOuter BorderStyle FileType"},
    {DesignedKind::Color,
     "Color Font.Color Brush.Color Pen.Color ForeColor BackColor BarColor BackgroundColor DefBackground "
     "DefFontColor FrameColor HotTrackColor FocusColor DisabledColor HighlightColor"},
    {DesignedKind::Lines, "Items Lines Items.Strings Lines.Strings"},
};

// Classes whose controls are white by default (text fields and lists).
const NameSet kWindowColored = Names(
    "TEdit TMemo TRichEdit TMaskEdit TListBox TCheckListBox TComboBox TTreeView TFileListBox TDirectoryListBox "
    "TDriveComboBox TFilterComboBox TPTShellTree TPTShellList TPTShellCombo THTMLViewer");

// The value of a property that is not stored, by class.
std::string DefaultText(std::string_view className, std::string_view property, DesignedKind kind) {
    const std::string name = Lower(property);
    const std::string cls(className);
    if (name == "color")
        return kWindowColored.count(Lower(className)) ? "clWindow" : (cls == "TShape" ? "clWhite" : "clBtnFace");
    if (name == "font.color") return "clWindowText";
    if (name == "brush.color") return "clWhite";
    if (name == "pen.color" || name == "forecolor") return "clBlack";
    if (name == "backcolor") return "clWhite";
    if (name == "max") return cls == "TTrackBar" ? "10" : "100";
    if (name == "maxvalue") return "100";
    if (name == "itemindex") return "-1";
    if (name == "alignment") {
        if (cls == "TPanel" || cls == "TFlashFrame") return "taCenter";
        return cls == "TRzCheckBox" || cls == "TRzRadioButton" ? "taRightJustify" : "taLeftJustify";
    }
    if (name == "enabled" || name == "visible" || name == "parentfont" || name == "parentshowhint" ||
        name == "showtext" || name == "autoscale" || name == "autoregisterflash" || name == "wantreturns")
        return "True";
    switch (kind) {
        case DesignedKind::Bool: return "False";
        case DesignedKind::Integer: return "0";
        default: return "";
    }
}

bool IsTextValue(const FormValue& value) { return value.IsText(); }

bool IsLinesValue(const FormValue& value) {
    if (value.type != FormValueType::List) return false;
    return std::all_of(value.list.begin(), value.list.end(), IsTextValue);
}

}  // namespace

bool FitsDesignedKind(const FormValue& value, DesignedKind kind) {
    switch (kind) {
        case DesignedKind::Bool: return value.type == FormValueType::True || value.type == FormValueType::False;
        case DesignedKind::Integer: return value.IsInteger();
        case DesignedKind::Text: return value.IsText();
        case DesignedKind::Identifier: return value.type == FormValueType::Identifier;
        case DesignedKind::Color: return ColorFromValue(value).has_value();
        case DesignedKind::Lines: return IsLinesValue(value);
        case DesignedKind::Other: return true;
    }
    return true;
}

const char* DesignedKindName(DesignedKind kind) {
    switch (kind) {
        case DesignedKind::Bool: return "True or False";
        case DesignedKind::Integer: return "an integer";
        case DesignedKind::Text: return "a text";
        case DesignedKind::Identifier: return "an identifier";
        case DesignedKind::Color: return "a colour";
        case DesignedKind::Lines: return "a list of texts";
        case DesignedKind::Other: break;
    }
    return "a value";
}

std::string DescribeComponent(const FormObject& object) {
    return object.className + (object.name.empty() ? "" : " " + object.name);
}

namespace {

FormValue ValueOfKind(DesignedKind kind, const std::string& text, const std::string& where) {
    switch (kind) {
        case DesignedKind::Bool: {
            const std::string lower = Lower(text);
            if (lower != "true" && lower != "false") throw FormError(where + ": '" + text + "' is not True or False");
            return FormValue::Bool(lower == "true");
        }
        case DesignedKind::Integer: {
            const auto number = ParseInteger(text);
            if (!number || *number < INT32_MIN || *number > INT32_MAX)
                throw FormError(where + ": '" + text + "' is not an integer");
            return FormValue::Integer(*number);
        }
        case DesignedKind::Identifier: {
            const bool valid = !text.empty() && !std::isdigit(static_cast<unsigned char>(text[0])) &&
                               std::all_of(text.begin(), text.end(), [](char c) {
                                   return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
                               });
            if (!valid) throw FormError(where + ": '" + text + "' is not an identifier");
            return FormValue::Ident(text);
        }
        case DesignedKind::Color: {
            const auto color = ColorFromText(text);
            if (!color) throw FormError(where + ": '" + text + "' is not a colour");
            if (!ParseInteger(text)) return FormValue::Ident(ColorText(*color));
            return FormValue::Integer(*color >= 0x80000000 ? *color - 0x100000000LL : *color);
        }
        case DesignedKind::Lines: return FormValue::StringList(SplitLines(text));
        case DesignedKind::Text:
        case DesignedKind::Other: break;
    }
    return FormValue::Text(text);
}

}  // namespace

const std::vector<DesignedClass>& DesignedClasses() {
    static const std::vector<DesignedClass> classes = [] {
        std::vector<DesignedClass> list;
        for (const ClassEntry& entry : kClasses) list.push_back(entry.cls);
        return list;
    }();
    return classes;
}

const DesignedClass* FindDesignedClass(std::string_view className) {
    for (const DesignedClass& cls : DesignedClasses())
        if (className == cls.name) return &cls;
    return nullptr;
}

bool AcceptsProperty(std::string_view className, std::string_view property) {
    if (IsEventReference(property)) return true;
    for (const char* prefix : kAcceptedPrefixes)
        if (StartsWithLetters(property, prefix)) return true;
    const NameSet& names = PropertiesOf(className);
    const std::string lower = Lower(property);
    if (names.count(lower)) return true;
    // The short names of string lists and the object's name.
    if (lower == "name") return className.empty() || FindDesignedClass(className);
    return (lower == "items" || lower == "lines") && names.count(lower + ".strings");
}

DesignedKind KindOf(std::string_view className, std::string_view property) {
    static const std::map<std::string, DesignedKind> kinds = [] {
        std::map<std::string, DesignedKind> built;
        for (const KindEntry& entry : kKinds)
            for (const std::string& name : Names(entry.names)) built.emplace(name, entry.kind);
        return built;
    }();
    const std::string lower = Lower(property);
    if (className.empty() && lower == "position") return DesignedKind::Identifier;  // poScreenCenter
    if (lower == "name") return DesignedKind::Text;
    auto it = kinds.find(lower);
    return it == kinds.end() ? DesignedKind::Other : it->second;
}

std::string StoredPropertyName(std::string_view property) {
    const std::string lower = Lower(property);
    if (lower == "items" || lower == "lines") return std::string(property) + ".Strings";
    return std::string(property);
}

std::string JoinLines(const std::vector<std::string>& items) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i) text += (i ? "\r\n" : "") + items[i];
    return text;
}


std::optional<std::string> DesignedPropertyText(const FormObject& object, std::string_view className,
                                                std::string_view property) {
    if (!AcceptsProperty(className, property)) return std::nullopt;
    if (Lower(property) == "name") return object.name;
    const std::string stored = StoredPropertyName(property);
    const DesignedKind kind = KindOf(className, property);
    if (const FormValue* value = object.Find(stored)) {
        if (kind == DesignedKind::Lines) return JoinLines(value->AsStringList());
        if (kind == DesignedKind::Color) {
            if (auto color = ColorFromValue(*value)) return ColorText(*color);
        }
        if (value->type == FormValueType::List || value->type == FormValueType::Binary ||
            value->type == FormValueType::Collection)
            return "";
        return object.PropertyText(stored);
    }
    return DefaultText(className, property, kind);
}

void SetDesignedPropertyText(FormObject& object, std::string_view className, std::string_view property,
                             const std::string& text) {
    const std::string where = DescribeComponent(object) + "." + std::string(property);
    if (!AcceptsProperty(className, property)) throw FormError(DescribeComponent(object) + " has no property " + std::string(property));
    if (Lower(property) == "name") {
        object.name = text;
        return;
    }
    const DesignedKind kind = KindOf(className, property);
    const std::string stored = StoredPropertyName(property);
    if (kind != DesignedKind::Other) {
        object.Set(stored, ValueOfKind(kind, text, where));
        return;
    }
    try {
        object.SetPropertyText(stored, text);
    } catch (const FormError& e) {
        throw FormError(where + ": " + e.what());
    }
}
