#include "dialogs/FeatureTree.h"

#include "core/Components.h"
#include "core/Translations.h"
#include "core/VariableStore.h"
#include "system/TextUtils.h"

namespace {

std::vector<std::string> Levels(const std::string& path) {
    std::vector<std::string> levels;
    size_t start = 0;
    while (true) {
        const size_t slash = path.find('\\', start);
        levels.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos) return levels;
        start = slash + 1;
    }
}

}  // namespace

int FeatureTree::Child(int parent, const std::string& text) const {
    const std::string wanted = UpperAscii(text);
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].parent == parent && UpperAscii(items_[i].text) == wanted) return static_cast<int>(i);
    return -1;
}

FeatureTree FeatureTree::FromComponents() {
    FeatureTree tree;
    const std::vector<std::string> names = ComponentNames();
    const std::vector<std::string> states = ComponentStates();
    for (size_t n = 0; n < names.size(); ++n) {
        if (names[n] == kPredefinedComponent) continue;
        int parent = -1;
        for (const std::string& level : Levels(names[n])) {
            int item = tree.Child(parent, level);
            if (item < 0) {
                item = static_cast<int>(tree.items_.size());
                tree.items_.push_back({level, -1, false, parent, {}});
                if (parent >= 0) tree.items_[parent].children.push_back(item);
            }
            parent = item;
        }
        tree.items_[parent].component = static_cast<int>(n);
        tree.items_[parent].selected = n < states.size() && TextToBool(states[n]);
        tree.items_[parent].required = IsComponentRequiredAt(static_cast<int>(n));
    }
    return tree;
}

std::vector<int> FeatureTree::Roots() const {
    std::vector<int> roots;
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].parent < 0) roots.push_back(static_cast<int>(i));
    return roots;
}

std::string FeatureTree::PathOf(int item) const {
    std::string path = items_[item].text;
    for (int p = items_[item].parent; p >= 0; p = items_[p].parent) path = items_[p].text + "\\" + path;
    return path;
}

void FeatureTree::SetItemState(int item, bool recurse, bool selected) {
    FeatureItem& it = items_[item];
    if (it.component >= 0 && (selected || !it.required)) {
        SetComponentStateAt(it.component, selected);
        it.selected = selected;
    }
    if (recurse)
        for (int child : it.children) SetItemState(child, true, selected);
}

void FeatureTree::Apply(int item, FeatureAction action) {
    switch (action) {
    case FeatureAction::InstallComponentOnly:
    case FeatureAction::InstallComponentWithSubComponents:
        SetItemState(item, action == FeatureAction::InstallComponentWithSubComponents, true);
        for (int p = items_[item].parent; p >= 0; p = items_[p].parent) SetItemState(p, false, true);
        break;
    case FeatureAction::EntireFeatureUnavailable:
    case FeatureAction::DoNotInstallComponentOrSubComponents: SetItemState(item, true, false); break;
    case FeatureAction::DoNotInstallComponentOnly: SetItemState(item, false, false); break;
    }
}

std::vector<std::pair<std::string, bool>> FeatureListItems() {
    std::vector<std::pair<std::string, bool>> items;
    const std::vector<std::string> names = ComponentNames();
    const std::vector<std::string> states = ComponentStates();
    for (size_t n = 0; n < names.size(); ++n)
        if (names[n] != kPredefinedComponent && names[n].find('\\') == std::string::npos)
            items.emplace_back(names[n], n < states.size() && TextToBool(states[n]));
    return items;
}

bool FeatureListItemRequired(const std::string& text) { return IsComponentRequiredAt(ComponentIndex(text)); }

void StatesFromFeatureList(const std::vector<std::pair<std::string, bool>>& items) {
    const std::vector<std::string> names = ComponentNames();
    for (const auto& [text, checked] : items) {
        // The item's own component and those below it: unchecking "Help"
        // leaves "Help2" alone.
        const std::string item = UpperAscii(text);
        for (size_t n = 0; n < names.size(); ++n) {
            const std::string name = UpperAscii(names[n]);
            if ((name == item || StartsWith(name, item + "\\")) && (checked || !IsComponentRequiredAt(static_cast<int>(n))))
                SetComponentStateAt(static_cast<int>(n), checked);
        }
    }
}

std::string FeatureMenuCaption(const FeatureMenuEntry& entry) {
    if (!entry.caption) return {};
    return TranslationActive() ? TranslateDialogText(kFeatureMenuContext, entry.name, entry.caption) : entry.caption;
}
