#include "dialogs/FeatureControls_win32.h"

#include <commctrl.h>

#include <map>
#include <memory>
#include <type_traits>

#include "dialogs/FeatureTree.h"
#include "system/LoadedLibrary.h"
#include "system/TextUtils.h"
#include "system/WindowParts_win32.h"

namespace {

// The state images, 32 x 16 each: 0 not selected, 1 selected, 2 unavailable,
// 3 not installed, 4 installed on the local drive, 5 entire feature installed,
// 6 required (selected, and stays so).
class StateImages {
public:
    StateImages() {
        using Create = HIMAGELIST(WINAPI*)(int, int, UINT, int, int);
        using Add = int(WINAPI*)(HIMAGELIST, HBITMAP, HBITMAP);
        using Destroy = BOOL(WINAPI*)(HIMAGELIST);
        destroy_ = controls_.Find<Destroy>("ImageList_Destroy");
        const auto create = controls_.Find<Create>("ImageList_Create");
        const auto add = controls_.Find<Add>("ImageList_Add");
        if (!create || !add || !destroy_) return;
        list_ = create(32, 16, ILC_COLOR24, 7, 0);
        for (int image = 0; image < 7; ++image) {
            OwnedBitmap bitmap(Draw(image));
            add(list_, bitmap.get(), nullptr);
        }
    }
    ~StateImages() {
        if (list_ && destroy_) destroy_(list_);
    }
    StateImages(const StateImages&) = delete;
    StateImages& operator=(const StateImages&) = delete;
    HIMAGELIST get() const { return list_; }

private:
    // A box with a mark: a check for selected, a cross for unavailable, a
    // drive for installed, two drives for the entire feature; 6, required:
    // a grey check in a filled box, which the user cannot clear.
    static HBITMAP Draw(int image) {
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 32, 16);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all{0, 0, 32, 16};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        RECT box{2, 2, 14, 14};
        if (image == 6) FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
        FrameRect(dc, &box, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        HPEN pen = CreatePen(PS_SOLID, 2, image == 2 || image == 3 ? RGB(160, 0, 0)
                                          : image == 6             ? RGB(80, 80, 80)
                                                                   : RGB(0, 110, 0));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        if (image == 1 || image == 4 || image == 5 || image == 6) {
            MoveToEx(dc, 4, 8, nullptr);
            LineTo(dc, 7, 11);
            LineTo(dc, 12, 4);
        } else if (image == 2 || image == 3) {
            MoveToEx(dc, 5, 5, nullptr);
            LineTo(dc, 11, 11);
            MoveToEx(dc, 11, 5, nullptr);
            LineTo(dc, 5, 11);
        }
        for (int drive = 0; drive < (image == 5 ? 2 : image == 4 ? 1 : 0); ++drive) {
            RECT disk{17 + drive * 7, 5, 23 + drive * 7, 12};
            FillRect(dc, &disk, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
        }
        SelectObject(dc, oldPen);
        DeleteObject(pen);
        SelectObject(dc, old);
        DeleteDC(dc);
        return bitmap;
    }

    LoadedLibrary controls_ = LoadedLibrary::FromActivationContext("comctl32.dll");
    BOOL(WINAPI* destroy_)(HIMAGELIST) = nullptr;
    HIMAGELIST list_ = nullptr;
};

HIMAGELIST Images() {
    static const StateImages images;
    return images.get();
}

struct ShownTree {
    FeatureTree model;
    std::vector<HTREEITEM> handles;  // by model item
};

std::map<const DesignedControl*, ShownTree>& Trees() {
    static std::map<const DesignedControl*, ShownTree> trees;
    return trees;
}

// The item's image: 6 for a required component, else 1 selected, 0 not.
int StateImage(const FeatureItem& item) { return item.required && item.selected ? 6 : item.selected ? 1 : 0; }

void ShowStates(HWND window, const ShownTree& tree) {
    for (size_t i = 0; i < tree.handles.size(); ++i) {
        TVITEMA item{};
        item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        item.hItem = tree.handles[i];
        item.iImage = item.iSelectedImage = StateImage(tree.model.items()[i]);
        SendMessageA(window, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

int ModelItem(const ShownTree& tree, HTREEITEM handle) {
    for (size_t i = 0; i < tree.handles.size(); ++i)
        if (tree.handles[i] == handle) return static_cast<int>(i);
    return -1;
}

}  // namespace

void FillFeatureTree(PoolTemplate& form, DesignedControl& control) {
    const HWND window = control.window;
    SendMessageA(window, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    if (HIMAGELIST images = Images()) {
        SendMessageA(window, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
    }
    ShownTree& tree = Trees()[&control];
    tree.model = FeatureTree::FromComponents();
    tree.handles.assign(tree.model.items().size(), nullptr);
    for (size_t i = 0; i < tree.model.items().size(); ++i) {
        const FeatureItem& item = tree.model.items()[i];
        TVINSERTSTRUCTA insert{};
        insert.hParent = item.parent >= 0 ? tree.handles[item.parent] : TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        std::string text = item.text;
        insert.item.pszText = text.data();
        insert.item.iImage = insert.item.iSelectedImage = StateImage(item);
        tree.handles[i] = reinterpret_cast<HTREEITEM>(
            SendMessageA(window, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    for (HTREEITEM handle : tree.handles) SendMessageA(window, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(handle));
    if (!tree.handles.empty())
        SendMessageA(window, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(tree.handles.front()));
    form.currentComponent = SelectedFeaturePath(form, control);
}

void FeatureTreeMouseUp(PoolTemplate& form, DesignedControl& control, POINT mouse) {
    auto found = Trees().find(&control);
    if (found == Trees().end()) return;
    ShownTree& tree = found->second;
    TVHITTESTINFO hit{};
    hit.pt = mouse;
    SendMessageA(control.window, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    const int target = ModelItem(tree, hit.hItem);
    if (target < 0 || !(hit.flags & TVHT_ONITEMICON) || tree.model.items()[target].component < 0) return;

    const std::unique_ptr<std::remove_pointer_t<HMENU>, decltype(&DestroyMenu)> menu(CreatePopupMenu(), DestroyMenu);
    if (!menu) return;
    for (size_t i = 0; i < std::size(kFeatureMenu); ++i) {
        const std::string caption = FeatureMenuCaption(kFeatureMenu[i]);
        AppendMenuA(menu.get(), kFeatureMenu[i].caption ? MF_STRING : MF_SEPARATOR, i + 1, caption.c_str());
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    const int chosen = TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN, cursor.x, cursor.y, 0,
                                      form.Window(), nullptr);
    if (chosen <= 0 || !kFeatureMenu[chosen - 1].caption) return;
    tree.model.Apply(target, kFeatureMenu[chosen - 1].action);
    ShowStates(control.window, tree);
}

void FillFeatureList(PoolTemplate& form, DesignedControl& control) {
    const auto items = FeatureListItems();
    std::string lines;
    for (const auto& [name, checked] : items) lines += (lines.empty() ? "" : "\r\n") + name;
    form.SetProperty(&control, "Items", lines);
    for (size_t i = 0; i < items.size(); ++i) form.SetItemChecked(&control, static_cast<int>(i), items[i].second);
}

void FeatureListChecked(PoolTemplate& form, DesignedControl& control) {
    const std::vector<std::string> shown = SplitLines(form.Property(&control, "Items").value_or(""));
    std::vector<std::pair<std::string, bool>> checks;
    for (size_t i = 0; i < shown.size(); ++i)
        checks.emplace_back(shown[i], form.ItemChecked(&control, static_cast<int>(i)));
    StatesFromFeatureList(checks);
    // A required feature's check comes back at once.
    for (size_t i = 0; i < shown.size(); ++i)
        if (!checks[i].second && FeatureListItemRequired(shown[i])) form.SetItemChecked(&control, static_cast<int>(i), true);
}

std::string SelectedFeaturePath(const PoolTemplate& form, const DesignedControl& tree) {
    std::string path;
    for (const std::string& level : form.SelectedTreeItem(&tree)) path += (path.empty() ? "" : "\\") + level;
    return path;
}

void ForgetFeatureTree(const DesignedControl& tree) { Trees().erase(&tree); }
