// The editor's controls for a plug-in host, which the application never shows: the inactive
// overlay, the channel-mode choice, the confirmation button and the program-change box. The tests
// hand the editor its messages and clicks directly, as the framework would.

#include "EditorFixture.h"
#include "lookandfeel/PixelProbe.h"

#include "audio/ChannelMode.h"
#include "audio/MidiOutputPort.h"
#include "gui/ActiveBarsButton.h"
#include "gui/BackgroundPanelWithText.h"
#include "gui/EditorInactiveMessage.h"
#include "gui/FrameComponent.h"
#include "gui/ShowChannelModeChoiceMessage.h"
#include "lookandfeel/KestroColors.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
/** Keeps the bytes of every message sent through it. */
class CapturingMidiPort : public MidiOutputPort
{
public:
    explicit CapturingMidiPort (std::vector<std::vector<juce::uint8>>& sink) : sent (sink) {}

    void sendMessageNow (const juce::MidiMessage& message) override
    {
        sent.emplace_back (message.getRawData(), message.getRawData() + message.getRawDataSize());
    }

private:
    std::vector<std::vector<juce::uint8>>& sent;
};

/** The editor's own painting, without its children. */
juce::Image paintEditorOnly (UsbPluginAudioProcessorEditor& editor)
{
    juce::Image image (juce::Image::ARGB, editor.getWidth(), editor.getHeight(), true);
    juce::Graphics g (image);
    editor.paint (g);
    return image;
}
} // namespace

//==============================================================================
class EditorChannelModeChoice : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        if (IsSkipped())
            return;

        stopTheMeterSide();
        childrenWithoutChoice = editor->getNumChildComponents();
    }

    void showChoice() { editor->handleMessage (ShowChannelModeChoiceMessage()); }

    int childrenWithoutChoice = 0;
};

TEST_F (EditorChannelModeChoice, PanelAndThreeButtonsAreLaidOutForATallerEditorAndASecondRequestReplacesThem)
{
    showChoice();

    auto* panel = editor->channelModePanel;
    ASSERT_NE (panel, nullptr);
    EXPECT_EQ (panel->getParentComponent(), editor.get());
    EXPECT_TRUE (panel->isVisible());
    EXPECT_EQ (panel->text, "Please select the desired channel mode:");
    // 220 x 300 is too small for the choice: a height of 300 - 415 and a button width of
    // (220 - 228) / 3 + 0.5, cut to -2, both end as 0.
    EXPECT_EQ (panel->getBounds(), juce::Rectangle<int> (99, 205, 22, 0));

    ASSERT_EQ (editor->channelModeButtons.size(), 3u);
    const char* captions[] = { "Mono", "Stereo", "5.1" };
    for (int i = 0; i < 3; ++i)
    {
        auto* button = editor->channelModeButtons[(size_t) i];
        EXPECT_EQ (button->caption, captions[i]);
        EXPECT_EQ (button->getParentComponent(), editor.get());
        EXPECT_FALSE (button->getToggleState());
        EXPECT_EQ (button->getBounds(), juce::Rectangle<int> (114 - 2 * i, 205, 0, 34)) << captions[i];
    }
    EXPECT_EQ (editor->getNumChildComponents(), childrenWithoutChoice + 4);

    showChoice();
    ASSERT_NE (editor->channelModePanel, nullptr);
    EXPECT_EQ (editor->channelModeButtons.size(), 3u);
    EXPECT_EQ (editor->getNumChildComponents(), childrenWithoutChoice + 4) << "the first choice is gone";

    // In an editor tall enough the choice shows: the panel across the middle, the buttons below
    // its centre line.
    editor->setSize (428, 615);
    EXPECT_EQ (editor->channelModePanel->getBounds(), juce::Rectangle<int> (99, 205, 230, 200));
    EXPECT_EQ (editor->channelModeButtons[2]->getBounds(), juce::Rectangle<int> (114 + 2 * 67, 305, 67, 34));
    editor->setSize (220, 300);
}

struct ChannelModeClickCase
{
    size_t button;
    int channelMode;
};

class EditorChannelModeClick : public EditorChannelModeChoice,
                               public ::testing::WithParamInterface<ChannelModeClickCase>
{
};

TEST_P (EditorChannelModeClick, ChoosesTheModeActivatesThePluginAndClosesTheChoice)
{
    processor->channelMode = ChannelMode::None;
    processor->channelModeChosen = false;
    processor->pluginActive = false;
    editor->active = false;

    showChoice();
    editor->buttonClicked (editor->channelModeButtons[GetParam().button]);

    EXPECT_EQ (processor->channelMode, GetParam().channelMode);
    EXPECT_TRUE (processor->channelModeChosen);
    EXPECT_TRUE (processor->pluginActive);
    EXPECT_TRUE (editor->active);
    EXPECT_EQ (editor->channelModePanel, nullptr);
    EXPECT_TRUE (editor->channelModeButtons.empty());
    EXPECT_EQ (editor->getNumChildComponents(), childrenWithoutChoice);
}

INSTANTIATE_TEST_SUITE_P (Modes, EditorChannelModeClick,
                          ::testing::Values (ChannelModeClickCase { 0, ChannelMode::Mono },
                                             ChannelModeClickCase { 1, ChannelMode::Stereo },
                                             ChannelModeClickCase { 2, ChannelMode::FivePointOne }),
                          [] (const auto& p) { return "button" + std::to_string (p.param.button); });

TEST_F (EditorChannelModeChoice, ANullClickClosesTheChoiceWithoutChoosing)
{
    processor->channelModeChosen = false;
    const int mode = processor->channelMode;

    showChoice();
    editor->buttonClicked (nullptr);

    EXPECT_EQ (editor->channelModePanel, nullptr);
    EXPECT_TRUE (editor->channelModeButtons.empty());
    EXPECT_EQ (processor->channelMode, mode);
    EXPECT_FALSE (processor->channelModeChosen);
}

TEST (ChannelModePanel, DrawsItsPromptInWhiteOnTheUpperHalfOfADarkRoundedPanel)
{
    BackgroundPanelWithText panel ("Please select the desired channel mode:");
    panel.setSize (230, 200);
    const auto image = panel.createComponentSnapshot (panel.getLocalBounds(), true, 1.0f);

    EXPECT_TRUE (isNear (image.getPixelAt (115, 150), KestroColors::menuPanelBackgroundActive));
    EXPECT_LT (image.getPixelAt (0, 0).getAlpha(), 0xff) << "rounded corners";
    const auto ink = inkBounds (image, panel.getLocalBounds().reduced (4), KestroColors::menuPanelBackgroundActive);
    ASSERT_FALSE (ink.isEmpty());
    EXPECT_LE (ink.getBottom(), 100);
    EXPECT_GT (brightestChannel (image, ink), 200);
}

//==============================================================================
using EditorInactiveOverlay = EditorFixture;

TEST_F (EditorInactiveOverlay, InactiveEditorCoversItselfInBlackUnderItsTextAndStopsItsLayout)
{
    stopTheMeterSide();
    const auto startBounds = editor->startButton.getBounds();

    editor->handleMessage (EditorInactiveMessage (true, "Sample rate 22050 Hz is not supported."));
    EXPECT_FALSE (editor->active);
    EXPECT_EQ (editor->inactiveText, "Sample rate 22050 Hz is not supported.");

    auto image = paintEditorOnly (*editor);
    const juce::Rectangle<int> textArea (30, 0, 160, 285);
    const auto ink = inkBounds (image, image.getBounds(), KestroColors::black);
    ASSERT_FALSE (ink.isEmpty()) << "the text shows";
    EXPECT_TRUE (textArea.contains (ink));
    EXPECT_GT (brightestChannel (image, ink), 200) << "in white";
    EXPECT_TRUE (isNear (image.getPixelAt (25, 230), KestroColors::black)) << "no dock while inactive";

    // The layout stops after the frame: the buttons keep their place in a larger editor.
    editor->setSize (300, 400);
    EXPECT_EQ (editor->frame->getBounds(), juce::Rectangle<int> (0, 0, 300, 400));
    EXPECT_EQ (editor->startButton.getBounds(), startBounds);

    // Without a text only the black fill remains: the main window is opaque.
    editor->handleMessage (EditorInactiveMessage (true, {}));
    image = paintEditorOnly (*editor);
    EXPECT_TRUE (inkBounds (image, image.getBounds(), KestroColors::black, 0).isEmpty());
    EXPECT_EQ (image.getPixelAt (150, 200), KestroColors::black);

    editor->handleMessage (EditorInactiveMessage (false, {}));
    EXPECT_TRUE (editor->active);
    EXPECT_NE (editor->startButton.getBounds(), startBounds) << "laid out again for 300 x 400";
    editor->setSize (220, 300);
    EXPECT_EQ (editor->startButton.getBounds(), startBounds);
    image = paintEditorOnly (*editor);
    EXPECT_TRUE (isNear (image.getPixelAt (25, 230), KestroColors::kestro_dock_background)) << "the dock is back";

    editor->handleMessage (EditorInactiveMessage (true, "again"));
    editor->buttonClicked (&editor->startButton);
    EXPECT_TRUE (editor->active) << "any click ends the overlay";
}

//==============================================================================
/** The application's processor, recording what the editor prepares it with. */
class RecordingPrepareProcessor : public StandaloneProcessor
{
public:
    using StandaloneProcessor::StandaloneProcessor;

    void prepareToPlay (double sampleRate, int samplesPerBlock) override
    {
        prepared.emplace_back (sampleRate, samplesPerBlock);
    }

    std::vector<std::pair<double, int>> prepared;
};

class EditorSpareControls : public EditorFixture
{
protected:
    std::unique_ptr<UsbPluginAudioProcessor> makeProcessor() override
    {
        return std::make_unique<RecordingPrepareProcessor> (registry.makeFactory());
    }

    void openPort()
    {
        const juce::ScopedLock sl (processor->deviceHandler.stateLock);
        processor->deviceHandler.midiOutput = std::make_unique<CapturingMidiPort> (sent);
    }

    std::vector<std::vector<juce::uint8>> sent;
};

TEST_F (EditorSpareControls, OkButtonIsNeverShownAndPreparesTheProcessorWithItsCurrentRateAndBlockSize)
{
    stopTheMeterSide();
    EXPECT_EQ (editor->okButton.getParentComponent(), nullptr);
    EXPECT_EQ (editor->okButton.getButtonText(), "OK");
    EXPECT_EQ (editor->okButton.getBounds(), juce::Rectangle<int> (35, 200, 150, 26));

    processor->setRateAndBufferSizeDetails (48000.7, 512);
    editor->active = false;
    editor->buttonClicked (&editor->okButton);

    const auto& prepared = dynamic_cast<RecordingPrepareProcessor&> (*processor).prepared;
    ASSERT_EQ (prepared.size(), 1u);
    EXPECT_EQ (prepared[0].first, 48000.0) << "the rate cut to a whole number";
    EXPECT_EQ (prepared[0].second, 512);
    EXPECT_TRUE (editor->active);
}

TEST_F (EditorSpareControls, SelectionBoxSendsItsIndexAsAProgramChangeOnlyThroughAnOpenPort)
{
    stopTheMeterSide();
    auto& box = editor->presetComboBox;
    EXPECT_EQ (box.getName(), "");
    EXPECT_EQ (box.getParentComponent(), nullptr);

    for (int id = 1; id <= 131; ++id)
        box.addItem ("Preset " + juce::String (id), id);

    box.setSelectedItemIndex (130, juce::dontSendNotification);
    editor->comboBoxChanged (&box);
    EXPECT_TRUE (sent.empty()) << "no port, nothing sent";

    openPort();
    editor->comboBoxChanged (&box);
    box.setSelectedItemIndex (5, juce::dontSendNotification);
    editor->comboBoxChanged (&box);
    EXPECT_EQ (sent, (std::vector<std::vector<juce::uint8>> { { 0xc0, 0x02 }, { 0xc0, 0x05 } }))
        << "channel 1, the index masked to 7 bits";

    juce::ComboBox otherBox;
    otherBox.addItem ("x", 1);
    otherBox.setSelectedItemIndex (0, juce::dontSendNotification);
    editor->comboBoxChanged (&otherBox);
    box.setSelectedItemIndex (-1, juce::dontSendNotification);
    editor->comboBoxChanged (&box);
    EXPECT_EQ (sent.size(), 2u) << "another box, or no selection, sends nothing";
}
