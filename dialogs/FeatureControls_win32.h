#pragma once
// The feature tree (a tree view with Tag 1) and the feature list (a check
// list box with Tag 1) of a dialog: filled from the component list at
// prepare, and every choice written straight back into it.
#include "dialogs/PoolTemplate_win32.h"

void FillFeatureTree(PoolTemplate& form, DesignedControl& tree);
void FillFeatureList(PoolTemplate& form, DesignedControl& list);
// A mouse release on a feature tree: on the icon of an item that stands for
// a component, the state menu opens at the cursor and its choice is applied.
void FeatureTreeMouseUp(PoolTemplate& form, DesignedControl& tree, POINT mouse);
// A check mark of the feature list changed: the component states follow.
void FeatureListChecked(PoolTemplate& form, DesignedControl& list);
// The path of the feature tree's selected item ("Tools\Help"), empty for none.
std::string SelectedFeaturePath(const PoolTemplate& form, const DesignedControl& tree);
void ForgetFeatureTree(const DesignedControl& tree);
