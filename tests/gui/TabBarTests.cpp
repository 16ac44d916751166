// The settings window's tab bar: the recency ranks kept by tab clicks, the narrowing of tabs to
// 45-px icon tabs least recently used first, the extras button when even that does not fit, the
// placement with 10 px more overlap than the theme's, and the tooltips of narrow tabs.

#include "gui/CollapsingTabBarButton.h"
#include "gui/CollapsingTabbedButtonBar.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
/** A theme whose tab lengths are the numbers the tabs are named after, with the program theme's
    overlap (-2) and space around the image (0), so that the bar's own arithmetic is what shows. */
class NumberedTabsLookAndFeel : public juce::LookAndFeel_V4
{
public:
    int getTabButtonOverlap (int) override { return -2; }
    int getTabButtonSpaceAroundImage() override { return 0; }
    int getTabButtonBestWidth (juce::TabBarButton& button, int) override { return button.getButtonText().getIntValue(); }
};

/** A horizontal bar, 33 px deep, with one tab per best length; tab i is named "<length>". */
struct TestBar
{
    explicit TestBar (const std::vector<int>& bestLengths, int length = 1000)
    {
        bar.setLookAndFeel (&lookAndFeel);
        bar.setSize (length, 33);
        for (auto best : bestLengths)
            bar.addTab (juce::String (best), juce::Colours::grey, -1);
    }

    ~TestBar() { bar.setLookAndFeel (nullptr); }

    void click (int index, juce::ModifierKeys modifiers = juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier))
    {
        static_cast<CollapsingTabBarButton*> (bar.getTabButton (index))->clicked (modifiers);
    }

    std::vector<int> ranks() const { return { bar.tabPriorities, bar.tabPriorities + bar.getNumTabs() }; }
    std::vector<int> widths() const { return { bar.tabWidths, bar.tabWidths + bar.getNumTabs() }; }

    std::vector<int> xs() const
    {
        std::vector<int> result;
        for (int i = 0; i < bar.getNumTabs(); ++i)
            result.push_back (bar.getTabButton (i)->isVisible() ? bar.getTabButton (i)->getX() : -1);
        return result;
    }

    NumberedTabsLookAndFeel lookAndFeel;
    CollapsingTabbedButtonBar bar { juce::TabbedButtonBar::TabsAtTop };
};
} // namespace

//==============================================================================
struct TabBarRankCase
{
    const char* name;
    int numTabs;
    std::vector<int> clicks;
    std::vector<std::vector<int>> ranksAfterEachClick;
};

class TabBarRanks : public ::testing::TestWithParam<TabBarRankCase>
{
};

TEST_P (TabBarRanks, AClickGivesItsTabTheTopRankAndMovesTheHigherRanksDown)
{
    const auto& c = GetParam();
    TestBar test (std::vector<int> ((size_t) c.numTabs, 100));
    EXPECT_EQ (test.ranks(), std::vector<int> ((size_t) c.numTabs, 0));

    for (size_t i = 0; i < c.clicks.size(); ++i)
    {
        test.click (c.clicks[i]);
        EXPECT_EQ (test.bar.getCurrentTabIndex(), c.clicks[i]);
        EXPECT_EQ (test.ranks(), c.ranksAfterEachClick[i]) << "after click " << i;
    }
}

INSTANTIATE_TEST_SUITE_P (
    Cases, TabBarRanks,
    ::testing::Values (
        TabBarRankCase { "ThreeTabsClickedFromTheLast", 3, { 2, 1, 0 }, { { 0, 0, 2 }, { 0, 2, 1 }, { 2, 1, 0 } } },
        TabBarRankCase { "TwoTabsClickedBackAndForth", 2, { 1, 0, 1 }, { { 0, 1 }, { 1, 0 }, { 0, 1 } } },
        TabBarRankCase { "TheTopTabClickedAgainChangesNothing", 3, { 1, 1 }, { { 0, 2, 0 }, { 0, 2, 0 } } }),
    [] (const auto& testInfo) { return std::string (testInfo.param.name); });

//==============================================================================
struct TabBarLayoutCase
{
    const char* name;
    std::vector<int> bestLengths;
    std::vector<int> clicks;   // before the bar is given its length
    int length;
    std::vector<int> widths;
    std::vector<int> xs;       // -1: hidden
    bool extrasButton;
};

class TabBarLayout : public ::testing::TestWithParam<TabBarLayoutCase>
{
};

TEST_P (TabBarLayout, NarrowsTheLeastRecentlyUsedTabsFirstAndOverlapsTabsBy8)
{
    const auto& c = GetParam();
    TestBar test (c.bestLengths);
    for (auto index : c.clicks)
        test.click (index);

    test.bar.setSize (c.length, 33);

    EXPECT_EQ (test.widths(), c.widths);
    EXPECT_EQ (test.xs(), c.xs);
    EXPECT_EQ (test.bar.getExtrasButton() != nullptr, c.extrasButton);

    for (int i = 0; i < test.bar.getNumTabs(); ++i)
    {
        if (test.bar.getTabButton (i)->isVisible())
        {
            EXPECT_EQ (test.bar.getTabButton (i)->getWidth(), c.widths[(size_t) i]) << "tab " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P (
    Cases, TabBarLayout,
    ::testing::Values (
        // 8 + 92 + 92 = 192: a total equal to the length does not collapse.
        TabBarLayoutCase { "ExactFitKeepsBestLengths", { 100, 100 }, {}, 192, { 100, 100 }, { 0, 92 }, false },
        TabBarLayoutCase { "FreshBarCollapsesAllTabsOfRankZeroAtOnce", { 100, 100 }, {}, 191, { 45, 45 }, { 0, 37 }, false },
        // Tab 0 was clicked last: tab 1 goes first (8 + 92 + 37 = 137).
        TabBarLayoutCase { "LeastRecentlyUsedCollapsesFirst", { 100, 100 }, { 1, 0 }, 150, { 100, 45 }, { 0, 92 }, false },
        TabBarLayoutCase { "MoreRecentTabsFollowWhileStillTooLong", { 100, 100 }, { 1, 0 }, 136, { 45, 45 }, { 0, 37 }, false },
        TabBarLayoutCase { "ThreeTabsCollapseRankByRank", { 120, 120, 120 }, { 2, 1, 0 }, 250, { 120, 45, 45 }, { 0, 112, 149 }, false },
        // 8 + 37 + 37 = 82 > 60: the extras button (23 px, centred at 48) and the visible tabs
        // judged by best lengths, the visible one keeping its 45 px.
        TabBarLayoutCase { "ExtrasButtonWhenEvenCollapsedTabsDoNotFit", { 100, 100 }, {}, 60, { 45, 45 }, { 0, -1 }, true }),
    [] (const auto& testInfo) { return std::string (testInfo.param.name); });

TEST (TabBarLayoutDetails, ExtrasButtonIsPlacedAtTheEndOfTheBarAndTheFrontTabLiesOnTop)
{
    TestBar test ({ 100, 100 }, 60);
    auto* extras = test.bar.getExtrasButton();
    ASSERT_NE (extras, nullptr);
    EXPECT_EQ (extras->getWidth(), 23);
    EXPECT_EQ (extras->getBounds().getCentre(), juce::Point<int> (48, 16));

    test.bar.setSize (500, 33);
    EXPECT_EQ (test.bar.getExtrasButton(), nullptr) << "the tabs fit again";
    EXPECT_TRUE (test.bar.getTabButton (1)->isVisible());

    test.click (1);
    const auto* front = test.bar.getTabButton (1);
    EXPECT_EQ (test.bar.getIndexOfChildComponent (front), test.bar.getNumChildComponents() - 1);
    EXPECT_GT (test.bar.getIndexOfChildComponent (front), test.bar.getIndexOfChildComponent (test.bar.getTabButton (0)));

    // The rectangular hit zone leaves out half the overlap at both ends.
    EXPECT_EQ (static_cast<const CollapsingTabBarButton*> (front)->getOverlapPixels(), 4);
}

TEST (TabBarLayoutDetails, AVerticalBarScalesItsTabsByTheMinimumScaleInsteadOfTheStoredWidths)
{
    TestBar test ({ 100, 100 });
    test.bar.setOrientation (juce::TabbedButtonBar::TabsAtLeft);
    test.bar.setSize (33, 60);

    // As along the horizontal bar of 60 px: one visible tab beside the extras button, but 70 px
    // long, the best length at the bar's minimum scale of 0.7.
    ASSERT_NE (test.bar.getExtrasButton(), nullptr);
    EXPECT_EQ (test.bar.getTabButton (0)->getBounds(), juce::Rectangle<int> (0, 0, 33, 70));
    EXPECT_FALSE (test.bar.getTabButton (1)->isVisible());
    EXPECT_EQ (test.widths(), (std::vector<int> { 45, 45 }));
}

//==============================================================================
struct TabBarTooltipCase
{
    const char* name;
    std::vector<int> bestLengths;
    int length;
    std::vector<juce::String> tooltips;
};

class TabBarTooltips : public ::testing::TestWithParam<TabBarTooltipCase>
{
};

TEST_P (TabBarTooltips, TabsOf49PixelsOrLessCarryTheirNames)
{
    const auto& c = GetParam();
    TestBar test (c.bestLengths, c.length);
    test.bar.updateToolTips();

    for (size_t i = 0; i < c.tooltips.size(); ++i)
        EXPECT_EQ (test.bar.getTabButton ((int) i)->getTooltip(), c.tooltips[i]) << "tab " << i;
}

INSTANTIATE_TEST_SUITE_P (
    Cases, TabBarTooltips,
    ::testing::Values (
        TabBarTooltipCase { "Exactly49GetsItsNameAnd50None", { 49, 50 }, 500, { "49", "" } },
        TabBarTooltipCase { "CollapsedTabsGetTheirNames", { 100, 100 }, 150, { "100", "100" } },
        TabBarTooltipCase { "TabsAtTheirBestLengthsGetNone", { 100, 100 }, 500, { "", "" } }),
    [] (const auto& testInfo) { return std::string (testInfo.param.name); });

TEST (TabBarClicks, AClickRefreshesTheTooltipsAndAPopupMenuClickChangesNothing)
{
    TestBar test ({ 100, 100 }, 150);   // both collapsed on the fresh bar
    test.bar.setCurrentTabIndex (0, false);

    const juce::ModifierKeys popupClicks[] = { juce::ModifierKeys (juce::ModifierKeys::rightButtonModifier),
                                               juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier | juce::ModifierKeys::ctrlModifier) };
    for (auto modifiers : popupClicks)
    {
        test.click (1, modifiers);
        EXPECT_EQ (test.bar.getCurrentTabIndex(), 0);
        EXPECT_EQ (test.ranks(), (std::vector<int> { 0, 0 }));
        EXPECT_EQ (test.bar.getTabButton (1)->getTooltip(), "") << "tooltips are not refreshed";
    }

    // Tab 1 now ranks highest and gets its best length back; tab 0 stays collapsed.
    test.click (1);
    EXPECT_EQ (test.bar.getCurrentTabIndex(), 1);
    EXPECT_EQ (test.widths(), (std::vector<int> { 45, 100 }));
    EXPECT_EQ (test.bar.getTabButton (0)->getTooltip(), "100");
    EXPECT_EQ (test.bar.getTabButton (1)->getTooltip(), "");
}
