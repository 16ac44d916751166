#include "PixelProbe.h"

#include <lookandfeel/KestroLookAndFeel.h>

#include <gtest/gtest.h>

namespace
{
const juce::Colour trackColour (0xff1d1d1d);

// A vertical bar 18 x 200: arrow buttons of 16 px at both ends, a thumb area of 168 px and a
// thumb of a quarter of it (42 px) starting at 58.
class LookAndFeelScrollbar : public ::testing::Test
{
protected:
    LookAndFeelScrollbar()
    {
        bar.setLookAndFeel (&lnf);
        bar.setAutoHide (false);
        bar.setBounds (0, 0, 18, 200);
        bar.setRangeLimits (0.0, 100.0);
        bar.setCurrentRange (25.0, 25.0);
    }

    ~LookAndFeelScrollbar() override { bar.setLookAndFeel (nullptr); }

    juce::Image paintBar (juce::Rectangle<int> clip)
    {
        juce::Image image (juce::Image::ARGB, bar.getWidth(), bar.getHeight(), true);
        juce::Graphics g (image);
        g.reduceClipRegion (clip);
        bar.paintEntireComponent (g, true);
        return image;
    }

    KestroLookAndFeel lnf;
    juce::ScrollBar bar { true };
};

// The white in one row of an arrow button, in pixels' worth of full coverage.
float whiteInRow (const juce::Image& image, int y, juce::Rectangle<int> area)
{
    float sum = 0.0f;
    for (int x = area.getX(); x < area.getRight(); ++x)
        sum += juce::jmax (0.0f, image.getPixelAt (x, y).getBrightness() - trackColour.getBrightness());
    return sum / (1.0f - trackColour.getBrightness());
}
} // namespace

TEST_F (LookAndFeelScrollbar, ArrowsAreWhiteTrianglesPointingAwayFromTheThumb)
{
    const auto image = paintBar (bar.getLocalBounds());

    for (const bool top : { true, false })
    {
        const auto button = top ? juce::Rectangle<int> (0, 0, 18, 16) : juce::Rectangle<int> (0, 184, 18, 16);
        // The grey outline and the transparent corners lie outside the searched area.
        const auto arrow = inkBounds (image, button.reduced (4, 2), trackColour, 30);
        ASSERT_FALSE (arrow.isEmpty());

        // 0.54 and 0.35 of the bar's 18 px thickness, centred in the button; partly covered
        // pixels at the edges count as ink.
        EXPECT_NEAR (arrow.getWidth(), 9.72f, 2.0f);
        EXPECT_NEAR (arrow.getHeight(), 6.3f, 2.0f);
        EXPECT_NEAR (arrow.getCentreX(), 9, 1);
        EXPECT_NEAR (arrow.getCentreY(), button.getCentreY(), 1.5);
        EXPECT_GT (brightestChannel (image, arrow), 250);

        // One row in from each end, past the faint edge rows.
        const int apexRow = top ? arrow.getY() + 1 : arrow.getBottom() - 2;
        const int baseRow = top ? arrow.getBottom() - 2 : arrow.getY() + 1;
        EXPECT_LT (whiteInRow (image, apexRow, button.reduced (4, 0)) * 3.0f, whiteInRow (image, baseRow, button.reduced (4, 0)))
            << (top ? "up arrow" : "down arrow") << " apex faces the end of the bar";
    }
}

TEST_F (LookAndFeelScrollbar, TrackThumbAndGripLines)
{
    const auto image = paintBar (bar.getLocalBounds());

    EXPECT_TRUE (isNear (image.getPixelAt (9, 150), trackColour, 1)) << "track below the thumb";
    EXPECT_TRUE (isNear (image.getPixelAt (9, 40), trackColour, 1)) << "track above the thumb";
    EXPECT_TRUE (isNear (image.getPixelAt (0, 150), juce::Colour (0xff646464), 50)) << "track outline";

    // The thumb (x 1.5 to 16.5, y 58.5 to 99.5) shades across from 0xff585c5e to 0xff494949,
    // the gradient running from x 0 to the thumb's width (15).
    EXPECT_TRUE (isNear (image.getPixelAt (3, 65), juce::Colour (0xff585c5e).interpolatedWith (juce::Colour (0xff494949), 3.5f / 15.0f), 3))
        << image.getPixelAt (3, 65).toDisplayString (true);
    EXPECT_TRUE (isNear (image.getPixelAt (15, 65), juce::Colour (0xff494949), 3));
    EXPECT_TRUE (isNear (image.getPixelAt (9, 57), trackColour, 1));
    EXPECT_FALSE (isNear (image.getPixelAt (9, 60), trackColour, 20));

    // Grip lines 1 px high at 79 - 3.5, 79 + 0.5 and 79 + 4.5, from x 4.1, 9.8 px long: each
    // covers half of two pixel rows.
    const auto thumbAt = [&] (int x) { return image.getPixelAt (x, 70); };
    for (const int row : { 75, 79, 83 })
    {
        EXPECT_LT (image.getPixelAt (9, row).getBrightness(), thumbAt (9).getBrightness() - 0.08f) << "grip row " << row;
        EXPECT_TRUE (isNear (image.getPixelAt (2, row), thumbAt (2), 2)) << "no grip left of x 4.1, row " << row;
        EXPECT_TRUE (isNear (image.getPixelAt (15, row), thumbAt (15), 2)) << "no grip right of x 13.9, row " << row;
    }
    EXPECT_TRUE (isNear (image.getPixelAt (9, 72), thumbAt (9), 2));
}

TEST_F (LookAndFeelScrollbar, PressedBarFadesOnlyTheThumb)
{
    // thumbSize 43 puts the grip lines on whole pixel rows (mid 71.5: rows 68, 72, 76).
    const auto draw = [&] (bool mouseDown) {
        return paintIntoImage (18, 200, [&] (juce::Graphics& g) {
            lnf.drawScrollbar (g, bar, 0, 16, 18, 168, true, 50, 43, false, mouseDown);
        });
    };
    const auto normal = draw (false);
    const auto pressed = draw (true);

    EXPECT_EQ (pressed.getPixelAt (9, 150), normal.getPixelAt (9, 150)) << "track stays opaque";
    EXPECT_TRUE (isNear (pressed.getPixelAt (9, 68), trackColour, 1)) << "grip line stays opaque";
    EXPECT_TRUE (isNear (normal.getPixelAt (9, 68), trackColour, 1));

    const auto thumb = normal.getPixelAt (9, 60);
    EXPECT_TRUE (isNear (pressed.getPixelAt (9, 60), thumb.interpolatedWith (trackColour, 0.5f), 3))
        << "thumb at half opacity over the track";
}

TEST_F (LookAndFeelScrollbar, PartialRepaintDrawsTheSameTrackAsAFullPaint)
{
    const auto full = paintBar (bar.getLocalBounds());
    const auto band = juce::Rectangle<int> (0, 60, 18, 80);
    const auto partial = paintBar (band);

    for (int y = band.getY(); y < band.getBottom(); ++y)
        for (int x = band.getX(); x < band.getRight(); ++x)
            ASSERT_EQ (partial.getPixelAt (x, y), full.getPixelAt (x, y)) << "at " << x << "," << y;
}

struct ArrowCase
{
    const char* name;
    int direction;
    bool vertical;
    int width, height;
    bool apexAtLowEnd; // apex towards x 0 (horizontal) or y 0 (vertical)
};

class LookAndFeelScrollbarArrow : public ::testing::TestWithParam<ArrowCase>
{
};

TEST_P (LookAndFeelScrollbarArrow, ApexPointsInTheButtonsDirection)
{
    const auto& param = GetParam();
    KestroLookAndFeel lnf;
    juce::ScrollBar bar (param.vertical);

    const auto draw = [&] (bool over, bool down) {
        return paintIntoImage (param.width, param.height, [&] (juce::Graphics& g) {
            lnf.drawScrollbarButton (g, bar, param.width, param.height, param.direction, param.vertical, over, down);
        });
    };
    const auto image = draw (false, false);

    const auto ink = inkBounds (image, image.getBounds(), juce::Colours::transparentBlack, 128);
    ASSERT_FALSE (ink.isEmpty());

    // Count ink along the first and last line across the arrow's axis.
    const bool alongX = (param.direction == 1 || param.direction == 3);
    const auto countAt = [&] (int pos) {
        int n = 0;
        for (int i = 0; i < (alongX ? param.height : param.width); ++i)
            n += (alongX ? image.getPixelAt (pos, i) : image.getPixelAt (i, pos)).getAlpha() > 128 ? 1 : 0;
        return n;
    };
    const int low = countAt (alongX ? ink.getX() : ink.getY());
    const int high = countAt (alongX ? ink.getRight() - 1 : ink.getBottom() - 1);
    EXPECT_EQ (low < high, param.apexAtLowEnd) << low << " vs " << high;

    EXPECT_TRUE (samePixels (draw (true, false), image)) << "hovering changes nothing";
    EXPECT_NEAR (strongestAlpha (draw (false, true), image.getBounds()), 128, 2) << "pressed: half opacity";
}

INSTANTIATE_TEST_SUITE_P (
    Directions, LookAndFeelScrollbarArrow,
    ::testing::Values (ArrowCase { "up", 0, true, 18, 16, true },
                       ArrowCase { "down", 2, true, 18, 16, false },
                       ArrowCase { "left", 3, false, 16, 18, true },
                       ArrowCase { "right", 1, false, 16, 18, false }),
    [] (const auto& p) { return std::string (p.param.name); });
