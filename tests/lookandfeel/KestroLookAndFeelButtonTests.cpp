#include "PixelProbe.h"

#include <lookandfeel/KestroColors.h>
#include <lookandfeel/KestroLookAndFeel.h>

#include <gtest/gtest.h>

namespace
{
class LookAndFeelButtons : public ::testing::Test
{
protected:
    // The buttons are the test's locals and die before the fixture's theme, so nothing has to
    // detach them from it.
    void adopt (juce::Component& button, int width, int height)
    {
        button.setLookAndFeel (&lnf);
        button.setSize (width, height);
    }

    static juce::Image snapshot (juce::Component& c)
    {
        return c.createComponentSnapshot (c.getLocalBounds(), true, 1.0f);
    }

    // The label's rectangle where the button draws it: centred, in the theme's 15 px font.
    static juce::Rectangle<int> labelArea (const juce::Button& b)
    {
        const juce::Font font (15.0f);
        const auto w = (int) std::ceil (font.getStringWidthFloat (b.getButtonText()));
        return juce::Rectangle<int> (w + 2, (int) std::ceil (font.getHeight()) + 2)
            .withCentre (b.getLocalBounds().getCentre());
    }

    KestroLookAndFeel lnf;
};

int brightness (juce::Colour c)
{
    return (c.getRed() + c.getGreen() + c.getBlue()) / 3;
}
} // namespace

struct TextButtonCase
{
    const char* name;
    bool enabled;
    juce::Button::ButtonState state;
    juce::uint32 topColour;    // near the top edge, away from the highlight
    juce::uint32 bottomColour; // near the bottom edge
    int highlightAtLeast;      // brightening at the centre over the plain normal body
    int highlightAtMost;
    int labelBrightness;       // the label's strongest ink
};

class LookAndFeelTextButton : public LookAndFeelButtons,
                              public ::testing::WithParamInterface<TextButtonCase>
{
};

TEST_P (LookAndFeelTextButton, BodyHighlightAndLabelShowTheButtonsState)
{
    const auto& param = GetParam();

    // The body and highlight are measured on buttons without a label, the label on one with it.
    juce::TextButton plain, blank, labelled ("OK");
    adopt (plain, 200, 30);
    adopt (blank, 200, 30);
    adopt (labelled, 200, 30);

    for (auto* b : { &blank, &labelled })
    {
        b->setEnabled (param.enabled);
        b->setState (param.state);
    }

    const auto reference = snapshot (plain);
    const auto body = snapshot (blank);
    const auto image = snapshot (labelled);

    EXPECT_TRUE (isNear (body.getPixelAt (10, 1), juce::Colour (param.topColour), 4))
        << body.getPixelAt (10, 1).toDisplayString (true);
    EXPECT_TRUE (isNear (body.getPixelAt (10, 28), juce::Colour (param.bottomColour), 4))
        << body.getPixelAt (10, 28).toDisplayString (true);

    // In the middle both gradients (normal and reversed) give the same grey, so what is left is
    // the radial highlight.
    const int gain = brightness (body.getPixelAt (100, 15)) - brightness (reference.getPixelAt (100, 15));
    EXPECT_GE (gain, param.highlightAtLeast);
    EXPECT_LE (gain, param.highlightAtMost);

    const auto area = labelArea (labelled);
    EXPECT_NEAR (brightestChannel (image, area), param.labelBrightness, 3);
    const auto ink = inkBounds (image, area.expanded (6), body.getPixelAt (100, 15), 60);
    ASSERT_FALSE (ink.isEmpty());
    EXPECT_NEAR (ink.getCentreX(), 100, 2);
    EXPECT_NEAR (ink.getCentreY(), 15, 3);
    EXPECT_NEAR (ink.getWidth(), juce::Font (15.0f).getStringWidthFloat ("OK"), 3.0f);
}

// At the centre the highlight is 0x26a7a7a7 (hovered) or 0x16a7a7a7 (pressed) over a body grey
// of about 0x51: a gain of about 13 and 7.
INSTANTIATE_TEST_SUITE_P (
    States, LookAndFeelTextButton,
    ::testing::Values (
        TextButtonCase { "normal", true, juce::Button::buttonNormal, 0xff585c5e, 0xff4a4a4a, 0, 0, 0xff },
        TextButtonCase { "hovered", true, juce::Button::buttonOver, 0xff585c5e, 0xff4a4a4a, 10, 16, 0xff },
        // Pressed: reversed gradient and the weaker highlight; the label turns light grey.
        TextButtonCase { "pressed", true, juce::Button::buttonDown, 0xff4a4a4a, 0xff585c5e, 5, 9, 0xd3 },
        // Disabled: flat 0xff4a4a4a body and no highlight, also while hovered or pressed.
        TextButtonCase { "disabled", false, juce::Button::buttonNormal, 0xff4a4a4a, 0xff4a4a4a, -11, -6, 0xd3 },
        TextButtonCase { "disabledHovered", false, juce::Button::buttonOver, 0xff4a4a4a, 0xff4a4a4a, -11, -6, 0xd3 },
        TextButtonCase { "disabledPressed", false, juce::Button::buttonDown, 0xff4a4a4a, 0xff4a4a4a, -11, -6, 0xd3 }),
    [] (const auto& p) { return std::string (p.param.name); });

TEST_F (LookAndFeelButtons, TextButtonIgnoresItsOwnButtonColour)
{
    juce::TextButton plain ("OK"), coloured ("OK");
    adopt (plain, 120, 30);
    adopt (coloured, 120, 30);
    coloured.setColour (juce::TextButton::buttonColourId, juce::Colours::red);

    const auto a = snapshot (plain);
    const auto b = snapshot (coloured);
    for (int y = 0; y < 30; y += 3)
        for (int x = 0; x < 120; x += 3)
            ASSERT_EQ (a.getPixelAt (x, y), b.getPixelAt (x, y)) << x << "," << y;
}

struct ToggleCase
{
    const char* name;
    int height;
    float boxX, boxY, boxSize; // the tick box area the toggle hands to drawTickBox
    int textX;
};

class LookAndFeelToggleGeometry : public LookAndFeelButtons,
                                  public ::testing::WithParamInterface<ToggleCase>
{
};

TEST_P (LookAndFeelToggleGeometry, BoxAndTextSitWhereTheFontHeightPutsThem)
{
    const auto& param = GetParam();
    juce::ToggleButton toggle ("Enable");
    adopt (toggle, 200, param.height);
    toggle.setToggleState (true, juce::dontSendNotification);

    const auto image = snapshot (toggle);

    // The dark square: 0.9 of the area, centred in it.
    const float side = 0.9f * param.boxSize;
    const auto square = juce::Rectangle<float> (param.boxX + (param.boxSize - side) / 2.0f,
                                                param.boxY + (param.boxSize - side) / 2.0f, side, side);
    // Its 1 px outline is centred on the square's edge.
    const auto boxInk = inkBounds (image, { 0, 0, param.textX - 2, param.height }, juce::Colours::transparentBlack, 20);
    const auto outer = square.expanded (0.5f);
    EXPECT_NEAR (boxInk.getX(), outer.getX(), 1.0f);
    EXPECT_NEAR (boxInk.getRight(), outer.getRight(), 1.0f);
    EXPECT_NEAR (boxInk.getY(), outer.getY(), 1.0f);
    EXPECT_NEAR (boxInk.getBottom(), outer.getBottom(), 1.0f);
    EXPECT_TRUE (isNear (image.getPixelAt ((int) square.getX() + 2, (int) square.getY() + 2), juce::Colour (0xff1d1d1b), 6));

    // The white tick passes through its middle vertex (17, 28) of the 41-unit grid.
    const auto vertex = square.getTopLeft() + juce::Point<float> (17.0f, 28.0f) * (side / 41.0f);
    const auto around = juce::Rectangle<int> (3, 3).withCentre (vertex.toInt());
    EXPECT_GT (brightestChannel (image, around), 120);

    // The text: white, starting at the box size plus 10, as wide as the font measures it.
    const float fontHeight = juce::jmin (15.0f, 0.75f * (float) param.height);
    const auto textInk = inkBounds (image, { param.textX - 3, 0, 200 - (param.textX - 3), param.height },
                                    juce::Colours::transparentBlack, 60);
    ASSERT_FALSE (textInk.isEmpty());
    EXPECT_GE (textInk.getX(), param.textX);
    EXPECT_LE (textInk.getX(), param.textX + 2);
    EXPECT_NEAR (textInk.getWidth(), juce::Font (fontHeight).getStringWidthFloat ("Enable"), 4.0f);
    EXPECT_GT (brightestChannel (image, textInk), 200);
}

INSTANTIATE_TEST_SUITE_P (
    Heights, LookAndFeelToggleGeometry,
    ::testing::Values (ToggleCase { "height20", 20, 4.0f, 1.75f, 16.5f, 26 },
                       ToggleCase { "height12", 12, 4.0f, (12.0f - 9.9f) / 2.0f, 9.9f, 19 }),
    [] (const auto& p) { return std::string (p.param.name); });

TEST_F (LookAndFeelButtons, ToggleWithoutTextDrawsABoxOfTheSmallerSideAtTheOrigin)
{
    juce::ToggleButton toggle;
    adopt (toggle, 30, 20);

    const auto image = snapshot (toggle);
    // min(30, 20) = 20: an 18 x 18 square at (1, 1), nothing to its right. The threshold leaves
    // out the pixels only half covered by the outline around the square's edge.
    const auto ink = inkBounds (image, image.getBounds(), juce::Colours::transparentBlack, 150);
    EXPECT_EQ (ink, juce::Rectangle<int> (1, 1, 18, 18));
}

TEST_F (LookAndFeelButtons, DisabledToggleFadesBoxAndText)
{
    juce::ToggleButton toggle ("Enable");
    adopt (toggle, 200, 20);
    toggle.setToggleState (true, juce::dontSendNotification);
    toggle.setEnabled (false);

    const auto image = snapshot (toggle);
    const float side = 0.9f * 16.5f;
    const auto square = juce::Rectangle<float> (4.0f + 0.825f, 1.75f + 0.825f, side, side);

    EXPECT_NEAR (image.getPixelAt ((int) square.getX() + 2, (int) square.getY() + 2).getAlpha(), 0x4c, 3);
    EXPECT_NEAR (strongestAlpha (image, { 26, 0, 174, 20 }), 128, 4) << "text at half opacity";
}

struct TickCase
{
    const char* name;
    bool ticked, enabled, down;
    int brightestAtLeast, brightestAtMost; // around the tick's middle vertex
};

class LookAndFeelTick : public LookAndFeelButtons,
                        public ::testing::WithParamInterface<TickCase>
{
};

TEST_P (LookAndFeelTick, TickColourFollowsTheBoxState)
{
    const auto& param = GetParam();
    juce::ToggleButton toggle;
    adopt (toggle, 41, 41);

    const auto image = paintIntoImage (41, 41, [&] (juce::Graphics& g) {
        lnf.drawTickBox (g, toggle, 0.0f, 0.0f, 41.0f, 41.0f, param.ticked, param.enabled, false, param.down);
    });

    const float side = 0.9f * 41.0f, origin = (41.0f - side) / 2.0f;
    const auto vertex = (juce::Point<float> (origin, origin) + juce::Point<float> (17.0f, 28.0f) * (side / 41.0f)).toInt();
    const int brightest = brightestChannel (image, juce::Rectangle<int> (3, 3).withCentre (vertex));
    EXPECT_GE (brightest, param.brightestAtLeast);
    EXPECT_LE (brightest, param.brightestAtMost);
}

INSTANTIATE_TEST_SUITE_P (
    States, LookAndFeelTick,
    ::testing::Values (TickCase { "notTicked", false, true, false, 0, 0x30 },
                       TickCase { "ticked", true, true, false, 245, 255 },
                       TickCase { "tickedDisabledIsGrey", true, false, false, 0x78, 0x88 },
                       // White at alpha 0x4c over the dark box, whether ticked or not.
                       TickCase { "pressedNotTicked", false, true, true, 0x50, 0x70 },
                       TickCase { "pressedTicked", true, true, true, 0x50, 0x70 }),
    [] (const auto& p) { return std::string (p.param.name); });

TEST_F (LookAndFeelButtons, TickBoxSquareIsNineTenthsOfTheWidthCentredInTheArea)
{
    juce::ToggleButton toggle;
    adopt (toggle, 40, 40);
    const auto image = paintIntoImage (40, 40, [&] (juce::Graphics& g) {
        lnf.drawTickBox (g, toggle, 0.0f, 0.0f, 20.0f, 30.0f, false, true, false, false);
    });

    EXPECT_EQ (inkBounds (image, image.getBounds(), juce::Colours::transparentBlack, 150),
               juce::Rectangle<int> (1, 6, 18, 18));
}

TEST_F (LookAndFeelButtons, RadioGroupToggleDrawsACircleWithAWhiteDot)
{
    juce::ToggleButton toggle ("Stereo");
    adopt (toggle, 200, 20);
    toggle.setRadioGroupId (1);
    toggle.setToggleState (true, juce::dontSendNotification);

    const auto image = snapshot (toggle);
    const float d = 0.9f * 16.5f;
    const auto circle = juce::Rectangle<float> (4.0f, (20.0f - d) / 2.0f, d, d);

    EXPECT_GT (brightestChannel (image, juce::Rectangle<int> (2, 2).withCentre (circle.getCentre().toInt())), 240);
    EXPECT_EQ (image.getPixelAt ((int) circle.getX() + 1, (int) circle.getY() + 1).getAlpha(), 0)
        << "round, so the square's corner stays clear";
    EXPECT_TRUE (isNear (image.getPixelAt ((int) circle.getX() + 1, (int) circle.getCentreY()), juce::Colour (0xff1d1d1b), 20));
}

TEST_F (LookAndFeelButtons, DrawableButtonGetsNoBackground)
{
    juce::DrawableButton button ("extras", juce::DrawableButton::ImageFitted);
    adopt (button, 40, 40);
    const auto image = paintIntoImage (40, 40, [&] (juce::Graphics& g) {
        lnf.drawDrawableButton (g, button, true, true);
    });
    EXPECT_EQ (strongestAlpha (image, image.getBounds()), 0);

    juce::DrawableButton labelled ("Audio", juce::DrawableButton::ImageAboveTextLabel);
    adopt (labelled, 60, 64);
    labelled.setColour (juce::DrawableButton::textColourId, juce::Colours::white);
    const auto withLabel = paintIntoImage (60, 64, [&] (juce::Graphics& g) {
        lnf.drawDrawableButton (g, labelled, false, false);
    });
    // The label sits in the bottom 16 px (a quarter of 64), nothing above it.
    const auto ink = inkBounds (withLabel, withLabel.getBounds(), juce::Colours::transparentBlack, 60);
    ASSERT_FALSE (ink.isEmpty());
    EXPECT_GE (ink.getY(), 64 - 16 - 1);
}
