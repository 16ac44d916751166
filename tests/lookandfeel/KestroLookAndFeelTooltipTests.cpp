#include "FixedAdvanceTypeface.h"
#include "PixelProbe.h"
#include "ScopedDefaultLookAndFeel.h"

#include <lookandfeel/BalancedLineLayout.h>
#include <lookandfeel/KestroLookAndFeel.h>
#include <lookandfeel/ThemeGeometry.h>

#include <gtest/gtest.h>

namespace
{
const juce::String shortTip ("Busy connecting device ...");

// The same layout the theme builds: balanced lines of at most 400 px in "Verdana" 15.5.
juce::TextLayout layoutOf (const juce::String& text, bool balanced)
{
    juce::AttributedString s;
    s.setJustification (juce::Justification::centredLeft);
    s.setWordWrap (juce::AttributedString::byWord);
    s.append (text, juce::Font ("Verdana", 15.5f, juce::Font::plain), juce::Colours::black);

    juce::TextLayout layout;
    if (balanced)
        layout = BalancedLineLayout::create (s, 400.0f);
    else
        layout.createLayout (s, 400.0f);
    return layout;
}

// The theme is the default, as in the application, so that "Verdana" resolves through it.
class LookAndFeelTooltip : public ::testing::Test
{
protected:
    KestroLookAndFeel lnf;
    ScopedDefaultLookAndFeel installed { lnf };
};
} // namespace

struct PlacementCase
{
    const char* name;
    juce::Point<int> mouse;
    juce::Rectangle<int> area;
    // Expected rectangle as a function of the tip's size (w, h).
    std::function<juce::Rectangle<int> (int w, int h)> expected;
};

class LookAndFeelTooltipPlacement : public ::testing::TestWithParam<PlacementCase>
{
};

TEST_P (LookAndFeelTooltipPlacement, TipSitsBesideTheMouseAwayFromTheNearerEdges)
{
    const auto& param = GetParam();
    const int w = 190, h = 30;

    EXPECT_EQ (ThemeGeometry::tooltipBounds (w, h, param.mouse, param.area), param.expected (w, h));
}

INSTANTIATE_TEST_SUITE_P (
    Placement, LookAndFeelTooltipPlacement,
    ::testing::Values (
        PlacementCase { "leftAbove", { 100, 100 }, { 0, 0, 1000, 800 },
                        [] (int w, int h) { return juce::Rectangle<int> (124, 106, w, h); } },
        PlacementCase { "rightBelow", { 900, 700 }, { 0, 0, 1000, 800 },
                        [] (int w, int h) { return juce::Rectangle<int> (900 - 12 - w, 700 - 6 - h, w, h); } },
        PlacementCase { "rightAbove", { 900, 100 }, { 0, 0, 1000, 800 },
                        [] (int w, int h) { return juce::Rectangle<int> (900 - 12 - w, 106, w, h); } },
        // The centre of (0, 0, 1001, 801) is (500, 400): exactly there counts as left and above.
        PlacementCase { "atCentre", { 500, 400 }, { 0, 0, 1001, 801 },
                        [] (int w, int h) { return juce::Rectangle<int> (524, 406, w, h); } },
        PlacementCase { "justRightOfCentre", { 501, 401 }, { 0, 0, 1001, 801 },
                        [] (int w, int h) { return juce::Rectangle<int> (501 - 12 - w, 401 - 6 - h, w, h); } },
        PlacementCase { "areaOffset", { 1100, 150 }, { 1000, 100, 400, 300 },
                        [] (int w, int h) { return juce::Rectangle<int> (1124, 156, w, h).constrainedWithin ({ 1000, 100, 400, 300 }); } },
        // Past the area's edge: moved inside by the least amount.
        PlacementCase { "movedInside", { -100, 790 }, { 0, 0, 1000, 800 },
                        [] (int w, int h) { return juce::Rectangle<int> (0, 790 - 6 - h, w, h); } },
        PlacementCase { "movedInsideAtBottom", { 100, 20 }, { 0, 0, 1000, 40 },
                        [] (int w, int h) { return juce::Rectangle<int> (124, 40 - h, w, h); } },
        // Larger than the area: cut to its size.
        PlacementCase { "cutToArea", { 5, 5 }, { 0, 0, 100, 20 },
                        [] (int, int) { return juce::Rectangle<int> (0, 0, 100, 20); } }),
    [] (const auto& p) { return std::string (p.param.name); });

TEST_F (LookAndFeelTooltip, LongTextBreaksIntoBalancedLinesOfAtMost400Pixels)
{
    const juce::String longTip ("In this menu section you will get information on the plug-in model, software version, "
                                "and others. You also have the possibility to proceed a software update.");
    const auto balanced = layoutOf (longTip, true);
    const auto greedy = layoutOf (longTip, false);

    ASSERT_GE (balanced.getNumLines(), 2);
    EXPECT_EQ (balanced.getNumLines(), greedy.getNumLines());

    const auto spread = [] (const juce::TextLayout& layout) {
        float shortest = 1.0e6f, longest = 0.0f;
        for (int i = 0; i < layout.getNumLines(); ++i)
        {
            const auto range = layout.getLine (i).getLineBoundsX();
            shortest = juce::jmin (shortest, range.getLength());
            longest = juce::jmax (longest, range.getLength());
            EXPECT_LE (range.getLength(), 400.0f) << "line " << i;
        }
        return longest - shortest;
    };
    EXPECT_LT (spread (balanced), spread (greedy));

    // The theme's tip is sized by balanced lines: narrower than filled ones, at most 400 + 18.
    const auto bounds = lnf.getTooltipBounds (longTip, { 10, 10 }, { 0, 0, 1920, 1080 });
    EXPECT_LT (bounds.getWidth(), (int) (greedy.getWidth() + 18.0f));
    EXPECT_LE (bounds.getWidth(), 418);
}

/** The theme with "Verdana" drawn in a face whose every character is 15.5 px wide at the tooltip's
    15.5 px, so that a tip's size can be worked out by hand. */
class FixedAdvanceTheme : public KestroLookAndFeel
{
public:
    juce::Typeface::Ptr getTypefaceForFont (const juce::Font& font) override
    {
        return font.getTypefaceName() == "Verdana" ? face : KestroLookAndFeel::getTypefaceForFont (font);
    }

    juce::Typeface::Ptr face = makeFixedAdvanceTypeface (1.0f);
};

TEST (LookAndFeelTooltipSize, IsTheBalancedLinesPlus18By13)
{
    FixedAdvanceTheme theme;
    ScopedDefaultLookAndFeel installed { theme };

    // Words of 2 6 3 2 6 2 characters. Filled into 400 px the last word would be alone (23 and 2
    // characters); at 240 px, the first width of the search with the last two lines within 10 %,
    // they hold 13 and 12 characters: 201.5 and 186 px. Two lines of 15.5 px.
    const auto bounds = theme.getTooltipBounds ("ab cdefgh ijk lm nopqrs tu", { 10, 10 }, { 0, 0, 1920, 1080 });

    EXPECT_EQ (bounds, juce::Rectangle<int> (34, 16, 219, 44)); // 201.5 + 18 and 31 + 13, truncated
}

// JUCE's own balancing leaves the last word of these alone on the second line.
TEST_F (LookAndFeelTooltip, TwoLineTipIsAboutHalfItsTextWide)
{
    const juce::Font font ("Verdana", 15.5f, juce::Font::plain);

    for (const auto* utf8 : { "In this menu section you can configure the input device source.",
                              "In diesem Menü-Bereich erfolgt die Konfiguration des Eingangs-Gerätes." })
    {
        const auto tip = juce::String::fromUTF8 (utf8);
        const auto bounds = lnf.getTooltipBounds (tip, { 10, 10 }, { 0, 0, 1920, 1080 });

        // Two lines within 20 % of each other: the longer is at most 1.2 / 2.2 of the whole text.
        EXPECT_LE ((float) bounds.getWidth() - 18.0f, font.getStringWidthFloat (tip) * 1.2f / 2.2f) << tip;
        EXPECT_NEAR (bounds.getHeight(), 2.0f * font.getHeight() + 13.0f, 2.0f) << tip;
    }
}

TEST_F (LookAndFeelTooltip, OneLineTipIsItsTextWidthPlus18AndItsLineHeightPlus13)
{
    const juce::Font font ("Verdana", 15.5f, juce::Font::plain);
    const auto bounds = lnf.getTooltipBounds (shortTip, { 10, 10 }, { 0, 0, 1920, 1080 });

    EXPECT_NEAR (bounds.getWidth(), font.getStringWidthFloat (shortTip) + 18.0f, 1.0f);
    EXPECT_NEAR (bounds.getHeight(), font.getHeight() + 13.0f, 1.0f);
}

TEST_F (LookAndFeelTooltip, LightRoundedBoxWithDarkTextFromX8Point5)
{
    const auto bounds = lnf.getTooltipBounds (shortTip, { 10, 10 }, { 0, 0, 1920, 1080 });
    const int w = bounds.getWidth(), h = bounds.getHeight();
    const auto image = paintIntoImage (w, h, [&] (juce::Graphics& g) { lnf.drawTooltip (g, shortTip, w, h); });

    EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0) << "rounded corner stays transparent";
    EXPECT_TRUE (isNear (image.getPixelAt (w / 2, 0), juce::Colour (0xff646464), 3)) << "outline";
    EXPECT_TRUE (isNear (image.getPixelAt (w - 1, h / 2), juce::Colour (0xff646464), 3)) << "outline";
    EXPECT_TRUE (isNear (image.getPixelAt (3, h / 2), juce::Colour (0xffd6d6d6), 1)) << "background";

    // The text has ink: dark, from x 8.5, as wide as the font measures it, centred vertically
    // in the box less its bottom 2 px.
    const juce::Font font ("Verdana", 15.5f, juce::Font::plain);
    const auto ink = inkBounds (image, { 2, 2, w - 4, h - 4 }, juce::Colour (0xffd6d6d6), 60);
    ASSERT_FALSE (ink.isEmpty());
    EXPECT_GE (ink.getX(), 8);
    EXPECT_LE (ink.getX(), 11);
    EXPECT_NEAR (ink.getWidth(), font.getStringWidthFloat (shortTip), 4.0f);
    EXPECT_GT (ink.getHeight(), 8);

    int darkest = 255;
    for (int x = ink.getX(); x < ink.getRight(); ++x)
        for (int y = ink.getY(); y < ink.getBottom(); ++y)
            darkest = juce::jmin (darkest, (int) image.getPixelAt (x, y).getRed());
    EXPECT_NEAR (darkest, 0x30, 12) << "text colour 0xff303030";

    EXPECT_NEAR (ink.toFloat().getCentreY(), ((float) h - 2.0f) / 2.0f, 2.5f);
}
