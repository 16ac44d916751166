#include "PixelProbe.h"
#include "ScopedDefaultLookAndFeel.h"

#include <lookandfeel/KestroLookAndFeel.h>

#include <BinaryData.h>
#include <gtest/gtest.h>

namespace
{
bool hasDisplay()
{
    return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr;
}

juce::Image embedded (const void* data, int size)
{
    return juce::ImageCache::getFromMemory (data, size);
}

// What the alert shows at (x, y) of an icon drawn over its light background.
juce::Colour overBackground (juce::Colour c, juce::Colour background)
{
    return background.overlaidWith (c);
}

const juce::Colour alertBackground (0xffededed);
} // namespace

struct PictureCase
{
    const char* name;
    const void* data;
    int size;
    int width, height;
    // A point of the picture's symbol and the colour a user sees there, and a point of its ground.
    float symbolX, symbolY;
    juce::uint32 symbolColour;
    float groundX, groundY;
    juce::uint32 groundColour;
};

class LookAndFeelArtwork : public ::testing::TestWithParam<PictureCase>
{
};

TEST_P (LookAndFeelArtwork, EmbeddedPictureHasItsSizeAndReadsAsItsRole)
{
    const auto& param = GetParam();
    const auto image = embedded (param.data, param.size);

    ASSERT_TRUE (image.isValid());
    EXPECT_EQ (image.getWidth(), param.width);
    EXPECT_EQ (image.getHeight(), param.height);
    EXPECT_TRUE (image.hasAlphaChannel());

    const auto at = [&] (float fx, float fy) {
        return image.getPixelAt ((int) (fx * (float) param.width), (int) (fy * (float) param.height));
    };
    EXPECT_LT (colourDistance (at (param.symbolX, param.symbolY), juce::Colour (param.symbolColour)), 60)
        << "symbol " << at (param.symbolX, param.symbolY).toDisplayString (true);
    EXPECT_LT (colourDistance (at (param.groundX, param.groundY), juce::Colour (param.groundColour)), 60)
        << "ground " << at (param.groundX, param.groundY).toDisplayString (true);
    EXPECT_EQ (image.getPixelAt (0, 0).getAlpha(), 0) << "transparent outside the shape";
}

INSTANTIATE_TEST_SUITE_P (
    Pictures, LookAndFeelArtwork,
    ::testing::Values (
        // A white question mark (its dot) on an orange-yellow badge.
        PictureCase { "question", BinaryData::alert_question_png, BinaryData::alert_question_pngSize, 64, 64,
                      0.5f, 0.765f, 0xffffffff, 0.15f, 0.5f, 0xfff5a000 },
        // A black exclamation mark (its dot) on a yellow triangle.
        PictureCase { "warning", BinaryData::alert_warning_png, BinaryData::alert_warning_pngSize, 64, 59,
                      0.5f, 0.81f, 0xff1a1a1a, 0.3f, 0.8f, 0xfff8c800 },
        // A white letter i (its stem) on a blue badge.
        PictureCase { "info", BinaryData::alert_info_png, BinaryData::alert_info_pngSize, 64, 64,
                      0.5f, 0.62f, 0xffffffff, 0.15f, 0.5f, 0xff2a80e8 },
        // A white bar low in a dark square.
        PictureCase { "minimise", BinaryData::window_minimise_png, BinaryData::window_minimise_pngSize, 21, 25,
                      0.5f, 0.62f, 0xffffffff, 0.5f, 0.4f, 0xff2b2d2e },
        // A white cross in a dark square: its middle is white, the middle of an edge is dark.
        PictureCase { "close", BinaryData::window_close_png, BinaryData::window_close_pngSize, 21, 25,
                      0.5f, 0.5f, 0xffffffff, 0.5f, 0.24f, 0xff2e3032 }),
    [] (const auto& p) { return std::string (p.param.name); });

TEST (LookAndFeelWindowButtons, MinimiseAndCloseGetTheirPicturesMaximiseGetsNone)
{
    KestroLookAndFeel lnf;

    const std::unique_ptr<juce::Button> minimise (lnf.createDocumentWindowButton (juce::DocumentWindow::minimiseButton));
    const std::unique_ptr<juce::Button> close (lnf.createDocumentWindowButton (juce::DocumentWindow::closeButton));
    const std::unique_ptr<juce::Button> maximise (lnf.createDocumentWindowButton (juce::DocumentWindow::maximiseButton));

    for (const auto* b : { minimise.get(), close.get(), maximise.get() })
    {
        ASSERT_NE (dynamic_cast<const juce::ImageButton*> (b), nullptr);
        EXPECT_TRUE (b->getName().isEmpty());
    }

    const auto* m = dynamic_cast<juce::ImageButton*> (minimise.get());
    const auto* c = dynamic_cast<juce::ImageButton*> (close.get());
    const auto* x = dynamic_cast<juce::ImageButton*> (maximise.get());

    EXPECT_EQ (m->getNormalImage().getBounds(), juce::Rectangle<int> (21, 25));
    EXPECT_EQ (c->getNormalImage().getBounds(), juce::Rectangle<int> (21, 25));
    // The same picture in every state; the states differ only by their overlay.
    EXPECT_TRUE (samePixels (c->getOverImage(), c->getNormalImage()));
    EXPECT_TRUE (samePixels (c->getDownImage(), c->getNormalImage()));
    EXPECT_FALSE (samePixels (m->getNormalImage(), c->getNormalImage()));
    EXPECT_TRUE (x->getNormalImage().isNull());

    // Painted at its size the close button shows its cross: light in the middle.
    close->setSize (21, 25);
    const auto shown = close->createComponentSnapshot (close->getLocalBounds(), true, 1.0f);
    EXPECT_GT (shown.getPixelAt (10, 12).getBrightness(), 0.9f);
    EXPECT_LT (shown.getPixelAt (10, 6).getBrightness(), 0.5f);
}

// Alert windows size themselves from the display, so these run under a display (Xvfb in CI).
class LookAndFeelAlertBox : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (! hasDisplay())
            GTEST_SKIP() << "needs a display";
    }

    static juce::Image snapshot (juce::AlertWindow& alert)
    {
        return alert.createComponentSnapshot (alert.getLocalBounds(), true, 1.0f);
    }

    KestroLookAndFeel lnf;
};

TEST_F (LookAndFeelAlertBox, WarningShowsItsIconAndTextBesideItInTheLightDefaultColours)
{
    const ScopedDefaultLookAndFeel installed (lnf);
    const juce::String title ("Error when trying to open audio device!");
    juce::AlertWindow alert (title, "No such device: KM7-Solvin Output", juce::MessageBoxIconType::WarningIcon);

    const auto image = snapshot (alert);
    const int w = image.getWidth(), h = image.getHeight();
    ASSERT_GT (w, 200);
    ASSERT_GT (h, 80);

    EXPECT_TRUE (isNear (image.getPixelAt (w - 5, h - 5), alertBackground, 1));
    EXPECT_TRUE (isNear (image.getPixelAt (0, h / 2), juce::Colour (0xff666666), 1)) << "outline";
    EXPECT_TRUE (isNear (image.getPixelAt (w / 2, h - 1), juce::Colour (0xff666666), 1)) << "outline";

    // The 64 x 59 icon at (10, 10), at its own size.
    const auto icon = embedded (BinaryData::alert_warning_png, BinaryData::alert_warning_pngSize);
    for (const auto p : { juce::Point<int> (32, 48), juce::Point<int> (20, 45), juce::Point<int> (32, 5), juce::Point<int> (2, 2) })
        EXPECT_TRUE (isNear (image.getPixelAt (10 + p.x, 10 + p.y), overBackground (icon.getPixelAt (p.x, p.y), alertBackground), 2))
            << "icon pixel " << p.toString();

    // The text starts 74 px right of the text area's left edge (10), in black, with the bold
    // 16.5 px title on its first line.
    const juce::Rectangle<int> textArea (10, 10, w - 20, h - 10);
    const auto ink = inkBounds (image, textArea.withTrimmedLeft (64).withTrimmedBottom (10), alertBackground, 60);
    ASSERT_FALSE (ink.isEmpty());
    EXPECT_GE (ink.getX(), textArea.getX() + 74);
    EXPECT_LE (ink.getX(), textArea.getX() + 74 + 3);
    EXPECT_LT (brightestChannel (image, ink.withWidth (40)), 250);

    const auto titleFont = lnf.getAlertWindowTitleFont();
    const auto titleInk = inkBounds (image, { textArea.getX() + 64, 10, w - 84, (int) titleFont.getHeight() }, alertBackground, 60);
    EXPECT_NEAR (titleInk.getWidth(), titleFont.getStringWidthFloat (title), 4.0f);
}

TEST_F (LookAndFeelAlertBox, AlertWithoutIconCentresItsTextInTheTextArea)
{
    const ScopedDefaultLookAndFeel installed (lnf);
    juce::AlertWindow alert ("Audio Setup", "No such device", juce::MessageBoxIconType::NoIcon);

    const auto image = snapshot (alert);
    const int w = image.getWidth(), h = image.getHeight();
    const auto ink = inkBounds (image, { 2, 2, w - 4, h - 4 }, alertBackground, 60);

    ASSERT_FALSE (ink.isEmpty());
    EXPECT_NEAR (ink.toFloat().getCentreX(), 10.0f + (float) (w - 20) / 2.0f, 2.0f);
}

TEST_F (LookAndFeelAlertBox, AlertIsPlacedOnTheDesktopWithADropShadowOnly)
{
    const ScopedDefaultLookAndFeel installed (lnf);
    juce::AlertWindow alert ("Audio Setup", "No such device", juce::MessageBoxIconType::WarningIcon);

    EXPECT_FALSE (alert.isUsingNativeTitleBar());
    alert.setVisible (true);
    ASSERT_NE (alert.getPeer(), nullptr);
    EXPECT_EQ (alert.getPeer()->getStyleFlags(), juce::ComponentPeer::windowHasDropShadow);
    alert.setVisible (false);
    alert.removeFromDesktop();
}
