// The main editor on the real processor: its layout, what it paints where, the tooltip window,
// the settings window it shows and hides, and the remote buttons.

#include "EditorFixture.h"
#include "MessagePump.h"
#include "RecordingMidiPortProvider.h"
#include "lookandfeel/PixelProbe.h"

#include "gui/FrameComponent.h"
#include "gui/MenuWindowBase.h"
#include "lookandfeel/KestroLookAndFeel.h"

#include <BinaryData.h>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
const juce::Colour insideColour (0xff0e0e0e);
const juce::Colour dockColour (0xff353535);
const juce::Colour hoverColour (0xff141414);

std::vector<MenuButton*> remoteButtons (UsbPluginAudioProcessorEditor& editor)
{
    return { &editor.startButton, &editor.stopButton, &editor.resetLoudnessButton,
             &editor.timeButton, &editor.refUpButton, &editor.refDownButton };
}
} // namespace

//==============================================================================
using EditorLayout = EditorFixture;

TEST_F (EditorLayout, PlacesTheButtonsOfThe220By300Panel)
{
    EXPECT_EQ (editor->getBounds(), juce::Rectangle<int> (0, 0, 220, 300));
    EXPECT_EQ (editor->frame->getBounds(), editor->getLocalBounds());

    const std::vector<juce::Rectangle<int>> expected { { 19, 19, 182, 36 }, { 19, 57, 182, 36 }, { 19, 95, 182, 36 },
                                                       { 19, 133, 182, 36 }, { 19, 171, 90, 36 }, { 111, 171, 90, 36 } };
    const std::vector<juce::String> captions { "Start", "Stop", "Reset Loudness", "Time", "Ref +", "Ref -" };
    const auto buttons = remoteButtons (*editor);

    for (size_t i = 0; i < buttons.size(); ++i)
    {
        EXPECT_EQ (buttons[i]->getBounds(), expected[i]) << captions[i];
        EXPECT_EQ (buttons[i]->getButtonText(), captions[i]);
        EXPECT_EQ (buttons[i]->getParentComponent(), editor.get());
        EXPECT_FALSE (buttons[i]->isEnabled()) << "no MIDI output is open yet";
    }

    EXPECT_EQ (editor->solvinButton.getBounds(), juce::Rectangle<int> (31, 219, 41, 41));
    EXPECT_EQ (editor->settingsButton.getBounds(), juce::Rectangle<int> (148, 219, 41, 41));
    EXPECT_EQ (editor->solvinButton.getName(), "SolvinButton");
    EXPECT_EQ (editor->settingsButton.getName(), "SettingsButton");

    // The frame lies over the editor's painting and under every button, and lets clicks through.
    EXPECT_EQ (editor->getIndexOfChildComponent (editor->frame), 0);
    bool interceptsSelf = true, interceptsChildren = true;
    editor->frame->getInterceptsMouseClicks (interceptsSelf, interceptsChildren);
    EXPECT_FALSE (interceptsSelf);
    EXPECT_FALSE (interceptsChildren);
    editor->setVisible (true);
    EXPECT_EQ (editor->getComponentAt (50, 240), &editor->solvinButton);
    EXPECT_EQ (editor->getComponentAt (100, 30), &editor->startButton);

    EXPECT_EQ (editor->settingsButton.getNormalImage(),
               juce::ImageCache::getFromMemory (BinaryData::settings_normal_png, BinaryData::settings_normal_pngSize));
    EXPECT_EQ (editor->settingsButton.getOverImage(),
               juce::ImageCache::getFromMemory (BinaryData::settings_hover_png, BinaryData::settings_hover_pngSize));
    EXPECT_EQ (editor->settingsButton.getDownImage(),
               juce::ImageCache::getFromMemory (BinaryData::settings_pressed_png, BinaryData::settings_pressed_pngSize));
}

TEST_F (EditorLayout, OwnsOneTransparentTooltipWindowAndStartsTheUpdateCheckTimer)
{
    auto* tips = editor->tooltipWindow;
    ASSERT_NE (tips, nullptr);
    EXPECT_EQ (tips->getParentComponent(), nullptr);
    EXPECT_FALSE (tips->isOpaque()) << "the theme's rounded tooltip box needs clear corners";
    EXPECT_EQ (&tips->getLookAndFeel(), UsbPluginAudioProcessor::s_lookAndFeel);
    EXPECT_NE (dynamic_cast<KestroLookAndFeel*> (&tips->getLookAndFeel()), nullptr);

    EXPECT_TRUE (processor->delayedUpdateChecker.isTimerRunning());
    EXPECT_EQ (processor->delayedUpdateChecker.getTimerInterval(), 5000);
    EXPECT_TRUE (editor->isTimerRunning());
    EXPECT_EQ (editor->getTimerInterval(), 2000);
}

TEST_F (EditorLayout, DockSeparatorAndLogoShowBetweenFrameAndButtons)
{
    const auto image = snapshot();

    EXPECT_TRUE (isNear (image.getPixelAt (1, 1), juce::Colours::black)) << "3 px black margin";
    EXPECT_TRUE (isNear (image.getPixelAt (218, 298), juce::Colours::black));
    EXPECT_GT (brightestChannel (image, { 6, 100, 6, 1 }), 150) << "light-grey bezel";

    EXPECT_TRUE (isNear (image.getPixelAt (110, 209), insideColour)) << "the frame's dark inside";
    EXPECT_TRUE (isNear (image.getPixelAt (110, 240), dockColour)) << "the dock bar between the picture buttons";
    EXPECT_TRUE (isNear (image.getPixelAt (22, 215), dockColour)) << "the dock bar's left end";
    EXPECT_TRUE (isNear (image.getPixelAt (80, 215), dockColour)) << "no hover square without the mouse";

    // The separator: 62 x 2 at (79, 211), lighter than the inside around it and fading out.
    EXPECT_GT (brightestChannel (image, { 100, 211, 20, 1 }), 0x60);
    EXPECT_TRUE (isNear (image.getPixelAt (110, 210), insideColour));

    // The logo sits in the bezel's bottom strip at (77, 263, 66, 27).
    EXPECT_EQ (FrameComponent::logoBoundsFor (220, 300), juce::Rectangle<int> (77, 263, 66, 27));
    const auto strip = image.getPixelAt (50, 280);
    EXPECT_GT (strip.getBrightness(), 0.6f);
    EXPECT_FALSE (inkBounds (image, { 77, 263, 66, 27 }, strip, 60).isEmpty());
    EXPECT_TRUE (inkBounds (image, { 20, 263, 50, 27 }, strip, 60).isEmpty()) << "plain strip beside the logo";

    // The remote buttons are drawn over everything.
    EXPECT_FALSE (isNear (image.getPixelAt (25, 22), insideColour, 10));
}

TEST_F (EditorLayout, HoverSquareShowsBehindThePictureButtonUnderTheMouse)
{
    stopTheMeterSide();
    editor->addToDesktop (0);
    editor->setVisible (true);
    auto* peer = editor->getPeer();
    ASSERT_NE (peer, nullptr);

    // The pointer is moved on the display, and the move is reported to the editor's window as the
    // window system would (a window without a window manager gets no crossing events of its own).
    const auto moveMouseTo = [&] (juce::Point<int> position)
    {
        juce::Desktop::getInstance().getMainMouseSource().setScreenPosition (editor->localPointToGlobal (position).toFloat());
        peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, position.toFloat(), juce::ModifierKeys(),
                                juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                juce::Time::currentTimeMillis());
    };

    for (auto* button : { static_cast<juce::Button*> (&editor->solvinButton), static_cast<juce::Button*> (&editor->settingsButton) })
    {
        const auto square = juce::Rectangle<int> (button->getX() - 4, 213, 50, 50);
        moveMouseTo (button->getBounds().getCentre());
        ASSERT_TRUE (button->isMouseOver (false)) << button->getName();

        auto image = snapshot();
        EXPECT_TRUE (isNear (image.getPixelAt (square.getX() + 1, 214), hoverColour)) << button->getName();
        EXPECT_TRUE (isNear (image.getPixelAt (square.getRight() - 2, 214), hoverColour)) << button->getName();
        EXPECT_TRUE (isNear (image.getPixelAt (square.getX() - 2, 214), dockColour)) << button->getName();
        EXPECT_FALSE (editor->isMouseOver (false)) << "the square is the button's";

        moveMouseTo ({ 110, 100 });
        ASSERT_FALSE (button->isMouseOver (false));
        image = snapshot();
        EXPECT_TRUE (isNear (image.getPixelAt (square.getX() + 1, 214), dockColour)) << button->getName();
    }

    editor->removeFromDesktop();
}

//==============================================================================
using EditorSettingsWindow = EditorFixture;

TEST_F (EditorSettingsWindow, SettingsButtonShowsAndHidesTheSameWindowBesideTheEditor)
{
    auto* window = editor->menuWindow;
    ASSERT_NE (window, nullptr);
    EXPECT_EQ (window->getName(), "Settings");
    EXPECT_TRUE (window->isAlwaysOnTop());
    EXPECT_FALSE (window->isVisible());
    EXPECT_EQ (window->owner, editor.get());
    EXPECT_EQ (window->getWidth(), 400);
    EXPECT_EQ (window->getHeight(), 520);

    // No native window until the first show: each one would cost the idle program a repaint timer.
    EXPECT_FALSE (window->isOnDesktop());
    EXPECT_EQ (window->getPeer(), nullptr);
    const int peersBeforeShow = juce::ComponentPeer::getNumPeers();

    editor->buttonClicked (&editor->settingsButton);
    EXPECT_TRUE (window->isVisible());
    ASSERT_TRUE (window->isOnDesktop());
    ASSERT_NE (window->getPeer(), nullptr);
    EXPECT_EQ (juce::ComponentPeer::getNumPeers(), peersBeforeShow + 1);
    EXPECT_EQ (window->getPeer()->getConstrainer(), window->getConstrainer()) << "the resize limits reach the native window";
    EXPECT_EQ (window->getX(), editor->getScreenBounds().getRight() + 15) << "more room to the right";
    EXPECT_EQ (window->getWidth(), 400);

    editor->buttonClicked (&editor->settingsButton);
    EXPECT_FALSE (window->isVisible());
    EXPECT_EQ (juce::ComponentPeer::getNumPeers(), peersBeforeShow + 1) << "hidden, the native window is kept";

    editor->buttonClicked (&editor->settingsButton);
    window->userTriedToCloseWindow();
    EXPECT_FALSE (window->isVisible()) << "a close request only hides the window";
    EXPECT_EQ (editor->menuWindow, window);

    editor->buttonClicked (&editor->settingsButton);
    EXPECT_TRUE (window->isVisible());
}

//==============================================================================
/** The editor on a processor whose meter handler finds its MIDI ports in a recording stand-in.
    The test tells the handler a stereo 48 kHz input, as the input side does when its device
    starts, and starts the handler thread at once. */
class EditorRemoteButtons : public EditorFixture
{
protected:
    std::unique_ptr<UsbPluginAudioProcessor> makeProcessor() override
    {
        return std::make_unique<UsbPluginAudioProcessor> (registry.makeFactory(), ports);
    }

    void waitUntilTheMeterIsFound()
    {
        processor->deviceHandler.prepareForDevices (2, 48000);
        processor->deviceHandler.startThread();
        ASSERT_TRUE (pumpMessagesUntil ([&] { return processor->deviceHandler.deviceState == DeviceState::DeviceReady
                                                     && editor->solvinButton.isEnabled(); }, 10000));
    }

    const std::shared_ptr<RecordingMidiPortProvider> ports = std::make_shared<RecordingMidiPortProvider>();
};

TEST_F (EditorRemoteButtons, EachButtonSendsItsMachineControlCommandThroughTheMetersPort)
{
    ports->setPorts ({ "Synth", "KM7-Solvin MIDI 1" });
    waitUntilTheMeterIsFound();

    const std::vector<juce::uint8> commands { 0x06, 0x07, 0x05, 0x04, 0x02, 0x01 };
    const auto buttons = remoteButtons (*editor);

    for (size_t i = 0; i < buttons.size(); ++i)
    {
        ASSERT_TRUE (buttons[i]->isEnabled()) << buttons[i]->getButtonText();
        buttons[i]->triggerClick();
        ASSERT_TRUE (pumpMessagesUntil ([&] { return ports->getSentMessages().size() == i + 1; }, 3000)) << buttons[i]->getButtonText();

        const auto sent = ports->getSentMessages().back();
        EXPECT_EQ (sent.portIdentifier, RecordingMidiPortProvider::identifierFor ("KM7-Solvin MIDI 1"));
        EXPECT_EQ (sent.bytes, (std::vector<juce::uint8> { 0xf0, 0x7f, 0x00, 0x06, commands[i], 0xf7 }))
            << buttons[i]->getButtonText();
    }

    pumpMessagesFor (50);
    EXPECT_EQ (ports->getSentMessages().size(), buttons.size()) << "one message per click";
}

TEST_F (EditorRemoteButtons, WithoutAPortTheButtonsAreDisabledAndSendNothing)
{
    ports->setPorts ({ "Synth" });
    waitUntilTheMeterIsFound();
    EXPECT_FALSE (processor->deviceHandler.hasMidiOutput());

    for (auto* button : remoteButtons (*editor))
    {
        EXPECT_FALSE (button->isEnabled()) << button->getButtonText();
        button->triggerClick();
        editor->buttonClicked (button);   // a click that reaches the editor all the same
    }

    pumpMessagesFor (50);
    EXPECT_TRUE (ports->getSentMessages().empty());
    EXPECT_EQ (ports->getNumOpens(), 0);
}
