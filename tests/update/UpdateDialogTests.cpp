// The new-version dialog: its content's layout and look, and the three ways it ends.

#include "UpdateCheckFixture.h"
#include "MessagePump.h"
#include "lookandfeel/PixelProbe.h"
#include "lookandfeel/ScopedDefaultLookAndFeel.h"
#include "i18n/ScopedTranslations.h"

#include "i18n/TranslationTable.h"
#include "lookandfeel/KestroColors.h"
#include "lookandfeel/KestroLookAndFeel.h"
#include "update/ShowDialogMessage.h"
#include "update/UpdateComponent.h"

#include <gtest/gtest.h>

namespace
{
/** Opens the dialog the way the update thread does and waits for it. */
juce::DialogWindow* openDialog (const juce::String& versionText, const juce::String& downloadUrl)
{
    (new ShowDialogMessage (versionText, downloadUrl))->post();

    if (! pumpMessagesUntil ([] { return openDialogWindows().size() == 1; }, 5000))
        return nullptr;

    return openDialogWindows()[0];
}

struct ReturnCodeRecorder : public juce::ModalComponentManager::Callback
{
    explicit ReturnCodeRecorder (int& target) : result (target) {}
    void modalStateFinished (int returnValue) override { result = returnValue; }
    int& result;
};

class UpdateDialog : public ::testing::Test
{
protected:
    ScopedTranslations savedTranslations;
};

/** Tests that open the dialog in a window. */
class UpdateDialogWindow : public UpdateDialog
{
protected:
    void SetUp() override
    {
        if (! hasDisplay())
            GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    }

    void TearDown() override { dismissOpenDialogs(); }
};
} // namespace

TEST_F (UpdateDialog, ContentIs400By160WithMessageLinkAndOkButtonSpanning380Pixels)
{
    TranslationTable::installForLanguage ("en-GB");
    UpdateComponent content ("1.7.0", "https://dl.example/1.7.0");

    EXPECT_EQ (content.getWidth(), 400);
    EXPECT_EQ (content.getHeight(), 160);
    ASSERT_EQ (content.getNumChildComponents(), 3);

    auto* message = dynamic_cast<juce::Label*> (content.getChildComponent (0));
    auto* link = dynamic_cast<juce::HyperlinkButton*> (content.getChildComponent (1));
    auto* ok = dynamic_cast<juce::TextButton*> (content.getChildComponent (2));
    ASSERT_TRUE (message != nullptr && link != nullptr && ok != nullptr);

    EXPECT_EQ (message->getBounds(), juce::Rectangle<int> (10, 10, 380, 80));
    EXPECT_EQ (link->getBounds(), juce::Rectangle<int> (10, 90, 380, 22));
    EXPECT_EQ (ok->getBounds(), juce::Rectangle<int> (10, 130, 380, 22));

    EXPECT_EQ (message->getName(), "Version Update");
    EXPECT_EQ (message->getText(), "A newer version of the Kestro Vantrel is available. Click the link below to be redirected to the download page.");
    EXPECT_EQ (message->getJustificationType(), juce::Justification (juce::Justification::topLeft));
    EXPECT_EQ (link->getButtonText(), "Kestro Vantrel - version 1.7.0");
    EXPECT_EQ (link->getURL().toString (false), "https://dl.example/1.7.0");
    EXPECT_EQ (ok->getButtonText(), "OK");
    EXPECT_EQ (ok->getName(), "OK");

    TranslationTable::installForLanguage ("de-DE");
    UpdateComponent german ("", "");
    EXPECT_TRUE (dynamic_cast<juce::Label*> (german.getChildComponent (0))->getText().startsWith ("Es ist eine neuere Version"));
    EXPECT_EQ (dynamic_cast<juce::Button*> (german.getChildComponent (1))->getButtonText(), "Kestro Vantrel - version ");
    EXPECT_EQ (dynamic_cast<juce::Button*> (german.getChildComponent (2))->getButtonText(), "OK") << "never translated";
}

TEST_F (UpdateDialog, TheLinkTargetsOnlyACheckedWebAddress)
{
    const std::pair<const char*, const char*> cases[] = {
        { " https://dl.example/1.7.0 ", "https://dl.example/1.7.0" },
        { "file:///usr/bin/xterm", "" },
        { "https://dl.example/\"$(id)\"", "" },
        { "", "" },
    };

    for (const auto& [downloadUrl, target] : cases)
    {
        UpdateComponent content ("1.7.0", downloadUrl);
        auto* link = dynamic_cast<juce::HyperlinkButton*> (content.getChildComponent (1));
        ASSERT_NE (link, nullptr);
        EXPECT_EQ (link->getURL().toString (false), juce::String (target)) << downloadUrl;
    }
}

TEST_F (UpdateDialog, PaintsBlackMessageAndBlueLinkOnTheDialogBackground)
{
    KestroLookAndFeel theme;
    ScopedDefaultLookAndFeel scopedTheme (theme);
    TranslationTable::installForLanguage ("en-GB");

    UpdateComponent content ("1.7.0", "https://dl.example/1.7.0");
    const juce::Colour background (0xffdddee0);
    juce::Image image (juce::Image::ARGB, 400, 160, true);
    {
        juce::Graphics g (image);
        g.fillAll (background);
        content.paintEntireComponent (g, true);
    }

    const auto messageInk = inkBounds (image, { 10, 10, 380, 80 }, background);
    const auto linkInk = inkBounds (image, { 10, 90, 380, 22 }, background);
    ASSERT_FALSE (messageInk.isEmpty());
    ASSERT_FALSE (linkInk.isEmpty());

    auto hasPixelNear = [&] (juce::Rectangle<int> area, juce::Colour colour)
    {
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (isNear (image.getPixelAt (x, y), colour, 40))
                    return true;
        return false;
    };

    EXPECT_TRUE (hasPixelNear (messageInk, KestroColors::black)) << "the message in black";
    EXPECT_TRUE (hasPixelNear (linkInk, KestroColors::gradient_blue_2_dark)) << "the link in the palette's blue";
    EXPECT_FALSE (hasPixelNear (messageInk, KestroColors::gradient_blue_2_dark));
    EXPECT_FALSE (inkBounds (image, { 10, 130, 380, 22 }, background).isEmpty()) << "the OK button is drawn";

    // A picture of the dialog's content for a person to look at.
    const auto picture = juce::File::getCurrentWorkingDirectory().getChildFile ("update-dialog.png");
    picture.deleteFile();
    juce::FileOutputStream out (picture);
    EXPECT_TRUE (juce::PNGImageFormat().writeImageToStream (image, out));
}

TEST_F (UpdateDialogWindow, OpensAsAModalDialogWithTheTranslatedTitle)
{
    TranslationTable::installForLanguage ("de-DE");
    auto* dialog = openDialog ("1.7.0", "https://dl.example/1.7.0");
    ASSERT_NE (dialog, nullptr);

    EXPECT_EQ (dialog->getName(), juce::CharPointer_UTF8 ("Neue Version verf\xc3\xbc" "gbar!"));
    EXPECT_TRUE (dialog->isCurrentlyModal());
    EXPECT_TRUE (dialog->isUsingNativeTitleBar());
    EXPECT_FALSE (dialog->isResizable());
    EXPECT_EQ (dialog->getBackgroundColour(), juce::Colour (0xffdddee0));
    EXPECT_NE (dynamic_cast<UpdateComponent*> (dialog->getContentComponent()), nullptr);
}

TEST_F (UpdateDialogWindow, EachMessageOpensADialogOfItsOwnWith400By160ContentCentredOnTheScreen)
{
    // A window in a corner of the screen is active, as the settings window is when the user starts
    // a check; neither dialog is placed around it, nor the second around the first.
    juce::DocumentWindow settingsLike ("Settings", juce::Colours::grey, 0);
    settingsLike.setUsingNativeTitleBar (true);
    settingsLike.setBounds (20, 20, 300, 200);
    settingsLike.setVisible (true);
    settingsLike.toFront (true);
    pumpMessagesUntil ([&] { return juce::TopLevelWindow::getActiveTopLevelWindow() == &settingsLike; }, 2000);

    const auto screen = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay()->userArea;

    ASSERT_NE (openDialog ("1.7.0", ""), nullptr);
    (new ShowDialogMessage ("1.8.0", ""))->post();
    ASSERT_TRUE (pumpMessagesUntil ([] { return openDialogWindows().size() == 2; }, 5000));

    for (auto* dialog : openDialogWindows())
    {
        ASSERT_NE (dialog->getContentComponent(), nullptr);
        EXPECT_EQ (dialog->getContentComponent()->getBounds().toString(), "0 0 400 160");
        EXPECT_EQ (dialog->getBounds().getCentre().toString(), screen.getCentre().toString()) << dialog->getBounds().toString();
    }
}

TEST_F (UpdateDialogWindow, NoDialogOpensWhileNoScreenIsListed)
{
    // The framework hands its list out read-only; it is put back as it was.
    auto& displays = const_cast<juce::Displays&> (juce::Desktop::getInstance().getDisplays());
    const auto listed = displays.displays;
    const juce::ScopeGuard restore { [&] { displays.displays = listed; } };
    displays.displays.clear();

    ShowDialogMessage ("1.7.0", "https://dl.example/1.7.0").messageCallback();
    EXPECT_TRUE (openDialogWindows().isEmpty());
}

TEST_F (UpdateDialogWindow, OkEndsTheDialogWithCode1234AndDeletesItWithItsContent)
{
    auto* dialog = openDialog ("1.7.0", "https://dl.example/1.7.0");
    ASSERT_NE (dialog, nullptr);

    int returnCode = -1;
    juce::ModalComponentManager::getInstance()->attachCallback (dialog, new ReturnCodeRecorder (returnCode));

    juce::Component::SafePointer<juce::Component> safeDialog (dialog), safeContent (dialog->getContentComponent()),
        safeOk (dialog->getContentComponent()->getChildComponent (2));
    dynamic_cast<juce::Button*> (safeOk.getComponent())->triggerClick();

    EXPECT_TRUE (pumpMessagesUntil ([&] { return safeDialog == nullptr; }, 5000));
    EXPECT_EQ (returnCode, UpdateComponent::okReturnCode);
    EXPECT_EQ (safeContent, nullptr);
    EXPECT_EQ (safeOk, nullptr);
}

TEST_F (UpdateDialogWindow, EscapeAndTheCloseButtonEndTheDialog)
{
    for (const bool useEscape : { true, false })
    {
        auto* dialog = openDialog ("1.7.0", "");
        ASSERT_NE (dialog, nullptr);
        juce::Component::SafePointer<juce::Component> safeDialog (dialog);

        if (useEscape)
            static_cast<juce::Component*> (dialog)->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
        else
            dialog->closeButtonPressed();

        EXPECT_TRUE (pumpMessagesUntil ([&] { return safeDialog == nullptr; }, 5000)) << (useEscape ? "escape" : "close button");
    }
}

TEST_F (UpdateDialog, OkOutsideADialogDoesNothing)
{
    UpdateComponent content ("1.7.0", "");
    juce::Component parent;
    parent.addAndMakeVisible (content);
    content.buttonClicked (dynamic_cast<juce::Button*> (content.getChildComponent (2)));
    EXPECT_EQ (content.getParentComponent(), &parent);
    parent.removeChildComponent (&content);
}
