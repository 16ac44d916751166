#include <lookandfeel/ThemeGeometry.h>

#include <gtest/gtest.h>

struct ColumnNameCase
{
    const char* name;
    const char* columnName;
    const char* main;
    const char* subscript;
    const char* superscript;
    const char* trailing;
};

class ThemeGeometryColumnName : public ::testing::TestWithParam<ColumnNameCase>
{
};

TEST_P (ThemeGeometryColumnName, ScriptsEndAtABlankAndTheRestFollowsThem)
{
    const auto& param = GetParam();
    const auto parts = ThemeGeometry::splitColumnName (param.columnName);

    EXPECT_EQ (parts.main, juce::String (param.main));
    EXPECT_EQ (parts.subscript, juce::String (param.subscript));
    EXPECT_EQ (parts.superscript, juce::String (param.superscript));
    EXPECT_EQ (parts.trailing, juce::String (param.trailing));
}

INSTANTIATE_TEST_SUITE_P (
    Names, ThemeGeometryColumnName,
    ::testing::Values (ColumnNameCase { "plain", "Integrated loudness", "Integrated loudness", "", "", "" },
                       ColumnNameCase { "subscript", "L_eq", "L", "eq", "", "" },
                       ColumnNameCase { "superscriptWithUnit", "x^2 dB", "x", "", "2", " dB" },
                       ColumnNameCase { "subscriptThenSuperscript", "L_eq^2 dB", "L", "eq", "2", " dB" },
                       // A script mark at the very end has nothing to set apart: the name stays whole.
                       ColumnNameCase { "trailingUnderscore", "L_", "L_", "", "", "" },
                       ColumnNameCase { "trailingCaret", "x^", "x^", "", "", "" },
                       // Only the text after the last blank follows the scripts.
                       ColumnNameCase { "severalBlanks", "L_eq short term", "L", "eq", "", " term" }),
    [] (const auto& p) { return std::string (p.param.name); });

TEST (ThemeGeometryTab, TopTabsStandOnAFivePixelGapAndOnlyTheFrontTabHasFeet)
{
    const auto top = juce::TabbedButtonBar::TabsAtTop;
    const auto front = ThemeGeometry::tabOutline (top, 120.0f, 30.0f, true, true).getBounds();
    const auto back = ThemeGeometry::tabOutline (top, 120.0f, 30.0f, true, false).getBounds();

    EXPECT_FLOAT_EQ (back.getX(), 5.0f);
    EXPECT_FLOAT_EQ (back.getRight(), 115.0f);
    EXPECT_FLOAT_EQ (back.getY(), 0.0f);
    EXPECT_FLOAT_EQ (back.getBottom(), 25.0f);
    EXPECT_LT (front.getX(), back.getX()) << "feet reach out past the sides";
    EXPECT_GT (front.getRight(), back.getRight());
    EXPECT_FLOAT_EQ (front.getBottom(), 25.0f);

    EXPECT_TRUE (ThemeGeometry::tabOutline (top, 120.0f, 30.0f, false, true).isEmpty());
}

TEST (ThemeGeometryTab, SideAndBottomTabsReachSevenPixelsPastTheBarsEdge)
{
    using Bar = juce::TabbedButtonBar;
    EXPECT_FLOAT_EQ (ThemeGeometry::tabOutline (Bar::TabsAtBottom, 120.0f, 30.0f, true, false).getBounds().getY(), -7.0f);
    EXPECT_FLOAT_EQ (ThemeGeometry::tabOutline (Bar::TabsAtLeft, 30.0f, 120.0f, true, false).getBounds().getRight(), 37.0f);
    EXPECT_FLOAT_EQ (ThemeGeometry::tabOutline (Bar::TabsAtRight, 30.0f, 120.0f, true, false).getBounds().getX(), -7.0f);
}
