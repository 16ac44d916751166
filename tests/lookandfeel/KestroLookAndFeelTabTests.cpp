#include "MessagePump.h"
#include "PixelProbe.h"
#include "i18n/ScopedTranslations.h"

#include <lookandfeel/KestroLookAndFeel.h>

#include <BinaryData.h>
#include <gtest/gtest.h>

namespace
{
const juce::Colour frontFill (0xff141414), backFill (0xff787878);

// A bar holding the settings window's two tabs: "System" in front, "Audio" behind, in the
// window's colours. Each test sizes the button it paints itself.
class LookAndFeelTabs : public ::testing::Test
{
protected:
    void SetUp() override { makeBar (juce::TabbedButtonBar::TabsAtTop); }

    void makeBar (juce::TabbedButtonBar::Orientation orientation)
    {
        bar = std::make_unique<juce::TabbedButtonBar> (orientation);
        bar->setLookAndFeel (&lnf);
        bar->setBounds (0, 0, 400, 33);
        bar->addTab ("System", frontFill, -1);
        bar->addTab ("Audio", backFill, -1);
        bar->setCurrentTabIndex (0);
    }

    void TearDown() override
    {
        if (bar != nullptr)
            bar->setLookAndFeel (nullptr);
    }

    juce::TabBarButton& tab (int index, int width, int height = 33)
    {
        auto& button = *bar->getTabButton (index);
        button.setSize (width, height);
        return button;
    }

    juce::Image paint (juce::TabBarButton& button, bool over = false, bool down = false)
    {
        return paintIntoImage (button.getWidth(), button.getHeight(), [&] (juce::Graphics& g) {
            lnf.drawTabButton (button, g, over, down);
        });
    }

    static int textWidth (const juce::String& text)
    {
        return (int) std::ceil (juce::Font (15.0f).getStringWidthFloat (text));
    }

    KestroLookAndFeel lnf;
    std::unique_ptr<juce::TabbedButtonBar> bar;
};
} // namespace

//==============================================================================
struct TabBestWidthCase
{
    const char* name;
    int depth;
    const char* text;
    int expected; // 0: the text's width plus 46
};

class LookAndFeelTabsBestWidth : public LookAndFeelTabs,
                                 public ::testing::WithParamInterface<TabBestWidthCase>
{
};

TEST_P (LookAndFeelTabsBestWidth, PreferredLengthIsTheNamePlus46WithinTheDepthsBounds)
{
    const auto& param = GetParam();
    auto& button = tab (1, 100);
    button.setButtonText (param.text);

    const int expected = param.expected != 0 ? param.expected : textWidth (juce::String (param.text).trim()) + 46;
    EXPECT_EQ (lnf.getTabButtonBestWidth (button, param.depth), expected);
    EXPECT_EQ (lnf.getTabButtonOverlap (param.depth), -2);
}

// "Loudness Range Meter" measures about 150 px in the 15 px font, the long name about 400.
INSTANTIATE_TEST_SUITE_P (
    Cases, LookAndFeelTabsBestWidth,
    ::testing::Values (TabBestWidthCase { "emptyAtDepth33", 33, "", 70 },
                       TabBestWidthCase { "shortAtDepth4", 4, "Io", 32 },
                       TabBestWidthCase { "shortNameAtDepth33", 33, "Io", 70 },
                       TabBestWidthCase { "mediumNameAtDepth33", 33, "Loudness Range Meter", 0 },
                       TabBestWidthCase { "blanksAreNotMeasured", 33, "  Loudness Range Meter  ", 0 },
                       TabBestWidthCase { "longNameAtDepth33", 33, "A very long tab name that cannot fit anywhere", 264 },
                       TabBestWidthCase { "emptyAtDepth8", 8, "", 0 },
                       TabBestWidthCase { "longAtDepth8", 8, "Loudness Range Meter", 64 },
                       TabBestWidthCase { "emptyAtDepth9", 9, "", 70 },
                       TabBestWidthCase { "mediumAtDepth9", 9, "Loudness Range Meter", 72 },
                       TabBestWidthCase { "longAtDepth40", 40, "A very long tab name that cannot fit anywhere", 320 }),
    [] (const auto& p) { return std::string (p.param.name); });

//==============================================================================
struct TabShapeCase
{
    const char* name;
    bool front;
    bool enabled;
    juce::Colour body;     // at (7, 14), between the tab's left side and its icon
    bool feet;             // the lower corners bend out beside the body
};

class LookAndFeelTabsShape : public LookAndFeelTabs,
                             public ::testing::WithParamInterface<TabShapeCase>
{
};

TEST_P (LookAndFeelTabsShape, TopTabIsARoundedBodyAboveAFivePixelGap)
{
    const auto& param = GetParam();
    bar->setCurrentTabIndex (param.front ? 1 : 0);
    auto& button = tab (1, 120);
    button.setEnabled (param.enabled);
    // The bar's own colour for the tab plays no part in the fill.
    bar->setTabBackgroundColour (1, juce::Colours::red);

    const auto image = paint (button);

    EXPECT_TRUE (isNear (image.getPixelAt (7, 14), param.body)) << image.getPixelAt (7, 14).toDisplayString (true);
    EXPECT_TRUE (isNear (image.getPixelAt (112, 14), param.body));
    EXPECT_EQ (image.getPixelAt (3, 14).getAlpha(), 0) << "5 px inset on the left";
    EXPECT_EQ (image.getPixelAt (117, 14).getAlpha(), 0) << "and on the right";
    EXPECT_EQ (image.getPixelAt (60, 29).getAlpha(), 0) << "bottom 5 px stay clear";
    EXPECT_LT (image.getPixelAt (5, 0).getAlpha(), 0x80) << "rounded upper corner";

    // The front tab's feet reach past its sides just above the gap; other tabs stay square.
    const int footAlpha = juce::jmax (image.getPixelAt (4, 27).getAlpha(), image.getPixelAt (115, 27).getAlpha());
    if (param.feet)
    {
        EXPECT_GT ((int) image.getPixelAt (4, 27).getAlpha(), 0x40);
        EXPECT_GT ((int) image.getPixelAt (115, 27).getAlpha(), 0x40);
    }
    else
    {
        EXPECT_EQ (footAlpha, 0);
    }
}

INSTANTIATE_TEST_SUITE_P (
    States, LookAndFeelTabsShape,
    ::testing::Values (TabShapeCase { "front", true, true, frontFill, true },
                       TabShapeCase { "back", false, true, backFill, false },
                       TabShapeCase { "disabledHasNoBody", false, false, juce::Colours::transparentBlack, false },
                       TabShapeCase { "disabledFrontHasNoBody", true, false, juce::Colours::transparentBlack, false }),
    [] (const auto& p) { return std::string (p.param.name); });

//==============================================================================
struct TabTextPlacementCase
{
    const char* name;
    juce::TabbedButtonBar::Orientation orientation;
    int width, height;
    // Where the name's ink must lie: its start along the reading direction and the middle of
    // its height across it, in button coordinates.
    bool vertical;
    float start, middle;
    int readingSign; // +1: the text runs right or down from `start`, -1: up from it
};

class LookAndFeelTabsText : public LookAndFeelTabs,
                            public ::testing::WithParamInterface<TabTextPlacementCase>
{
};

TEST_P (LookAndFeelTabsText, NameStandsRightOfTheIconReadingAlongTheBar)
{
    const auto& param = GetParam();
    makeBar (param.orientation);
    auto& button = tab (1, param.width, param.height);

    const auto image = paint (button);
    // Inside the body, clear of the rounded corners and of the icon (21 px from x 9, y 4).
    const auto textZone = param.vertical ? juce::Rectangle<int> (5, 30, param.width - 10, param.height - 36)
                                         : juce::Rectangle<int> (34, 1, param.width - 40, 27);
    const auto ink = inkBounds (image, textZone, backFill, 60);
    ASSERT_FALSE (ink.isEmpty());

    const float length = juce::Font (15.0f).getStringWidthFloat ("Audio");
    if (! param.vertical)
    {
        EXPECT_NEAR (ink.getX(), param.start, 2.0f);
        EXPECT_NEAR (ink.getWidth(), length, 3.0f);
        EXPECT_NEAR (ink.toFloat().getCentreY(), param.middle, 3.0f);
    }
    else
    {
        EXPECT_NEAR (param.readingSign > 0 ? ink.getY() : ink.getBottom(), param.start, 2.0f);
        EXPECT_NEAR (ink.getHeight(), length, 3.0f);
        EXPECT_NEAR (ink.toFloat().getCentreX(), param.middle, 3.0f);
        EXPECT_LT (ink.getWidth(), 16) << "the letters stand rotated";
    }

    EXPECT_NEAR (brightestChannel (image, ink), 0.9 * 255 + 0.1 * 0x78, 4) << "white at 0.9 over the grey";
    if (param.orientation != juce::TabbedButtonBar::TabsAtTop)
    {
        EXPECT_TRUE (isNear (image.getPixelAt (1, param.height / 2), backFill))
            << "tabs on the other sides have no inset";
    }
}

// Top and bottom: box from x 36.5, height H - 5 = 28, centred at 14. Left: the text reads
// upwards from H - 36.5 and is centred across a box W + 4 = 37 deep; right: it reads down
// from 36.5 and is centred on W - 18.5.
INSTANTIATE_TEST_SUITE_P (
    Orientations, LookAndFeelTabsText,
    ::testing::Values (TabTextPlacementCase { "top", juce::TabbedButtonBar::TabsAtTop, 120, 33, false, 37.0f, 14.0f, 1 },
                       TabTextPlacementCase { "bottom", juce::TabbedButtonBar::TabsAtBottom, 120, 33, false, 37.0f, 14.0f, 1 },
                       TabTextPlacementCase { "left", juce::TabbedButtonBar::TabsAtLeft, 33, 120, true, 120.0f - 37.0f, 18.5f, -1 },
                       TabTextPlacementCase { "right", juce::TabbedButtonBar::TabsAtRight, 33, 120, true, 37.0f, 14.5f, 1 }),
    [] (const auto& p) { return std::string (p.param.name); });

//==============================================================================
struct TabIconCase
{
    const char* name;
    int tabIndex;      // 0 "System" (front), 1 "Audio"
    const char* text;  // set on the tab, "" keeps the added name
    int width;
    bool enabled, over, down;
    const char* picture;
    int pictureSize;
    int iconX;
    float alpha;
};

class LookAndFeelTabsIcon : public LookAndFeelTabs,
                            public ::testing::WithParamInterface<TabIconCase>
{
};

TEST_P (LookAndFeelTabsIcon, IconMatchesTheNameAndTheMouseState)
{
    const auto& param = GetParam();
    auto& button = tab (param.tabIndex, param.width);
    button.setEnabled (param.enabled);
    if (*param.text != 0)
        button.setButtonText (param.text);

    const auto withIcon = paint (button, param.over, param.down);

    // The same tab under a name that matches no icon row but draws the same text.
    const auto rawName = button.getButtonText();
    button.setButtonText (" " + rawName);
    auto expected = paint (button, param.over, param.down);
    button.setButtonText (rawName);

    if (param.picture == nullptr)
    {
        EXPECT_TRUE (samePixels (withIcon, expected)) << "no icon";
        return;
    }

    {
        const auto picture = juce::ImageCache::getFromMemory (param.picture, param.pictureSize);
        juce::Graphics g (expected);
        g.setColour (juce::Colours::white.withAlpha (param.alpha));
        g.drawImage (picture, param.iconX, 4, 21, 21, 0, 0, picture.getWidth(), picture.getHeight());
    }
    EXPECT_TRUE (samePixels (withIcon, expected));
}

INSTANTIATE_TEST_SUITE_P (
    Cases, LookAndFeelTabsIcon,
    ::testing::Values (
        TabIconCase { "frontNormal", 0, "", 120, true, false, false, BinaryData::tab_system_normal_png, BinaryData::tab_system_normal_pngSize, 9, 0.9f },
        TabIconCase { "backHovered", 1, "", 120, true, true, false, BinaryData::tab_audio_hover_png, BinaryData::tab_audio_hover_pngSize, 9, 1.0f },
        TabIconCase { "backPressed", 1, "", 120, true, true, true, BinaryData::tab_audio_pressed_png, BinaryData::tab_audio_pressed_pngSize, 9, 0.9f },
        TabIconCase { "frontPressed", 0, "", 120, true, false, true, BinaryData::tab_system_pressed_png, BinaryData::tab_system_pressed_pngSize, 9, 0.9f },
        // A text area under 60 px moves the icon to x 13.
        TabIconCase { "width59", 1, "", 59, true, false, false, BinaryData::tab_audio_normal_png, BinaryData::tab_audio_normal_pngSize, 13, 0.9f },
        TabIconCase { "width60", 1, "", 60, true, false, false, BinaryData::tab_audio_normal_png, BinaryData::tab_audio_normal_pngSize, 9, 0.9f },
        TabIconCase { "collapsed45", 0, "", 45, true, false, false, BinaryData::tab_system_normal_png, BinaryData::tab_system_normal_pngSize, 13, 0.9f },
        // Disabled: faint, but still following the mouse.
        TabIconCase { "disabledHovered", 0, "", 120, false, true, false, BinaryData::tab_system_hover_png, BinaryData::tab_system_hover_pngSize, 9, 0.3f },
        // Names match exactly.
        TabIconCase { "lowerCaseName", 0, "system", 120, true, false, false, nullptr, 0, 0, 0.0f },
        TabIconCase { "unknownName", 1, "Routing", 120, true, false, false, nullptr, 0, 0, 0.0f }),
    [] (const auto& p) { return std::string (p.param.name); });

//==============================================================================
struct TabTextAlphaCase
{
    const char* name;
    bool front, enabled, over, down;
    int brightest; // strongest channel of the name's ink
    int alpha;     // strongest alpha of the name's ink
};

class LookAndFeelTabsTextAlpha : public LookAndFeelTabs,
                                 public ::testing::WithParamInterface<TabTextAlphaCase>
{
};

TEST_P (LookAndFeelTabsTextAlpha, NameIsWhiteAndBrightestWhileHovered)
{
    const auto& param = GetParam();
    auto& button = tab (param.front ? 0 : 1, 140);
    button.setEnabled (param.enabled);

    const auto image = paint (button, param.over, param.down);
    const juce::Rectangle<int> textZone (34, 0, 106, 28);
    EXPECT_NEAR (brightestChannel (image, textZone), param.brightest, 4);
    EXPECT_NEAR (strongestAlpha (image, textZone), param.alpha, 4);
}

INSTANTIATE_TEST_SUITE_P (
    States, LookAndFeelTabsTextAlpha,
    ::testing::Values (TabTextAlphaCase { "backNormal", false, true, false, false, 0xf2, 0xff },
                       TabTextAlphaCase { "backHovered", false, true, true, false, 0xff, 0xff },
                       TabTextAlphaCase { "backPressed", false, true, true, true, 0xf2, 0xff },
                       TabTextAlphaCase { "frontNormal", true, true, false, false, 0xe8, 0xff },
                       // No body: white ink at 0.3 over nothing.
                       TabTextAlphaCase { "disabled", false, false, true, false, 0xff, 0x4d }),
    [] (const auto& p) { return std::string (p.param.name); });

//==============================================================================
TEST_F (LookAndFeelTabs, TranslationChangesTextAndWidthButNeverTheIcon)
{
    const ScopedTranslations restore;
    juce::LocalisedStrings::setCurrentMappings (new juce::LocalisedStrings ("\"System\" = \"Systemeinstellungen\"\n", false));

    auto& button = tab (0, 240);
    EXPECT_EQ (lnf.getTabButtonBestWidth (button, 33), textWidth ("Systemeinstellungen") + 46);

    const auto image = paint (button);
    const auto ink = inkBounds (image, { 34, 1, 200, 27 }, frontFill, 60);
    EXPECT_NEAR (ink.getWidth(), juce::Font (15.0f).getStringWidthFloat ("Systemeinstellungen"), 3.0f);
    EXPECT_FALSE (inkBounds (image, { 9, 4, 21, 21 }, frontFill, 20).isEmpty()) << "the System icon stays";

    // The width is measured on the trimmed name, so a padded name still finds its translation;
    // the drawn text is translated before trimming, so it does not.
    button.setButtonText (" System ");
    EXPECT_EQ (lnf.getTabButtonBestWidth (button, 33), textWidth ("Systemeinstellungen") + 46);
    const auto padded = inkBounds (paint (button), { 34, 1, 200, 27 }, frontFill, 60);
    EXPECT_NEAR (padded.getWidth(), juce::Font (15.0f).getStringWidthFloat ("System"), 3.0f);
}

TEST_F (LookAndFeelTabs, SettingsBarShowsADarkFrontTabBesideAGreyOneOverAnUnpaintedBar)
{
    bar->setSize (400, 33);
    const auto image = bar->createComponentSnapshot (bar->getLocalBounds(), true, 1.0f);

    const auto* system = bar->getTabButton (0);
    const auto* audio = bar->getTabButton (1);
    EXPECT_EQ (system->getWidth(), lnf.getTabButtonBestWidth (*bar->getTabButton (0), 33));

    EXPECT_TRUE (isNear (image.getPixelAt (system->getX() + 7, 14), frontFill));
    EXPECT_TRUE (isNear (image.getPixelAt (audio->getX() + 7, 14), backFill));
    EXPECT_FALSE (inkBounds (image, system->getBounds().withTrimmedLeft (34), frontFill, 60).isEmpty());
    EXPECT_FALSE (inkBounds (image, audio->getBounds().withTrimmedLeft (34), backFill, 60).isEmpty());
    EXPECT_EQ (image.getPixelAt (audio->getRight() + 20, 14).getAlpha(), 0) << "no bar background";
    EXPECT_EQ (image.getPixelAt (audio->getX() + 20, 31).getAlpha(), 0) << "nothing behind the front tab";
}

//==============================================================================
TEST_F (LookAndFeelTabs, TabWithKeyboardFocusUnderlinesItsName)
{
    if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
        GTEST_SKIP() << "keyboard focus needs a window: run under xvfb-run";

    auto& button = tab (1, 140);
    const auto unfocused = paint (button);

    // Keyboard focus belongs to components in a window.
    bar->addToDesktop (0);
    bar->setVisible (true);
    button.setWantsKeyboardFocus (true);
    button.grabKeyboardFocus();
    const bool focused = pumpMessagesUntil ([&] { return button.hasKeyboardFocus (false); }, 2000);
    const auto withFocus = paint (button);
    bar->removeFromDesktop();
    ASSERT_TRUE (focused);

    // The underline is the only difference: a thin line under the name, as long as the name.
    juce::Rectangle<int> changed;
    for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 140; ++x)
            if (colourDistance (unfocused.getPixelAt (x, y), withFocus.getPixelAt (x, y)) > 40)
                changed = changed.isEmpty() ? juce::Rectangle<int> (x, y, 1, 1) : changed.getUnion ({ x, y, 1, 1 });

    const auto name = inkBounds (unfocused, { 34, 1, 100, 27 }, backFill, 60);
    ASSERT_FALSE (changed.isEmpty());
    EXPECT_LE (changed.getHeight(), 3);
    EXPECT_GE (changed.getY(), name.getBottom() - 2);
    EXPECT_NEAR (changed.getX(), 37, 2);
    EXPECT_NEAR (changed.getWidth(), juce::Font (15.0f).getStringWidthFloat ("Audio"), 3.0f);
}
