#include "MessagePump.h"
#include "PixelProbe.h"

#include <lookandfeel/KestroLookAndFeel.h>

#include <BinaryData.h>

#include <gtest/gtest.h>

#include <functional>

// The theme's drawers for widgets the application itself never shows, painted the way the
// framework widgets paint them.
namespace
{
const juce::Colour outlineGrey (0xff646464), progressGrey (0xffd6d6d6);

bool isStripe (juce::Colour c)
{
    return c.getAlpha() == 0xff && (int) c.getBlue() > (int) c.getRed() + 50;
}

int grey (juce::Colour c)
{
    return (c.getRed() + c.getGreen() + c.getBlue()) / 3;
}

// The bounding box of the pixels where two paintings of the same size differ.
juce::Rectangle<int> differenceBounds (const juce::Image& a, const juce::Image& b)
{
    juce::Rectangle<int> box;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (colourDistance (a.getPixelAt (x, y), b.getPixelAt (x, y)) > 40)
                box = box.isEmpty() ? juce::Rectangle<int> (x, y, 1, 1) : box.getUnion ({ x, y, 1, 1 });
    return box;
}

class LookAndFeelDrawers : public ::testing::Test
{
protected:
    KestroLookAndFeel lnf;
};
} // namespace

//==============================================================================
struct DrawerProgressCase
{
    const char* name;
    int width, height;
    double progress;
    juce::Rectangle<float> bar; // where the outline runs
    float filledTo;             // the stripes end here; 0 for none
};

class LookAndFeelDrawersProgress : public LookAndFeelDrawers,
                                   public ::testing::WithParamInterface<DrawerProgressCase>
{
};

TEST_P (LookAndFeelDrawersProgress, StripesFillTheOutlinedGreyBarUpToTheProgress)
{
    const auto& param = GetParam();
    double progress = param.progress;
    juce::ProgressBar progressBar (progress);
    progressBar.setLookAndFeel (&lnf);

    const auto image = paintIntoImage (param.width, param.height, [&] (juce::Graphics& g) {
        lnf.drawProgressBar (g, progressBar, param.width, param.height, param.progress, {});
    });
    progressBar.setLookAndFeel (nullptr);

    const auto& bar = param.bar;
    const int cx = (int) bar.getCentreX(), cy = (int) bar.getCentreY();
    for (const auto p : { juce::Point<int> ((int) bar.getX(), cy), juce::Point<int> ((int) bar.getRight(), cy),
                          juce::Point<int> (cx, (int) bar.getY()), juce::Point<int> (cx, (int) bar.getBottom()) })
        EXPECT_TRUE (isNear (image.getPixelAt (p.x, p.y), outlineGrey, 6))
            << p.toString() << " " << image.getPixelAt (p.x, p.y).toDisplayString (true);

    if (bar.getY() > 2.0f)
    {
        EXPECT_EQ (image.getPixelAt (cx, (int) bar.getY() - 2).getAlpha(), 0) << "only the stripe's height is drawn";
    }

    if (param.filledTo > 0.0f)
    {
        EXPECT_TRUE (isStripe (image.getPixelAt (3, cy)));
        EXPECT_TRUE (isStripe (image.getPixelAt ((int) param.filledTo - 2, cy)));
    }
    EXPECT_TRUE (isNear (image.getPixelAt ((int) param.filledTo + 2, cy), progressGrey, 4))
        << image.getPixelAt ((int) param.filledTo + 2, cy).toDisplayString (true);
    EXPECT_TRUE (isNear (image.getPixelAt ((int) bar.getRight() - 4, cy), progressGrey, 4));
}

INSTANTIATE_TEST_SUITE_P (
    Cases, LookAndFeelDrawersProgress,
    ::testing::Values (
        // A 16 px stripe in a tall bar: 17 px high in the middle, the fill ending at progress x width.
        DrawerProgressCase { "tallHalf", 100, 30, 0.5, { 0.5f, 6.5f, 98.0f, 17.0f }, 49.0f },
        DrawerProgressCase { "tallNegative", 100, 30, -1.0, { 0.5f, 6.5f, 98.0f, 17.0f }, 0.0f },
        DrawerProgressCase { "tallEmpty", 100, 30, 0.0, { 0.5f, 6.5f, 98.0f, 17.0f }, 0.0f },
        // Not taller than the stripe plus 2: the bar takes the whole component.
        DrawerProgressCase { "lowQuarter", 100, 14, 0.25, { 0.5f, 0.5f, 99.0f, 13.0f }, 24.75f }),
    [] (const auto& p) { return std::string (p.param.name); });

TEST (LookAndFeelDrawerPictures, ProgressStripeIsA20By16PictureWithoutAlpha)
{
    juce::MemoryInputStream png (BinaryData::progress_stripe_png, (size_t) BinaryData::progress_stripe_pngSize, false);
    const auto stripe = juce::PNGImageFormat().decodeImage (png);
    ASSERT_TRUE (stripe.isValid());
    EXPECT_EQ (stripe.getBounds(), juce::Rectangle<int> (0, 0, 20, 16));
    EXPECT_EQ (stripe.getFormat(), juce::Image::RGB) << "the PNG carries no alpha channel";
}

TEST_F (LookAndFeelDrawers, ProgressAboveOneFillsAtMostTheOutlinedBar)
{
    for (const double progress : { 1.0, 1.5, 4.0 })
    {
        double value = progress;
        juce::ProgressBar progressBar (value);
        const auto image = paintIntoImage (100, 30, [&] (juce::Graphics& g) {
            lnf.drawProgressBar (g, progressBar, 100, 30, progress, {});
        });

        // The bar is (0.5, 6.5, 98, 17): column 99 lies outside its outline.
        for (int y = 0; y < 30; ++y)
            EXPECT_EQ (image.getPixelAt (99, y).getAlpha(), 0) << "progress " << progress << ", y " << y;

        EXPECT_TRUE (isStripe (image.getPixelAt (95, 15))) << progress;
        EXPECT_TRUE (isNear (image.getPixelAt (98, 15), outlineGrey, 6)) << progress;
    }
}

TEST_F (LookAndFeelDrawers, ProgressTextIsBlackInTheMiddleOfTheBar)
{
    double progress = 0.5;
    juce::ProgressBar progressBar (progress);
    const auto paint = [&] (const juce::String& text) {
        return paintIntoImage (100, 30, [&] (juce::Graphics& g) { lnf.drawProgressBar (g, progressBar, 100, 30, 0.5, text); });
    };

    const auto withText = paint ("50%");
    const auto ink = differenceBounds (withText, paint ({}));
    ASSERT_FALSE (ink.isEmpty());
    EXPECT_NEAR (ink.toFloat().getCentreX(), 49.5f, 2.0f);
    EXPECT_NEAR (ink.toFloat().getCentreY(), 15.0f, 2.0f);
    EXPECT_NEAR (ink.getWidth(), juce::Font().getStringWidthFloat ("50%"), 3.0f);

    int darkest = 255;
    for (int y = ink.getY(); y < ink.getBottom(); ++y)
        for (int x = ink.getX(); x < ink.getRight(); ++x)
            darkest = juce::jmin (darkest, grey (withText.getPixelAt (x, y)));
    EXPECT_LT (darkest, 30);
}

//==============================================================================
struct DrawerTreeMarkCase
{
    const char* name;
    juce::uint32 background;
    bool open;
    juce::uint32 ink; // on the mark's straight edge
};

class LookAndFeelDrawersTreeMark : public LookAndFeelDrawers,
                                   public ::testing::WithParamInterface<DrawerTreeMarkCase>
{
};

TEST_P (LookAndFeelDrawersTreeMark, TriangleContrastsWithTheBackgroundAndPointsByState)
{
    const auto& param = GetParam();
    const juce::Colour background (param.background);

    // Area (0.5, 0.5, 20, 20): the triangle fits 10 x 10 from (5.5, 5.5), its edges on pixel centres.
    const auto image = paintIntoImage (21, 21, [&] (juce::Graphics& g) {
        g.fillAll (background);
        lnf.drawTreeviewPlusMinusBox (g, { 0.5f, 0.5f, 20.0f, 20.0f }, background, param.open, true);
    });

    // Open points down: its top edge is a row; closed points right: its left edge is a column.
    const auto onEdge = param.open ? image.getPixelAt (10, 5) : image.getPixelAt (5, 10);
    const auto offEdge = param.open ? image.getPixelAt (5, 10) : image.getPixelAt (10, 5);
    EXPECT_TRUE (isNear (onEdge, juce::Colour (param.ink), 6)) << onEdge.toDisplayString (true);
    EXPECT_TRUE (isNear (offEdge, background, 6)) << offEdge.toDisplayString (true);
    EXPECT_TRUE (isNear (image.getPixelAt (10, 10), background, 6)) << "stroked, not filled";
}

INSTANTIATE_TEST_SUITE_P (
    Cases, LookAndFeelDrawersTreeMark,
    ::testing::Values (DrawerTreeMarkCase { "openOnWhite", 0xffffffff, true, 0xff000000 },
                       DrawerTreeMarkCase { "openOnDark", 0xff303030, true, 0xffffffff },
                       // Closed marks at alpha 0x4c.
                       DrawerTreeMarkCase { "closedOnWhite", 0xffffffff, false, 0xffb3b3b3 },
                       DrawerTreeMarkCase { "closedOnDark", 0xff303030, false, 0xff6f6f6f }),
    [] (const auto& p) { return std::string (p.param.name); });

TEST_F (LookAndFeelDrawers, TreeViewHasNoLinesAndIndentsTwentyPixels)
{
    juce::TreeView tree;
    EXPECT_FALSE (lnf.areLinesDrawnForTreeView (tree));
    EXPECT_EQ (lnf.getTreeViewIndentSize (tree), 20);
}

//==============================================================================
TEST_F (LookAndFeelDrawers, TextEditorIsADarkRoundedFieldWithAnOutlineOnlyWhileEnabled)
{
    juce::TextEditor editor;
    editor.setLookAndFeel (&lnf);
    editor.setSize (100, 30);

    const auto background = paintIntoImage (100, 30, [&] (juce::Graphics& g) { lnf.fillTextEditorBackground (g, 100, 30, editor); });
    EXPECT_TRUE (isNear (background.getPixelAt (0, 0), juce::Colour (0xff303030))) << "corner outside the rounding";
    EXPECT_TRUE (isNear (background.getPixelAt (50, 15), juce::Colour (0xff1d1d1b))) << "no highlight without mouse or focus";

    const auto outline = [&] { return paintIntoImage (100, 30, [&] (juce::Graphics& g) { lnf.drawTextEditorOutline (g, 100, 30, editor); }); };
    EXPECT_TRUE (isNear (outline().getPixelAt (50, 0), juce::Colour (0xff686868), 4));
    EXPECT_EQ (outline().getPixelAt (50, 15).getAlpha(), 0);

    // Colours come through the editor, so its own outline colour wins over the table.
    editor.setColour (juce::TextEditor::outlineColourId, juce::Colours::red);
    EXPECT_TRUE (isNear (outline().getPixelAt (50, 0), juce::Colours::red, 4));

    editor.setEnabled (false);
    EXPECT_EQ (strongestAlpha (outline(), { 0, 0, 100, 30 }), 0);
    editor.setLookAndFeel (nullptr);
}

TEST_F (LookAndFeelDrawers, FocusHighlightsAndOutlinesOnlyAnEditableTextEditor)
{
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
        GTEST_SKIP() << "keyboard focus needs a window: run under xvfb-run";

    juce::TextEditor editor;
    editor.setLookAndFeel (&lnf);
    editor.setSize (100, 30);
    editor.setColour (juce::TextEditor::focusedOutlineColourId, juce::Colours::red);
    editor.addToDesktop (0);
    editor.setVisible (true);
    editor.grabKeyboardFocus();
    const bool focused = pumpMessagesUntil ([&] { return editor.hasKeyboardFocus (true); }, 2000);

    const auto paintBoth = [&] {
        return paintIntoImage (100, 30, [&] (juce::Graphics& g) {
            lnf.fillTextEditorBackground (g, 100, 30, editor);
            lnf.drawTextEditorOutline (g, 100, 30, editor);
        });
    };
    const auto editable = paintBoth();
    editor.setReadOnly (true);
    const auto readOnly = paintBoth();
    editor.removeFromDesktop();
    editor.setLookAndFeel (nullptr);
    ASSERT_TRUE (focused);

    // The highlight brightens the field near its centre; the outline turns to the focus colour.
    EXPECT_GT (grey (editable.getPixelAt (40, 10)), grey (juce::Colour (0xff1d1d1b)) + 3);
    EXPECT_TRUE (isNear (editable.getPixelAt (50, 0), juce::Colours::red, 4));
    EXPECT_TRUE (isNear (readOnly.getPixelAt (40, 10), juce::Colour (0xff1d1d1b), 1)) << "read-only: no highlight";
    EXPECT_TRUE (isNear (readOnly.getPixelAt (50, 0), juce::Colour (0xff686868), 4)) << "and the plain outline";
}

TEST_F (LookAndFeelDrawers, GoUpButtonShowsAWhiteUpwardArrowOnTheButtonBackground)
{
    std::unique_ptr<juce::Button> created (lnf.createFileBrowserGoUpButton());
    auto* button = dynamic_cast<juce::DrawableButton*> (created.get());
    ASSERT_NE (button, nullptr);
    EXPECT_EQ (button->getStyle(), juce::DrawableButton::ImageOnButtonBackground);
    EXPECT_TRUE (button->getName().isEmpty());

    auto* image = dynamic_cast<juce::DrawablePath*> (button->getNormalImage());
    ASSERT_NE (image, nullptr);
    EXPECT_EQ (image->getFill().colour, juce::Colours::white);

    // Arrowhead 100 wide at the top, shaft 40 wide below it.
    const auto& path = image->getPath();
    EXPECT_EQ (path.getBounds(), juce::Rectangle<float> (0.0f, 0.0f, 100.0f, 100.0f));
    EXPECT_TRUE (path.contains (50.0f, 5.0f));
    EXPECT_TRUE (path.contains (10.0f, 48.0f));
    EXPECT_TRUE (path.contains (50.0f, 95.0f));
    EXPECT_FALSE (path.contains (10.0f, 80.0f)) << "the shaft is narrower than the head";
}

//==============================================================================
struct DrawerSliderCase
{
    const char* name;
    juce::Slider::SliderStyle style;
    int width, height;
    double minimum, maximum, interval, value;
    const char* suffix;
    bool enabled;
    // Receives the painted slider, the slider and the track's rectangle (x, y, width, height).
    std::function<void (const juce::Image&, juce::Slider&, juce::Rectangle<int>)> check;
};

class LookAndFeelDrawersSlider : public LookAndFeelDrawers,
                                 public ::testing::WithParamInterface<DrawerSliderCase>
{
};

TEST_P (LookAndFeelDrawersSlider, TrackThumbAndLabelsShowRangeAndValue)
{
    const auto& param = GetParam();
    juce::Slider slider (param.style, juce::Slider::NoTextBox);
    slider.setLookAndFeel (&lnf);
    slider.setRange (param.minimum, param.maximum, param.interval);
    slider.setValue (param.value, juce::dontSendNotification);
    slider.setTextValueSuffix (param.suffix);
    slider.setEnabled (param.enabled);
    slider.setSize (param.width, param.height);

    const auto image = slider.createComponentSnapshot (slider.getLocalBounds(), true, 1.0f);
    param.check (image, slider, lnf.getSliderLayout (slider).sliderBounds);
    slider.setLookAndFeel (nullptr);
}

namespace
{
const juce::Colour trackWhite (0xc3ffffff), tickGrey (0xff5b5b5b);

int position (juce::Slider& s, double v)
{
    return (int) s.getPositionOfValue (v);
}

float labelWidth (const char* text)
{
    return juce::Font().getStringWidthFloat (text);
}

// The ink of a label drawn in the band above or below the track.
juce::Rectangle<int> labelInk (const juce::Image& image, juce::Rectangle<int> band)
{
    return inkBounds (image, band, juce::Colours::transparentBlack, 60);
}

void checkTicks (const juce::Image& image, juce::Slider& s, juce::Rectangle<int> r)
{
    const int cy = r.getY() + r.getHeight() / 2;
    const int p5 = position (s, 5.0);

    // A 14 px grey tick crosses the track at every whole value.
    EXPECT_TRUE (isNear (image.getPixelAt (position (s, 10.0) + 6, cy), tickGrey, 4));
    EXPECT_TRUE (isNear (image.getPixelAt (p5, cy), tickGrey, 4)) << image.getPixelAt (p5, cy).toDisplayString (true);
    EXPECT_TRUE (isNear (image.getPixelAt (p5 + 20, cy), trackWhite, 4)) << "between ticks";

    const auto five = labelInk (image, { p5 - 8, cy + 3, 16, 22 });
    EXPECT_NEAR (five.toFloat().getCentreX(), (float) p5, 2.0f);
    EXPECT_NEAR (five.getWidth(), labelWidth ("5"), 2.0f);

    // Over the thumb only the suffix: no digits.
    const int thumb = position (s, 3.0);
    const auto label = labelInk (image, { thumb - 30, cy - 27, 60, 14 });
    EXPECT_NEAR (label.getWidth(), labelWidth ("dB"), 3.0f);
}

void checkEndLabels (const juce::Image& image, juce::Slider& s, juce::Rectangle<int> r)
{
    const int cy = r.getY() + r.getHeight() / 2;

    // The track runs 2 px past the slider's area; no ticks.
    EXPECT_TRUE (isNear (image.getPixelAt (r.getX() - 1, cy), trackWhite, 4));
    EXPECT_EQ (image.getPixelAt (r.getX() - 4, cy).getAlpha(), 0);
    EXPECT_TRUE (isNear (image.getPixelAt (position (s, 5.0), cy), trackWhite, 4));

    // Left of the thumb's shadow, which reaches down into the labels' band.
    const auto left = labelInk (image, { 0, cy + 3, position (s, 3.0) - 14, 22 });
    const auto right = labelInk (image, { r.getCentreX(), cy + 3, image.getWidth() - r.getCentreX(), 22 });
    EXPECT_NEAR (left.getX(), r.getX() - 2, 2);
    EXPECT_NEAR (left.getWidth(), labelWidth ("0 dB"), 3.0f);
    EXPECT_NEAR (right.getRight(), r.getRight() + 2, 2);
    EXPECT_NEAR (right.getWidth(), labelWidth ("10 dB"), 3.0f);

    const int thumb = position (s, 3.0);
    const auto value = labelInk (image, { thumb - 40, cy - 27, 80, 14 });
    EXPECT_NEAR (value.toFloat().getCentreX(), (float) thumb, 3.0f);
    EXPECT_NEAR (value.getWidth(), labelWidth ("3.0 dB"), 3.0f);
}

void checkSamples (const juce::Image& image, juce::Slider& s, juce::Rectangle<int> r, const char* thumbLabel)
{
    const int cy = r.getY() + r.getHeight() / 2;
    if (s.getValue() > 20.0) // the thumb stays clear of the start label
    {
        const auto start = labelInk (image, { 0, cy + 3, 60, 22 });
        EXPECT_NEAR (start.getWidth(), labelWidth ("1 s"), 3.0f);
    }

    const int thumb = position (s, s.getValue());
    const auto value = labelInk (image, { juce::jmax (0, thumb - 60), cy - 27, 120, 14 });
    EXPECT_NEAR (value.getWidth(), labelWidth (thumbLabel), 3.0f);
}

void checkVertical (const juce::Image& image, juce::Slider& s, juce::Rectangle<int> r)
{
    const int cx = r.getX() + r.getWidth() / 2;
    EXPECT_TRUE (isNear (image.getPixelAt (cx, r.getY() - 1), trackWhite, 4)) << "the track runs 2 px past the top";
    EXPECT_TRUE (isNear (image.getPixelAt (cx, r.getBottom() + 1), trackWhite, 4)) << "and past the bottom";
    EXPECT_TRUE (labelInk (image, { 0, 0, cx - 13, image.getHeight() }).isEmpty()) << "no labels";
    EXPECT_TRUE (labelInk (image, { cx + 13, 0, image.getWidth() - cx - 13, image.getHeight() }).isEmpty());

    // The thumb's body: light at the bottom, dark at the top.
    const int ty = position (s, 3.0);
    EXPECT_GT (grey (image.getPixelAt (cx, ty + 4)), grey (image.getPixelAt (cx, ty - 4)) + 60);
}

void checkDisabledThumb (const juce::Image& image, juce::Slider& s, juce::Rectangle<int> r)
{
    const int cy = r.getY() + r.getHeight() / 2;
    EXPECT_TRUE (isNear (image.getPixelAt (position (s, 3.0), cy), juce::Colour (0xff1d1d1b), 4));
    EXPECT_TRUE (isNear (image.getPixelAt (position (s, 8.0), cy), juce::Colour (0xff1d1d1b), 4)) << "track in the menu colour";
}

void checkBar (const juce::Image& image, juce::Slider& s, juce::Rectangle<int> r)
{
    const int cy = r.getCentreY();
    const int p = position (s, 5.0);
    const auto filled = image.getPixelAt (r.getX() + 20, cy);

    EXPECT_TRUE (isNear (image.getPixelAt (r.getRight() - 10, cy), juce::Colour (0xff1d1d1d), 3)) << "the background beyond the value";
    EXPECT_NEAR (grey (filled), 0x40, 6) << filled.toDisplayString (true);
    EXPECT_LT (grey (image.getPixelAt (p, cy)), grey (filled) - 5) << "a darker line at the value";
}
} // namespace

INSTANTIATE_TEST_SUITE_P (
    Cases, LookAndFeelDrawersSlider,
    ::testing::Values (
        DrawerSliderCase { "ticksEveryWholeValue", juce::Slider::LinearHorizontal, 420, 80, 0.0, 10.0, 1.0, 3.0, " dB", true, checkTicks },
        DrawerSliderCase { "endLabelsForFineIntervals", juce::Slider::LinearHorizontal, 420, 80, 0.0, 10.0, 0.1, 3.0, " dB", true, checkEndLabels },
        DrawerSliderCase { "oneSample", juce::Slider::LinearHorizontal, 420, 80, 1.0, 100.0, 1.0, 1.0, " samples", true,
                           [] (const juce::Image& i, juce::Slider& s, juce::Rectangle<int> r) { checkSamples (i, s, r, "1 sample"); } },
        DrawerSliderCase { "manySamples", juce::Slider::LinearHorizontal, 420, 80, 1.0, 100.0, 1.0, 50.0, " samples", true,
                           [] (const juce::Image& i, juce::Slider& s, juce::Rectangle<int> r) { checkSamples (i, s, r, "50 samples"); } },
        DrawerSliderCase { "vertical", juce::Slider::LinearVertical, 60, 300, 0.0, 10.0, 1.0, 3.0, " dB", true, checkVertical },
        DrawerSliderCase { "disabled", juce::Slider::LinearHorizontal, 420, 80, 0.0, 10.0, 0.1, 3.0, "", false, checkDisabledThumb },
        DrawerSliderCase { "bar", juce::Slider::LinearBar, 200, 30, 0.0, 10.0, 0.1, 5.0, "", true, checkBar }),
    [] (const auto& p) { return std::string (p.param.name); });

TEST_F (LookAndFeelDrawers, TickMarksEndWhereFloatStepsStopAdvancing)
{
    // Past 2^24 adding 1 to a float no longer changes it; the ticks must stop there instead of
    // looping for ever.
    juce::Slider slider (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    slider.setLookAndFeel (&lnf);
    slider.setRange (16777210.0, 16777220.0, 1.0);
    slider.setSize (420, 80);

    const auto image = slider.createComponentSnapshot (slider.getLocalBounds(), true, 1.0f);
    const int cy = lnf.getSliderLayout (slider).sliderBounds.getCentreY();
    EXPECT_TRUE (isNear (image.getPixelAt ((int) slider.getPositionOfValue (16777215.0), cy), tickGrey, 4));
    slider.setLookAndFeel (nullptr);
}

//==============================================================================
class LookAndFeelDrawersTableHeader : public LookAndFeelDrawers
{
protected:
    void SetUp() override
    {
        header.setLookAndFeel (&lnf);
        header.addColumn ("L_eq", 1, 100);
        header.addColumn ("x^2 dB", 2, 120);
        header.addColumn ("Name", 3, 80);
        header.setSize (400, 28);
    }

    void TearDown() override { header.setLookAndFeel (nullptr); }

    juce::Image snapshot() { return header.createComponentSnapshot (header.getLocalBounds(), true, 1.0f); }

    // The ink of the black text inside one column's stretch of the header.
    static juce::Rectangle<int> textInk (const juce::Image& image, int from, int to)
    {
        juce::Rectangle<int> box;
        for (int y = 0; y < 27; ++y)
            for (int x = from; x < to; ++x)
                if (grey (image.getPixelAt (x, y)) < 0x50)
                    box = box.isEmpty() ? juce::Rectangle<int> (x, y, 1, 1) : box.getUnion ({ x, y, 1, 1 });
        return box;
    }

    juce::TableHeaderComponent header;
};

TEST_F (LookAndFeelDrawersTableHeader, GreyGradientStripWithLinesUnderAndBetweenColumns)
{
    const auto image = snapshot();
    EXPECT_TRUE (isNear (image.getPixelAt (350, 1), juce::Colour (0xffa1a6a9), 6)) << image.getPixelAt (350, 1).toDisplayString (true);
    EXPECT_GT (grey (image.getPixelAt (350, 2)), grey (image.getPixelAt (350, 25)) + 20) << "lighter at the top";
    EXPECT_TRUE (isNear (image.getPixelAt (350, 27), outlineGrey, 3)) << "line along the bottom";
    EXPECT_TRUE (isNear (image.getPixelAt (99, 10), outlineGrey, 3));
    EXPECT_TRUE (isNear (image.getPixelAt (219, 10), outlineGrey, 3));
    EXPECT_TRUE (isNear (image.getPixelAt (299, 10), outlineGrey, 3)) << "the last column too";

    header.setStretchToFitActive (true);
    const auto stretched = snapshot();
    const int lastRight = header.getColumnPosition (2).getRight() - 1;
    EXPECT_FALSE (isNear (stretched.getPixelAt (lastRight, 10), outlineGrey, 10)) << "but not when stretched to fit";
    EXPECT_TRUE (isNear (stretched.getPixelAt (header.getColumnPosition (0).getRight() - 1, 10), outlineGrey, 3));
}

TEST_F (LookAndFeelDrawersTableHeader, SubscriptSitsLowerAndSuperscriptHigherThanTheMainText)
{
    const auto image = snapshot();
    const juce::Font mainFont (14.0f, juce::Font::bold);
    const int mainWidth = (int) std::ceil (mainFont.getStringWidthFloat ("L"));

    // "L_eq": "L" from x 4, then "eq" in the smaller bold font, lower down.
    const auto main = textInk (image, 0, 4 + mainWidth);
    const auto sub = textInk (image, 4 + mainWidth, 99);
    ASSERT_FALSE (main.isEmpty());
    ASSERT_FALSE (sub.isEmpty());
    EXPECT_NEAR (main.getX(), 5, 1);
    EXPECT_NEAR (sub.getWidth(), juce::Font (12.6f, juce::Font::bold).getStringWidthFloat ("eq"), 3.0f);
    EXPECT_GT (sub.getBottom(), main.getBottom()) << "below the line";

    // "x^2 dB": "x", a plain "2" at the top, then " dB" in the main font.
    const int x = 100 + 4 + (int) std::ceil (mainFont.getStringWidthFloat ("x"));
    const int two = (int) std::ceil (juce::Font (11.2f).getStringWidthFloat ("2"));
    const auto base = textInk (image, 100, x);
    const auto sup = textInk (image, x, x + two);
    const auto tail = textInk (image, x + two, 219);
    ASSERT_FALSE (sup.isEmpty());
    EXPECT_LT (sup.getY(), base.getY()) << "above the line";
    EXPECT_LT (sup.getBottom(), base.getBottom());
    EXPECT_NEAR (tail.getWidth(), mainFont.getStringWidthFloat ("dB"), 3.0f);
    EXPECT_NEAR (tail.getBottom(), base.getBottom(), 1);
}

TEST_F (LookAndFeelDrawersTableHeader, PressedColumnIsHighlightedAndSortArrowEndsTheTextBox)
{
    const auto paint = [&] (bool over, bool down, int flags) {
        return paintIntoImage (100, 28, [&] (juce::Graphics& g) {
            lnf.drawTableHeaderColumn (g, header, "Integrated loudness", 1, 100, 28, over, down, flags);
        });
    };

    EXPECT_NEAR (paint (true, true, 0).getPixelAt (99, 1).getAlpha(), 0x88, 2);
    EXPECT_NEAR (paint (true, false, 0).getPixelAt (99, 1).getAlpha(), 0x55, 2);
    EXPECT_EQ (paint (false, false, 0).getPixelAt (99, 1).getAlpha(), 0);

    // Text box 92 wide from x 4; the arrow takes its last 14 px (strip 84..94, 2 px inset).
    const auto sorted = paint (false, false, juce::TableHeaderComponent::sortedForwards);
    const auto arrow = inkBounds (sorted, { 83, 0, 17, 28 }, juce::Colours::transparentBlack, 40);
    ASSERT_FALSE (arrow.isEmpty());
    EXPECT_GE (arrow.getX(), 84);
    EXPECT_LE (arrow.getRight(), 95);
    const auto text = inkBounds (sorted, { 0, 0, 83, 28 }, juce::Colours::transparentBlack, 40);
    EXPECT_LE (text.getRight(), 82) << "the name stops short of the arrow, without an ellipsis";
}
