#pragma once
#include <string>
#include <utility>
#include <vector>

// The product's features as a dialog shows them: a tree view with Tag 1 (the
// feature tree) or a check list box with Tag 1 (the feature list). Both are
// built from the component list (core/Components.h) when the dialog is
// prepared, and every choice the user makes is written straight back into
// it. A component name is a path of levels separated by "\".

struct FeatureItem {
    std::string text;            // one level of a component path
    int component = -1;          // position in the component list; -1 for a level no component names
    bool selected = false;       // the item's image: 1 selected, 0 not (6 selected and required)
    int parent = -1;
    std::vector<int> children;
    bool required = false;       // its component is required: it stays selected
};

// The menu on a feature tree item's icon, in menu order.
enum class FeatureAction {
    InstallComponentOnly,                  // select the item and every ancestor
    InstallComponentWithSubComponents,     // the item, its descendants and every ancestor
    EntireFeatureUnavailable,              // deselect the item and its descendants
    DoNotInstallComponentOnly,             // deselect the item only (hidden)
    DoNotInstallComponentOrSubComponents,  // deselect the item and its descendants (hidden)
};

// The entries the menu shows, in order; a null caption is the separator. A
// language translates a caption as the dialog text of the state holder form
// (kFeatureMenuContext) keyed by the entry's item name.
struct FeatureMenuEntry {
    const char* name;
    const char* caption;
    FeatureAction action;
};
inline constexpr const char* kFeatureMenuContext = "TImageListPool";
inline constexpr FeatureMenuEntry kFeatureMenu[] = {
    {"InstallComponentOnly1", "Will be &installed on local hard drive", FeatureAction::InstallComponentOnly},
    {"InstallComponentwithSubComponents1", "&Entire feature will be installed on local hard drive",
     FeatureAction::InstallComponentWithSubComponents},
    {"N1", nullptr, FeatureAction::InstallComponentOnly},
    {"Entirefeaturewillbeunavailable1", "Entire feature will be &unavailable", FeatureAction::EntireFeatureUnavailable},
};
// The entry's caption in the installation language.
std::string FeatureMenuCaption(const FeatureMenuEntry& entry);

class FeatureTree {
public:
    // Builds the tree from the component list; the internal component never shows.
    static FeatureTree FromComponents();

    const std::vector<FeatureItem>& items() const { return items_; }
    std::vector<int> Roots() const;
    // The item's levels from the root down, joined with "\".
    std::string PathOf(int item) const;
    // Applies a menu action to the item and writes the component states.
    void Apply(int item, FeatureAction action);

private:
    void SetItemState(int item, bool recurse, bool selected);
    int Child(int parent, const std::string& text) const;
    std::vector<FeatureItem> items_;
};

// The feature list: the top-level components, checked when selected.
std::vector<std::pair<std::string, bool>> FeatureListItems();
// Whether the list's item stands for a required component (its check stays set).
bool FeatureListItemRequired(const std::string& text);
// Writes the check marks back: every component whose name begins with an
// item's text (ignoring case) takes that item's check state, in item order;
// a required component stays selected.
void StatesFromFeatureList(const std::vector<std::pair<std::string, bool>>& items);
