#include "UsbPluginAudioProcessorEditor.h"

#include "AudioRoutingMenuPanel.h"
#include "ActiveBarsButton.h"
#include "AudioSettingsMenuTab.h"
#include "BackgroundPanelWithText.h"
#include "FrameComponent.h"
#include "MenuWindowBase.h"
#include "USBMenu.h"

#include "audio/ChannelMode.h"
#include "audio/MeterRemoteCommand.h"
#include "audio/UsbPluginAudioProcessor.h"
#include "lookandfeel/KestroColors.h"
#include "lookandfeel/KestroLookAndFeel.h"

#include <BinaryData.h>

#include <algorithm>
#include <iterator>

namespace
{
juce::Image picture (const char* data, int size)
{
    return juce::ImageCache::getFromMemory (data, size);
}

#define KESTRO_PICTURE(name) picture (BinaryData::name##_png, BinaryData::name##_pngSize)

// The remote buttons in the order of the meter's remote commands, which give their captions and
// command bytes.
MenuButton UsbPluginAudioProcessorEditor::* const s_remoteButtons[] = {
    &UsbPluginAudioProcessorEditor::startButton,
    &UsbPluginAudioProcessorEditor::stopButton,
    &UsbPluginAudioProcessorEditor::resetLoudnessButton,
    &UsbPluginAudioProcessorEditor::timeButton,
    &UsbPluginAudioProcessorEditor::refUpButton,
    &UsbPluginAudioProcessorEditor::refDownButton,
};
static_assert (std::size (s_remoteButtons) == std::tuple_size_v<decltype (MeterRemoteCommand::m_sRemoteCommands)>);

constexpr int s_dockHeight = 50;
constexpr int s_hoverSquareSize = 50;
} // namespace

const juce::String UsbPluginAudioProcessorEditor::s_presetNames[3] = { "RTA", "Vectorscope", "Chart" };

UsbPluginAudioProcessorEditor::UsbPluginAudioProcessorEditor (UsbPluginAudioProcessor& owner)
    : juce::AudioProcessorEditor (owner),
      processor (&owner),
      deviceHandler (&owner.deviceHandler),
      okButton ("OK"),
      solvinButton ("SolvinButton"),
      settingsButton ("SettingsButton"),
      solvinConnected (&owner.solvinConnected)
{
    frame = new FrameComponent();

    // Without a parent the tooltip window is its own desktop window and serves every component of
    // the program. JUCE makes it opaque; the theme draws a rounded box whose corners must stay clear.
    tooltipWindow = new juce::TooltipWindow (nullptr, 450);
    tooltipWindow->setOpaque (false);
    tooltipWindow->setLookAndFeel (UsbPluginAudioProcessor::s_lookAndFeel);

    menuWindow = new MenuWindowBase (*this, KESTRO_PICTURE (settings_normal));
    usbMenu = new USBMenu (processor);
    menuWindow->setVisible (false);
    menuWindow->setContentNonOwned (usbMenu, false);

    addAndMakeVisible (frame);

    addAndMakeVisible (solvinButton);
    solvinButton.addListener (this);
    solvinButton.addMouseListener (this, false);

    _setPictures (settingsButton, KESTRO_PICTURE (settings_normal), KESTRO_PICTURE (settings_hover),
                  KESTRO_PICTURE (settings_pressed));
    addAndMakeVisible (settingsButton);
    settingsButton.addListener (this);
    settingsButton.addMouseListener (this, false);

    // None of the captions has a translation, so they read the same in every language.
    for (size_t i = 0; i < std::size (s_remoteButtons); ++i)
    {
        auto& button = this->*s_remoteButtons[i];
        const char* caption = MeterRemoteCommand::m_sRemoteCommands[i].caption;
        button.untranslatedText = caption;
        button.setButtonText (juce::translate (caption));
    }

    for (auto member : s_remoteButtons)
    {
        auto& button = this->*member;
        addAndMakeVisible (button);
        button.addListener (this);
        button.setEnabled (false);
    }

    updateSolvinState();
    startTimer (2000);
    setSize (220, 300);

    processor->delayedUpdateChecker.startTimer (5000);
}

UsbPluginAudioProcessorEditor::~UsbPluginAudioProcessorEditor()
{
    removeChildComponent (frame);
    delete frame;
    frame = nullptr;

    removeChildComponent (&okButton);
    removeChildComponent (&solvinButton);
    removeChildComponent (&settingsButton);

    for (auto member : s_remoteButtons)
        removeChildComponent (&(this->*member));

    removeChildComponent (&presetComboBox);

    // A choice still open when the editor goes is deleted with it.
    _removeChannelModeChoice();

    menuWindow->clearContentComponent();
    delete usbMenu;
    usbMenu = nullptr;
    delete menuWindow;
    menuWindow = nullptr;
    delete tooltipWindow;
    tooltipWindow = nullptr;
}

//==============================================================================
void UsbPluginAudioProcessorEditor::mouseEnter (const juce::MouseEvent& e)
{
    if (e.eventComponent == &settingsButton || e.eventComponent == &solvinButton)
        repaint();
}

void UsbPluginAudioProcessorEditor::mouseExit (const juce::MouseEvent& e)
{
    if (e.eventComponent == &settingsButton || e.eventComponent == &solvinButton)
        repaint();
}

void UsbPluginAudioProcessorEditor::paint (juce::Graphics& g)
{
    const int w = getWidth(), h = getHeight();

    if (! active)
    {
        // The main window is opaque, so the editor covers itself even with nothing to show:
        // otherwise the window would keep whatever was drawn there before.
        g.fillAll (KestroColors::black);

        if (inactiveText.isNotEmpty())
        {
            g.setColour (KestroColors::white);
            g.setFont (juce::Font ("Verdana", 18.0f, juce::Font::plain));
            g.drawFittedText (inactiveText, 30, 0, w - 60, h - 15, juce::Justification::centred, 10, 0.8f);
        }

        return;
    }
    const int dockTop = h - 87;

    g.fillAll (KestroColors::black);

    // The frame's dark inside, painted here rather than by the frame so that the dock lies on it.
    g.setColour (juce::Colour (0xff0e0e0e));
    g.fillRect (16, 16, w - 32, h - 56);

    g.setColour (KestroColors::kestro_dock_background);
    g.fillRect (19, dockTop, w - 38, s_dockHeight);

    const auto separator = KESTRO_PICTURE (separator);
    if (separator.isValid())
        g.drawImageAt (separator, (w - separator.getWidth()) / 2, dockTop - separator.getHeight());

    _paintHoverSquare (g, solvinButton);
    _paintHoverSquare (g, settingsButton);
}

void UsbPluginAudioProcessorEditor::_paintHoverSquare (juce::Graphics& g, const juce::Button& button)
{
    if (! button.isMouseOver (false) && ! button.isMouseButtonDown (false))
        return;

    g.setColour (KestroColors::dark_grey);
    g.fillRect (button.getX() - (s_hoverSquareSize - button.getWidth()) / 2, getHeight() - 87,
                s_hoverSquareSize, s_hoverSquareSize);
}

void UsbPluginAudioProcessorEditor::resized()
{
    const int w = getWidth(), h = getHeight();

    okButton.setBounds (w / 2 - 75, (int) (h / 1.5), 150, 26);
    okButton.addListener (this);

    frame->setBounds (0, 0, w, h);

    if (channelModePanel != nullptr)
    {
        channelModePanel->setBounds (99, 205, w - 198, h - 415);

        if (! channelModeButtons.empty())
        {
            // Laid out for an editor at least 415 px high; in a smaller one the sizes go
            // negative and the framework shows nothing.
            const int buttonWidth = (int) ((double) (w - 228) / (double) channelModeButtons.size() + 0.5);
            const int y = channelModePanel->getY() + channelModePanel->getHeight() / 2;

            for (size_t i = 0; i < channelModeButtons.size(); ++i)
                channelModeButtons[i]->setBounds (114 + (int) i * buttonWidth, y, buttonWidth, 34);
        }
    }

    if (! active)
        return;

    const int c = w - 38;
    const int d = (h - 116) / 5;

    startButton.setBounds (19, 19, c, d);
    stopButton.setBounds (19, d + 21, c, d);
    resetLoudnessButton.setBounds (19, 2 * d + 23, c, d);
    timeButton.setBounds (19, 3 * d + 25, c, d);
    refUpButton.setBounds (19, 4 * d + 27, c / 2 - 1, d);
    refDownButton.setBounds (c / 2 + 20, 4 * d + 27, c / 2 - 1, d);
    solvinButton.setBounds (31, h - 81, 41, 41);
    settingsButton.setBounds (w - 72, h - 81, 41, 41);
}

//==============================================================================
void UsbPluginAudioProcessorEditor::buttonClicked (juce::Button* button)
{
    if (button == &settingsButton)
    {
        if (menuWindow->isVisible())
        {
            menuWindow->setVisible (false);
        }
        else
        {
            menuWindow->setVisible (true);
            menuWindow->toFront (true);
        }
    }
    else if (button == &solvinButton)
    {
        _onRoutingClicked();
    }
    else if (button == &okButton)
    {
        removeChildComponent (&okButton);
        processor->prepareToPlay ((double) (int) processor->getSampleRate(), processor->getBlockSize());
    }
    else if (button == nullptr
             || std::find (channelModeButtons.begin(), channelModeButtons.end(), button) != channelModeButtons.end())
    {
        _onChannelModeClicked (button);
    }
    else
    {
        for (size_t i = 0; i < std::size (s_remoteButtons); ++i)
            if (button == &(this->*s_remoteButtons[i]))
                _sendRemoteCommand (MeterRemoteCommand::m_sRemoteCommands[i].createMessage());
    }

    active = true;
}

void UsbPluginAudioProcessorEditor::_onRoutingClicked()
{
    const int state = deviceHandler->deviceState.load();

    if (state == DeviceState::DeviceReady)
    {
        // The busy look stays until the next refresh: the handler's broadcast after opening, or
        // the 2000 ms timer.
        const auto busy = KESTRO_PICTURE (routing_busy);
        _setPictures (solvinButton, busy, busy, busy);
        solvinButton.setTooltip (juce::translate ("tt_deviceBusy"));
        repaint();

        // The wake-up makes the request visible to the handler thread, which then opens the
        // meter and broadcasts the new state.
        if (deviceHandler->routingEnabled)
        {
            deviceHandler->requestedState = DeviceState::Routing;
            deviceHandler->notify();
        }

        solvinConnected->setValue (true);
    }
    else if (state == DeviceState::Routing)
    {
        deviceHandler->requestedState = DeviceState::DeviceReady;
        deviceHandler->notify();
        solvinConnected->setValue (false);
    }
    else if (state == DeviceState::NotSupported)
    {
        deviceHandler->requestedState = DeviceState::NotSupported;
        deviceHandler->notify();
        solvinConnected->setValue (false);
    }
}

void UsbPluginAudioProcessorEditor::_sendRemoteCommand (const juce::MidiMessage& message)
{
    // The handler replaces its MIDI output under the same lock.
    const juce::ScopedLock sl (deviceHandler->stateLock);
    if (deviceHandler->midiOutput != nullptr)
        deviceHandler->midiOutput->sendMessageNow (message);
}

void UsbPluginAudioProcessorEditor::_rebuildRoutingRows()
{
    // After every input-device change, whether or not the channel mode changed, the settings
    // window's routing rows are rebuilt here for the processor's current channel mode, then its
    // Audio tab is laid out again without animation.
    if (usbMenu == nullptr || usbMenu->audioTab == nullptr)
        return;

    auto* audioTab = usbMenu->audioTab;
    if (auto* routingPanel = audioTab->getRoutingPanel())
        routingPanel->updateWholePanelContent();

    audioTab->updatePanels (false);
}

void UsbPluginAudioProcessorEditor::timerCallback()
{
    updateSolvinState();
}

//==============================================================================
juce::String UsbPluginAudioProcessorEditor::_composeTooltip (const char* firstKey, const juce::String& name,
                                                            const char* secondKey) const
{
    return (juce::translate (firstKey) + juce::translate (name) + juce::translate (secondKey)).trim();
}

void UsbPluginAudioProcessorEditor::_setPictures (juce::ImageButton& button, const juce::Image& normal,
                                                  const juce::Image& over, const juce::Image& down)
{
    const juce::Colour noOverlay (0x00000000);
    button.setImages (false, true, true, normal, 1.0f, noOverlay, over, 1.0f, noOverlay, down, 1.0f, noOverlay, 0.0f);
}

void UsbPluginAudioProcessorEditor::updateSolvinState()
{
    const int state = deviceHandler->deviceState.load();
    juce::String name = deviceHandler->productName;
    if (name.isEmpty())
        name = "usbDevice";

    switch (state)
    {
        case DeviceState::Inactive:
        case DeviceState::Searching:
            solvinButton.setEnabled (false);
            _setPictures (solvinButton, KESTRO_PICTURE (routing_disconnected_normal),
                          KESTRO_PICTURE (routing_disconnected_hover), KESTRO_PICTURE (routing_disconnected_pressed));
            solvinButton.setTooltip (_composeTooltip ("tt_deviceDisconnected_1", name, "tt_deviceDisconnected_2"));
            break;

        case DeviceState::DeviceReady:
            solvinButton.setEnabled (true);
            _setPictures (solvinButton, KESTRO_PICTURE (routing_ready_normal),
                          KESTRO_PICTURE (routing_ready_hover), KESTRO_PICTURE (routing_ready_pressed));
            solvinButton.setTooltip (_composeTooltip ("tt_deviceEnableRouting_1", name, "tt_deviceEnableRouting_2"));
            break;

        case DeviceState::Routing:
            solvinButton.setEnabled (true);
            _setPictures (solvinButton, KESTRO_PICTURE (routing_on_normal),
                          KESTRO_PICTURE (routing_on_hover), KESTRO_PICTURE (routing_on_pressed));
            solvinButton.setTooltip (_composeTooltip ("tt_deviceDisableRouting_1", name, "tt_deviceDisableRouting_2"));
            break;

        case DeviceState::UnsupportedFormat:
        {
            solvinButton.setEnabled (false);
            const auto unsupported = KESTRO_PICTURE (routing_unsupported);
            _setPictures (solvinButton, unsupported, unsupported, unsupported);
            solvinButton.setTooltip (_composeTooltip ("tt_deviceInvalidChannelSetup_1", name, "tt_deviceInvalidChannelSetup_2"));
            break;
        }

        case DeviceState::NotSupported:
        {
            solvinButton.setEnabled (true);
            const auto unsupported = KESTRO_PICTURE (routing_unsupported);
            _setPictures (solvinButton, unsupported, unsupported, unsupported);
            solvinButton.setTooltip (juce::translate ("tt_deviceNotSupported"));
            break;
        }

        default:
            break;
    }

    const bool midiOpen = deviceHandler->hasMidiOutput();
    for (auto member : s_remoteButtons)
        (this->*member).setEnabled (midiOpen);

    repaint();
}
