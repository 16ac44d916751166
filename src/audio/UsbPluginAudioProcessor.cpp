#include "UsbPluginAudioProcessor.h"

#include "ChannelMode.h"
#include "TranslationTable.h"
#include "gui/UsbPluginAudioProcessorEditor.h"
#include "lookandfeel/KestroLookAndFeel.h"

bool UsbPluginAudioProcessor::s_enableAutoUpdate = true;
KestroLookAndFeel* UsbPluginAudioProcessor::s_lookAndFeel = nullptr;
int UsbPluginAudioProcessor::s_instanceCounter = 0;

UsbPluginAudioProcessor::UsbPluginAudioProcessor (const AudioDeviceTypeFactory& deviceTypes,
                                                  std::shared_ptr<MidiPortProvider> midiPorts)
    : juce::AudioProcessor (BusesProperties()
                                .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                                .withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
      deviceHandler (this, deviceTypes, std::move (midiPorts)),
      delayedThreadStarter (deviceHandler)
{
    if (s_instanceCounter++ == 0)
    {
        s_lookAndFeel = new KestroLookAndFeel();
        juce::LookAndFeel::setDefaultLookAndFeel (s_lookAndFeel);
    }

    channelMapping.init (this, L"ChannelMapping", L"Input Routing");
    channelMapping.saveState();
    channelMapping.assign ({ 0, 1, 2, 3, 4, 5 }); // realtimeMapping starts as the same identity
    channelMapping.saveState();

    {
        const juce::ScopedWriteLock sl (solvinConnected.lock);
        solvinConnected.init (this, L"SolvinConnected", L"Solvin Connected");
        solvinConnected.value = false;
        solvinConnected.saveState();
    }

    TranslationTable::installForPreferredLanguage();

    deviceHandler.addChangeListener (this);
    delayedThreadStarter.startTimer (1000);
    startTimer (2000);
}

UsbPluginAudioProcessor::~UsbPluginAudioProcessor()
{
    {
        const juce::ScopedLock sl (processorLock);
        if (auto* editor = dynamic_cast<UsbPluginAudioProcessorEditor*> (getActiveEditor()))
            editorBeingDeleted (editor);
    }

    stopTimer();
    delayedThreadStarter.stopTimer();
    deviceHandler.removeChangeListener (this);
    deviceHandler.stopThread (-1);

    if (--s_instanceCounter == 0)
    {
        // Nothing may still draw with the theme: the editor went before its processor.
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
        delete s_lookAndFeel;
        s_lookAndFeel = nullptr;
    }
}

//==============================================================================
const juce::String UsbPluginAudioProcessor::getName() const { return "Kestro Vantrel Standalone"; }
void UsbPluginAudioProcessor::prepareToPlay (double, int) {}
void UsbPluginAudioProcessor::releaseResources() {}

void UsbPluginAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    buffer.clear();
}

double UsbPluginAudioProcessor::getTailLengthSeconds() const { return 0.0; }
bool UsbPluginAudioProcessor::acceptsMidi() const { return false; }
bool UsbPluginAudioProcessor::producesMidi() const { return false; }

juce::AudioProcessorEditor* UsbPluginAudioProcessor::createEditor()
{
    const juce::ScopedLock sl (processorLock);
    return new UsbPluginAudioProcessorEditor (*this);
}

bool UsbPluginAudioProcessor::hasEditor() const { return true; }
int UsbPluginAudioProcessor::getNumPrograms() { return 1; }
int UsbPluginAudioProcessor::getCurrentProgram() { return 0; }
void UsbPluginAudioProcessor::setCurrentProgram (int) {}
const juce::String UsbPluginAudioProcessor::getProgramName (int) { return {}; }
void UsbPluginAudioProcessor::changeProgramName (int, const juce::String&) {}
void UsbPluginAudioProcessor::getStateInformation (juce::MemoryBlock&) {}
void UsbPluginAudioProcessor::setStateInformation (const void*, int) {}

void UsbPluginAudioProcessor::processBlock (const float* const* inputs, int numChannels, int numSamples) noexcept
{
    if (! pluginActive)
        return;

    // Logical channel i plays input channel mapping[i]. An entry that does not name a channel of
    // this block (a mapping written for a wider device that has just been replaced) gives silence.
    const float* mapped[RealtimeChannelMapping::numEntries] = {};
    const int numMapped = juce::jmin (numChannels, RealtimeChannelMapping::numEntries);

    for (int i = 0; i < numMapped; ++i)
    {
        const int source = realtimeMapping.load (i);
        if (juce::isPositiveAndBelow (source, numChannels))
            mapped[i] = inputs[source];
    }

    deviceHandler.processAudio (mapped, numMapped, numSamples);
}

bool UsbPluginAudioProcessor::setChannelMappingEntry (size_t index, int inputChannel, int numActiveInputs)
{
    if (index >= (size_t) RealtimeChannelMapping::numEntries || index >= channelMapping.size()
        || ! juce::isPositiveAndBelow (inputChannel, juce::jmin (numActiveInputs, RealtimeChannelMapping::numEntries)))
        return false;

    channelMapping[index] = inputChannel;
    realtimeMapping.store ((int) index, inputChannel);
    return true;
}

std::vector<int> UsbPluginAudioProcessor::getLogicalChannelsUnmapped() const
{
    switch (channelMode)
    {
        case ChannelMode::None:              return {};
        case ChannelMode::Stereo:            return { 0, 1 };
        case ChannelMode::Lcrs:              return { 0, 1, 2, 3 };
        case ChannelMode::FivePointZero:     return { 0, 1, 2, 5, 6 };
        case ChannelMode::FivePointOne:      return { 0, 1, 2, 4, 5, 6 };
        case ChannelMode::SevenPointOneSdds: return { 0, 1, 2, 4, 5, 6, 7, 8 };
        case ChannelMode::SevenPointOne:     return { 0, 1, 2, 4, 9, 10, 36, 37 };
        case ChannelMode::Mono:
        default:                             return { 11 };
    }
}

//==============================================================================
void UsbPluginAudioProcessor::timerCallback()
{
    const juce::ScopedLock sl (deviceHandler.stateLock);
    deviceHandler._updateDeviceState (true);
}

void UsbPluginAudioProcessor::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source != &deviceHandler)
        return;

    auto* editor = dynamic_cast<UsbPluginAudioProcessorEditor*> (getActiveEditor());

    if (restoreRouting)
    {
        if (deviceHandler.deviceState == DeviceState::DeviceReady && deviceHandler.routingEnabled)
        {
            deviceHandler.requestedState = DeviceState::Routing;
            deviceHandler.notify();
        }

        restoreRouting = false;
    }

    if (editor != nullptr)
        editor->updateSolvinState();
}

void UsbPluginAudioProcessor::handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage&) {}

bool UsbPluginAudioProcessor::_validateChannelConfig()
{
    // Host family 6 through the VST wrapper is taken to offer six inputs, whatever its buses say.
    const bool sixInputHost = hostId == 6 && wrapperType == wrapperType_VST;
    availableInputChannels = sixInputHost ? 6 : (size_t) juce::jmax (0, _getNumInputChannels());

    if (channelModeChosen)
        return availableInputChannels >= requiredInputChannels;

    const int numInputs = _getNumInputChannels();
    requiredInputChannels = (size_t) juce::jmax (0, numInputs);

    switch (numInputs)
    {
        case 1:  channelMode = ChannelMode::Mono; break;
        case 2:  channelMode = ChannelMode::Stereo; break;
        case 6:  channelMode = ChannelMode::FivePointOne; break;
        default: return false;
    }

    return ! sixInputHost;
}

int UsbPluginAudioProcessor::_getNumInputChannels()
{
    return getTotalNumInputChannels();
}
