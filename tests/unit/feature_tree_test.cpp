#include <gtest/gtest.h>

#include "dialogs/FeatureTree.h"
#include "core/Components.h"

namespace {

class FeatureTreeTest : public ::testing::Test {
protected:
    void Components(const std::vector<std::pair<std::string, bool>>& components) {
        ClearComponents();
        for (const auto& [name, selected] : components) DefineComponent(name, "", selected);
    }
    static int Find(const FeatureTree& tree, const std::string& path) {
        for (size_t i = 0; i < tree.items().size(); ++i)
            if (tree.PathOf(static_cast<int>(i)) == path) return static_cast<int>(i);
        return -1;
    }
    static std::string States() {
        std::string out;
        for (const std::string& state : ComponentStates()) out += state == "TRUE" ? '1' : '0';
        return out;
    }
};

TEST_F(FeatureTreeTest, LevelsBecomeItemsAndOnlyListedComponentsCarryOne) {
    Components({{kPredefinedComponent, true}, {"A", true}, {"a\\B", false}, {"C\\D", true}, {"B", false}});
    const FeatureTree tree = FeatureTree::FromComponents();
    ASSERT_EQ(tree.Roots().size(), 3u);  // A, C, B: the level of a\B joins A whatever its case
    const int a = Find(tree, "A"), ab = Find(tree, "A\\B"), c = Find(tree, "C"), cd = Find(tree, "C\\D");
    const int b = Find(tree, "B");
    ASSERT_TRUE(a >= 0 && ab >= 0 && c >= 0 && cd >= 0 && b >= 0);
    EXPECT_NE(ab, b) << "a child B of A and the top-level B are different items";
    EXPECT_EQ(tree.items()[a].component, 1);
    EXPECT_EQ(tree.items()[c].component, -1) << "C stands for no component";
    EXPECT_TRUE(tree.items()[cd].selected);
    EXPECT_FALSE(tree.items()[ab].selected);
}

TEST_F(FeatureTreeTest, MenuActionsWriteTheComponentStates) {
    Components({{"A", true}, {"A\\B", true}, {"A\\E", true}, {"X", true}});
    FeatureTree tree = FeatureTree::FromComponents();
    tree.Apply(Find(tree, "A"), FeatureAction::EntireFeatureUnavailable);
    EXPECT_EQ(States(), "0001");
    // Selecting B selects its ancestor A, not A's other children.
    tree.Apply(Find(tree, "A\\B"), FeatureAction::InstallComponentOnly);
    EXPECT_EQ(States(), "1101");
    tree.Apply(Find(tree, "A"), FeatureAction::DoNotInstallComponentOnly);
    EXPECT_EQ(States(), "0101");
    tree.Apply(Find(tree, "A"), FeatureAction::InstallComponentWithSubComponents);
    EXPECT_EQ(States(), "1111");
    EXPECT_TRUE(tree.items()[Find(tree, "A\\E")].selected);
}

TEST_F(FeatureTreeTest, ItemsThatNameNoComponentPassStatesThrough) {
    Components({{"C\\D", false}, {"C\\F", false}});
    FeatureTree tree = FeatureTree::FromComponents();
    tree.Apply(Find(tree, "C"), FeatureAction::InstallComponentWithSubComponents);
    EXPECT_EQ(States(), "11");
}

TEST_F(FeatureTreeTest, FeatureListShowsTopLevelAndChecksItsOwnComponentsOnly) {
    Components({{"Tools", true}, {"Tools\\Help", true}, {"Help", false}, {"Help2", true}, {"Docs", true}});
    const auto items = FeatureListItems();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0], (std::pair<std::string, bool>{"Tools", true}));
    // Help2 is listed first: unchecking Help after it must not deselect it.
    StatesFromFeatureList({{"Tools", false}, {"Help2", true}, {"help", false}, {"Docs", true}});
    EXPECT_EQ(States(), "00011");
}

// A required feature: defined selected whatever its flag, and neither the
// tree's menu nor the list can deselect it; what is not required still follows.
TEST_F(FeatureTreeTest, ARequiredFeatureStaysSelectedInTreeAndList) {
    ClearComponents();
    DefineComponent("Core", "", false, true);
    DefineComponent("Core\\Help", "", true);
    DefineComponent("Samples", "", true);
    EXPECT_EQ(States(), "111");
    FeatureTree tree = FeatureTree::FromComponents();
    EXPECT_TRUE(tree.items()[Find(tree, "Core")].required);
    EXPECT_FALSE(tree.items()[Find(tree, "Core\\Help")].required);
    tree.Apply(Find(tree, "Core"), FeatureAction::EntireFeatureUnavailable);
    EXPECT_EQ(States(), "101") << "Core stays, its sub-feature goes";
    EXPECT_TRUE(tree.items()[Find(tree, "Core")].selected);
    tree.Apply(Find(tree, "Core"), FeatureAction::DoNotInstallComponentOnly);
    EXPECT_EQ(States(), "101");

    StatesFromFeatureList({{"Core", false}, {"Samples", false}});
    EXPECT_EQ(States(), "100");
    EXPECT_TRUE(FeatureListItemRequired("core"));
    EXPECT_FALSE(FeatureListItemRequired("Samples"));

    // Defined again without the flag (an older payload's three parameters): an ordinary feature.
    DefineComponent("Core", "", false);
    StatesFromFeatureList({{"Core", false}});
    EXPECT_EQ(States(), "000");
}

}  // namespace
