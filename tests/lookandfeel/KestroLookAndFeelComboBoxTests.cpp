#include "PixelProbe.h"

#include <lookandfeel/KestroLookAndFeel.h>

#include <gtest/gtest.h>

namespace
{
const juce::Colour bodyColour (0xff1d1d1b);

int brightPixelsAt (const juce::Image& image, int row)
{
    int n = 0;
    for (int x = 180; x < 197; ++x)
        n += image.getPixelAt (x, row).getBrightness() > 0.5f ? 1 : 0;
    return n;
}

class LookAndFeelComboBox : public ::testing::Test
{
protected:
    LookAndFeelComboBox()
    {
        box.setLookAndFeel (&lnf);
        box.addItem ("Device", 1);
        box.setSelectedId (1, juce::dontSendNotification);
        box.setSize (200, 24);
    }

    ~LookAndFeelComboBox() override { box.setLookAndFeel (nullptr); }

    juce::Label& label() { return *dynamic_cast<juce::Label*> (box.getChildComponent (0)); }

    juce::Image snapshot() { return box.createComponentSnapshot (box.getLocalBounds(), true, 1.0f); }

    KestroLookAndFeel lnf;
    juce::ComboBox box;
};
} // namespace

TEST_F (LookAndFeelComboBox, LabelIsPlacedBesideTheArrowWithTheBoxFont)
{
    ASSERT_NE (box.getChildComponent (0), nullptr);
    EXPECT_EQ (label().getBounds(), juce::Rectangle<int> (4, 1, 176, 22));
    EXPECT_FLOAT_EQ (label().getFont().getHeight(), 15.0f); // 0.85 x 24 = 20.4, limited to 15

    box.setSize (200, 16);
    EXPECT_EQ (label().getBounds(), juce::Rectangle<int> (4, 1, 184, 14));
    EXPECT_FLOAT_EQ (label().getFont().getHeight(), 13.6f);
}

TEST_F (LookAndFeelComboBox, DarkBodyGreyOutlineWhiteTextAndArrow)
{
    const auto image = snapshot();

    EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0) << "rounded corner, inset by the outline width";
    EXPECT_TRUE (isNear (image.getPixelAt (150, 12), bodyColour, 2));
    EXPECT_TRUE (isNear (image.getPixelAt (100, 1), juce::Colour (0xff686868), 6)) << "outline 1.5 px wide around y 1.5";

    // The text: white, from the label's left border, as wide as the 15 px font measures it.
    const auto text = inkBounds (image, { 4, 2, 170, 20 }, bodyColour, 80);
    ASSERT_FALSE (text.isEmpty());
    EXPECT_GE (text.getX(), 4 + label().getBorderSize().getLeft());
    EXPECT_LE (text.getX(), 4 + label().getBorderSize().getLeft() + 2);
    EXPECT_NEAR (text.getWidth(), juce::Font (15.0f).getStringWidthFloat ("Device"), 3.0f);
    EXPECT_GT (brightestChannel (image, text), 245);

    // The arrow: a downward triangle whose middle lies 4 px left of the button area's middle
    // (the button area runs from the label's right edge, 180, to 200).
    const auto arrow = inkBounds (image, { 180, 3, 17, 18 }, bodyColour, 100);
    ASSERT_FALSE (arrow.isEmpty());
    EXPECT_NEAR (arrow.toFloat().getCentreX(), 186.0f, 1.0f);
    EXPECT_NEAR (arrow.getY(), 0.4f * 24.0f, 1.0f);
    EXPECT_NEAR (arrow.getBottom(), 0.63f * 24.0f, 1.0f);
    EXPECT_GT (brightestChannel (image, arrow), 245);
    EXPECT_LT (brightPixelsAt (image, 14), brightPixelsAt (image, 10)) << "pointing down";
}

TEST_F (LookAndFeelComboBox, DisabledBoxIsDrawnAtHalfOpacityArrowIncluded)
{
    box.setEnabled (false);
    const auto image = snapshot();

    // The box is composed first and then laid down at half opacity, so the arrow over the body
    // is no stronger than the body itself.
    EXPECT_NEAR (image.getPixelAt (150, 12).getAlpha(), 128, 2);
    EXPECT_NEAR (strongestAlpha (image, { 182, 9, 8, 6 }), 128, 2) << "arrow";
    EXPECT_GT (brightestChannel (image, { 182, 9, 8, 6 }), 240) << "a faded white arrow, not a grey one";
    // The label, disabled with its box, adds its half-alpha text over the faded body.
    EXPECT_NEAR (strongestAlpha (image, { 10, 4, 40, 16 }), 192, 3) << "text";
}

TEST (LookAndFeelLabel, TextOnlyInTheLabelsFontAndColour)
{
    KestroLookAndFeel lnf;
    juce::Label label ({}, "Software name");
    label.setLookAndFeel (&lnf);
    label.setBounds (0, 0, 160, 20);
    label.setColour (juce::Label::backgroundColourId, juce::Colours::red);
    label.setColour (juce::Label::outlineColourId, juce::Colours::red);

    const auto image = label.createComponentSnapshot (label.getLocalBounds(), true, 1.0f);
    const auto ink = inkBounds (image, image.getBounds(), juce::Colours::transparentBlack, 60);

    ASSERT_FALSE (ink.isEmpty());
    EXPECT_NEAR (ink.getWidth(), label.getFont().getStringWidthFloat ("Software name"), 3.0f);
    EXPECT_GT (brightestChannel (image, ink), 245) << "white from the colour table";
    EXPECT_EQ (image.getPixelAt (150, 10).getAlpha(), 0) << "a background colour set on a label has no effect";
    EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0) << "nor does an outline colour";

    label.setEnabled (false);
    const auto disabled = label.createComponentSnapshot (label.getLocalBounds(), true, 1.0f);
    EXPECT_NEAR (strongestAlpha (disabled, disabled.getBounds()), 128, 3) << "half alpha when disabled";

    label.setLookAndFeel (nullptr);
}

TEST (LookAndFeelLabel, LabelLowerThanItsFontStillDrawsOneLine)
{
    KestroLookAndFeel lnf;
    juce::Label label ({}, "Audio");
    label.setLookAndFeel (&lnf);
    label.setFont (juce::Font (15.0f));
    label.setBounds (0, 0, 80, 10);

    const auto image = label.createComponentSnapshot (label.getLocalBounds(), true, 1.0f);
    EXPECT_FALSE (inkBounds (image, image.getBounds(), juce::Colours::transparentBlack, 60).isEmpty());

    label.setLookAndFeel (nullptr);
}

TEST (LookAndFeelPopupMenu, BackgroundIsTheTablesColourAndTransparentFillsNothing)
{
    KestroLookAndFeel lnf;
    const auto draw = [&] {
        return paintIntoImage (50, 30, [&] (juce::Graphics& g) { lnf.drawPopupMenuBackground (g, 50, 30); });
    };

    const auto dark = draw();
    EXPECT_EQ (dark.getPixelAt (0, 0).getARGB(), 0xff1d1d1bu);
    EXPECT_EQ (dark.getPixelAt (49, 29).getARGB(), 0xff1d1d1bu);

    lnf.setColour (juce::PopupMenu::backgroundColourId, juce::Colours::transparentBlack);
    EXPECT_EQ (strongestAlpha (draw(), { 0, 0, 50, 30 }), 0);
}
