#pragma once
// The native side of a designed component, shared by the files that build the
// dialog window (PoolTemplate_win32.cpp), its controls
// (DesignedControls_win32.cpp), our own painted classes
// (PaintedControls_win32.cpp) and the folder controls (FolderControls_win32.cpp).
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/EditMask.h"
#include "dialogs/FormScaling.h"
#include "dialogs/PoolTemplate_win32.h"
#include "system/WindowParts_win32.h"

using OwnedBrush = std::unique_ptr<HBRUSH__, GdiDeleter>;
struct ImageListDeleter {
    void operator()(_IMAGELIST* list) const;  // through comctl32's ImageList_Destroy
};
using OwnedImageList = std::unique_ptr<_IMAGELIST, ImageListDeleter>;

// What the native control of a class is made of; decides how its events and
// live values are read.
enum class NativeKind {
    Label, StaticText, Edit, Memo, RichEdit, PushButton, CheckBox, RadioButton, ListBox, CheckListBox,
    ComboBox, GroupBox, Panel, Image, Shape, Bevel, Gauge, TrackBar, ProgressBar, UpDown, Animate, TreeView,
    WhitePanel, FileList, DirectoryList, DriveCombo, FilterCombo, ShellTree, ShellList, ShellCombo,
};

// The dialog's densities: the form's design against the window's screen.
struct DialogScale {
    int designDpi = kDesignedDpi;
    int screenDpi = kDesignedDpi;
    int ToScreen(int64_t designed) const { return ScaledLength(designed, designDpi, screenDpi); }
    int ToDesign(int64_t onScreen) const { return ScaledLength(onScreen, screenDpi, designDpi); }
};

// One built component: what the runtime sees (DesignedControl) plus what the
// window side keeps for it.
struct ControlRecord : DesignedControl {
    FormObject* object = nullptr;  // the form file's object; written properties are stored here
    NativeKind kind = NativeKind::Label;
    const DialogScale* scale = nullptr;  // the dialog's
    int id = 0;                   // the child window id
    int itemHeight = 0;           // owner-drawn lists: the height of an item
    DesignedFont font;
    HFONT hfont = nullptr;        // owned by the template's font cache
    int64_t color = 0;            // the designed colour in effect (a system colour stays one)
    COLORREF textColor = 0;
    COLORREF backColor = 0;
    HBRUSH backBrush = nullptr;   // backOwned, or a system colour brush
    OwnedBrush backOwned;
    bool transparent = false;
    bool firing = false;          // an event of this control is being reported
    WNDPROC originalProc = nullptr;  // subclassed native controls
    OwnedBitmap picture;          // images
    std::optional<EditMask> mask; // masked edits with an EditMask
    OwnedImageList glyphs;        // bit and speed buttons with a glyph
    std::string folder;           // folder controls: the folder shown
    std::vector<std::string> itemPaths;  // folder controls: the path of each item
    std::vector<ControlRecord*> children;
};

// The services a control's window procedure needs from its dialog.
struct DialogServices {
    std::function<void(ControlRecord&, ControlEvent, POINT)> fire;
    // Handles the notifications a container receives for its children
    // (commands, notifications, scrolling, colours, owner drawing).
    std::function<std::optional<LRESULT>(UINT, WPARAM, LPARAM)> notify;
};

// The screen colour of a designed colour value.
COLORREF ScreenColor(int64_t designed);
// The colour's brush: a system colour's shared brush, else a new one kept in owned.
HBRUSH ColorBrush(int64_t designed, OwnedBrush& owned);

// The native kind of a designed class (one of the 34).
NativeKind NativeKindOf(const std::string& className);

// Registers our own window classes (panels, shapes, bevels, gauges, images)
// and the common controls; once per process.
void RegisterDesignedClasses();
// The window class name of a kind built on our own classes; nullptr for native ones.
const char* PaintedClassName(NativeKind kind);
// Our painted classes' window procedures find their record and dialog here.
void AttachPainted(HWND window, ControlRecord* record, DialogServices* services);

// Creates the native window of the record (the record's kind, font, colours
// and scale already set) at its ScreenBounds inside parent.
HWND CreateNativeControl(ControlRecord& record, HWND parent, DialogServices& services);
// The designed rectangle of the record's component at the screen's density,
// in its container's client area (a combo box's window includes its list).
RECT ScreenBounds(const ControlRecord& record);

// After every control exists: links that name other controls (an up-down's buddy).
void LinkControls(ControlRecord& record, const std::function<ControlRecord*(const std::string&)>& find);

// Live values the user can change; nullopt when the property is not a live one.
std::optional<std::string> LiveProperty(const ControlRecord& record, const std::string& lowerName);
// Applies a written property (already stored in record.object) to the window.
void ApplyProperty(ControlRecord& record, const std::string& lowerName, const std::string& text);

// Checks a radio button and unchecks the other radio buttons of its container.
void CheckRadio(ControlRecord& record);

// Check list box items: check state in the item data.
void DrawCheckListItem(const DRAWITEMSTRUCT& item, const ControlRecord& record);

// Bit and speed buttons (BitButtons_win32.cpp): the designed glyph on the
// button at the dialog's density (again after the density changed).
void AttachGlyph(ControlRecord& record);
// The caption of a bit button's Kind (bkOK: "OK", ...); empty for bkCustom and other classes.
std::string KindCaption(const ControlRecord& record);

// Masked edits (MaskedEdit_win32.cpp): the mask of the designed text, none for an empty one.
void AttachMask(ControlRecord& record, const std::string& designedMask);
// A value as the masked edit shows it; the value itself without a mask.
std::string MaskedShown(const ControlRecord& record, const std::string& value);
// The keys and edits of a masked edit; nullopt for what the edit handles itself.
std::optional<LRESULT> MaskedEditMessage(ControlRecord& record, HWND window, UINT message, WPARAM wParam);

// Folder controls (FolderControls_win32.cpp).
void FillFolderControl(ControlRecord& record);
// Shows another folder; false when it does not exist.
bool ShowFolder(ControlRecord& record, const std::string& folder);
// The user chose an item: true when the control's value changed (a Change event).
bool FolderItemChosen(ControlRecord& record, bool doubleClick);
void ExpandShellTreeItem(ControlRecord& record, HTREEITEM item);
std::optional<std::string> FolderProperty(const ControlRecord& record, const std::string& lowerName);
// Sets a folder property; false when the record's class has no such one.
bool SetFolderProperty(ControlRecord& record, const std::string& lowerName, const std::string& text);

// A designed picture as a bitmap (BMP; JPEG, PNG and GIF through GDI+); null when unusable.
HBITMAP PictureBitmap(const std::string& pictureData);
// The same for a picture file's bytes.
HBITMAP PictureFileBitmap(const std::string& file);
