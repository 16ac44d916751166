// The program's own push button and toggle bar: how each state looks, where the caption goes,
// and which clicks the toggle bar lets through.

#include "lookandfeel/PixelProbe.h"

#include "gui/ActiveBarsButton.h"
#include "gui/MenuButton.h"
#include "lookandfeel/KestroLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
const juce::Colour light (0xff585c5e), dark (0xff4a4a4a);

juce::Image paintButton (MenuButton& button, bool over, bool down)
{
    return paintIntoImage (button.getWidth(), button.getHeight(), [&] (juce::Graphics& g) { button.paintButton (g, over, down); });
}

struct LookCase
{
    const char* name;
    bool enabled, parentEnabled, over, down;
    juce::Colour top, bottom;
    int captionBrightness;
    bool sheen;
};

class MenuButtonLook : public ::testing::TestWithParam<LookCase>
{
};
} // namespace

TEST_P (MenuButtonLook, FillCaptionAndSheenFollowTheState)
{
    const auto& c = GetParam();
    juce::Component parent;
    MenuButton plain, captioned ("Start");
    for (auto* button : { &plain, &captioned })
    {
        parent.addAndMakeVisible (button);
        button->setEnabled (c.enabled);
    }
    parent.setEnabled (c.parentEnabled);

    const auto image = paintButton (plain, c.over, c.down);
    const int w = plain.getWidth(), h = plain.getHeight();
    EXPECT_TRUE (isNear (image.getPixelAt (3, 1), c.top, 4)) << c.name << " top " << image.getPixelAt (3, 1).toDisplayString (true);
    EXPECT_TRUE (isNear (image.getPixelAt (3, h - 2), c.bottom, 4)) << c.name << " bottom " << image.getPixelAt (3, h - 2).toDisplayString (true);

    // Without a sheen the middle is the gradient's midpoint; the sheen lightens it, caption included.
    const auto middle = image.getPixelAt (w / 2, h / 2);
    const auto midpoint = c.top.interpolatedWith (c.bottom, 0.5f);
    if (c.sheen)
        EXPECT_GT ((int) middle.getGreen(), (int) midpoint.getGreen() + 3) << c.name;
    else
        EXPECT_TRUE (isNear (middle, midpoint, 3)) << c.name;

    EXPECT_NEAR (brightestChannel (paintButton (captioned, c.over, c.down), captioned.getLocalBounds()), c.captionBrightness, 8) << c.name;
}

INSTANTIATE_TEST_SUITE_P (MenuButtonStates, MenuButtonLook,
                          ::testing::Values (LookCase { "normal", true, true, false, false, light, dark, 0xff, false },
                                             LookCase { "hovered", true, true, true, false, light, dark, 0xf3, true },
                                             LookCase { "pressed", true, true, true, true, dark, light, 0xd3, true },
                                             LookCase { "disabled", false, true, true, true, dark, dark, 0xd3, false },
                                             LookCase { "disabled parent", true, false, true, false, dark, dark, 0xd3, false }),
                          [] (const auto& p) { return juce::String (p.param.name).removeCharacters (" ").toStdString(); });

TEST (MenuButton, TakesItsTranslatedCaptionAndDefaultSize)
{
    MenuButton button ("Ref +");
    EXPECT_EQ (button.getWidth(), 140);
    EXPECT_EQ (button.getHeight(), 28);
    EXPECT_EQ (button.untranslatedText, "Ref +");
    EXPECT_EQ (button.getButtonText(), "Ref +");
    EXPECT_EQ (button.getName(), "");
}

TEST (MenuButton, CaptionStaysInsideItsMarginsAndEndsInAnEllipsisWhenTooLong)
{
    MenuButton button ("Reset Loudness Reset Loudness Reset Loudness");
    button.setSize (90, 36);
    const auto image = paintButton (button, false, false);
    const auto background = image.getPixelAt (2, 18);
    const auto ink = inkBounds (image, { 1, 4, 88, 28 }, background, 60);

    ASSERT_FALSE (ink.isEmpty());
    EXPECT_GE (ink.getX(), 5);
    EXPECT_LE (ink.getRight(), 85);

    // The last few columns hold the dots of the ellipsis, low and short, not a cut letter.
    const auto tail = inkBounds (image, { ink.getRight() - 4, 4, 4, 28 }, background, 60);
    EXPECT_LE (tail.getHeight(), 3);
    EXPECT_GT (tail.getY(), ink.getCentreY());
}

TEST (MenuButton, TallNarrowButtonTurnsItsCaption)
{
    MenuButton tall ("Reset"), wide ("Reset");
    tall.setSize (28, 100);   // taller than 1.9 times its width
    wide.setSize (100, 28);

    const auto tallInk = inkBounds (paintButton (tall, false, false), { 1, 1, 26, 98 }, dark.interpolatedWith (light, 0.5f), 80);
    const auto wideInk = inkBounds (paintButton (wide, false, false), { 1, 1, 98, 26 }, dark.interpolatedWith (light, 0.5f), 80);

    ASSERT_FALSE (tallInk.isEmpty());
    ASSERT_FALSE (wideInk.isEmpty());
    EXPECT_GT (tallInk.getHeight(), 2 * tallInk.getWidth());
    EXPECT_GT (wideInk.getWidth(), 2 * wideInk.getHeight());
    EXPECT_NEAR (tallInk.getHeight(), wideInk.getWidth(), 3);
}

//==============================================================================
namespace
{
class MouseDownRecorder : public juce::Component
{
public:
    void mouseDown (const juce::MouseEvent&) override { ++mouseDowns; }
    int mouseDowns = 0;
};

struct GestureCase
{
    const char* name;
    int modifiers;
    bool clicks;
};

class MenuButtonActiveBars : public ::testing::TestWithParam<GestureCase>
{
};
} // namespace

TEST_P (MenuButtonActiveBars, OrdinaryClicksToggleAndControlOrAltClicksGoToTheParent)
{
    const auto& c = GetParam();
    MouseDownRecorder parent;
    ActiveBarsButton bar ("Stereo");
    parent.setBounds (0, 0, 100, 100);
    parent.addAndMakeVisible (bar);
    ASSERT_TRUE (bar.getToggleState()) << "starts on";
    EXPECT_EQ (bar.getWidth(), 20);
    EXPECT_EQ (bar.getHeight(), 35);

    int clicks = 0;
    bar.onClick = [&] { ++clicks; };

    const juce::ModifierKeys mods (c.modifiers | juce::ModifierKeys::leftButtonModifier);
    const auto now = juce::Time::getCurrentTime();
    const juce::MouseEvent press (juce::Desktop::getInstance().getMainMouseSource(), { 10.0f, 10.0f }, mods,
                                  juce::MouseInputSource::defaultPressure, 0.0f, 0.0f, 0.0f, 0.0f,
                                  &bar, &bar, now, { 10.0f, 10.0f }, now, 1, false);
    bar.mouseDown (press);
    bar.mouseUp (press);

    EXPECT_EQ (clicks, c.clicks ? 1 : 0) << c.name;
    EXPECT_EQ (bar.getToggleState(), ! c.clicks) << c.name;
    EXPECT_EQ (parent.mouseDowns, c.clicks ? 0 : 1) << c.name;
}

INSTANTIATE_TEST_SUITE_P (MenuButtonGestures, MenuButtonActiveBars,
                          ::testing::Values (GestureCase { "plain", 0, true },
                                             GestureCase { "control", juce::ModifierKeys::ctrlModifier, false },
                                             GestureCase { "alt", juce::ModifierKeys::altModifier, false },
                                             GestureCase { "shift", juce::ModifierKeys::shiftModifier, true },
                                             GestureCase { "control and shift", juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::shiftModifier, true }),
                          [] (const auto& p) { return juce::String (p.param.name).removeCharacters (" ").toStdString(); });

TEST (MenuButtonActiveBarsLook, OnBarIsFilledOffBarIsOutlined)
{
    ActiveBarsButton bar ("5.1");
    bar.setSize (40, 35);
    KestroLookAndFeel theme;
    bar.setLookAndFeel (&theme);
    const auto highlighted = theme.findColour (juce::PopupMenu::highlightedBackgroundColourId);
    const auto background = theme.findColour (juce::PopupMenu::backgroundColourId);

    auto paint = [&] { return paintIntoImage (40, 35, [&] (juce::Graphics& g) { bar.paintButton (g, false, false); }); };

    auto image = paint();
    EXPECT_TRUE (isNear (image.getPixelAt (4, 8), highlighted)) << "on";

    bar.setToggleState (false, juce::dontSendNotification);
    image = paint();
    EXPECT_TRUE (isNear (image.getPixelAt (4, 8), background)) << "off";
    EXPECT_GT (image.getPixelAt (1, 17).getBrightness(), image.getPixelAt (4, 17).getBrightness() + 0.05f)
        << "off bars are outlined in the highlight colour";

    bar.setLookAndFeel (nullptr);
}
