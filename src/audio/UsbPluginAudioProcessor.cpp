#include "UsbPluginAudioProcessor.h"

#include "ChannelMode.h"
#include "MeterRemoteCommand.h"
#include "i18n/PreferredLanguage.h"
#include "i18n/TranslationTable.h"
#include "gui/UsbPluginAudioProcessorEditor.h"
#include "lookandfeel/KestroLookAndFeel.h"
#include "settings/ProcessorStateBlock.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace
{
/** The rates a plug-in host may run the processor at. */
const double m_sHostSampleRates[] = { 44100.0, 48000.0, 88200.0, 96000.0 };

const char* const m_sNotImplemented = "The method or operation is not implemented.";

juce::String _environmentValue (const char* name)
{
    const char* value = std::getenv (name);
    return value != nullptr ? juce::String::fromUTF8 (value) : juce::String();
}

/** The language code of the current locale ("de" for de_DE.UTF-8): the locale the C library
    would take for messages, from LC_ALL, else LC_MESSAGES, else LANG. */
juce::String _localeLanguageCode()
{
    return PreferredLanguage::fromValues ({}, _environmentValue ("LC_ALL"), _environmentValue ("LC_MESSAGES"),
                                          _environmentValue ("LANG"))
               .upToFirstOccurrenceOf ("-", false, false);
}

juce::String _unsupportedRateText (double sampleRate)
{
    const juce::String kiloHertz (sampleRate / 1000.0);

    if (_localeLanguageCode() == "de")
        return "Die Samplerate " + kiloHertz + juce::String::fromUTF8 (" kHz wird nicht unterst\xc3\xbctzt.");

    return "The samplerate " + kiloHertz + " kHz is not supported.";
}

int _hostFamily (const juce::PluginHostType& host)
{
    if (host.isProTools())     return 1;
    if (host.isCubase())       return 4;
    if (host.isNuendo())       return 5;
    if (host.isWavelab())      return 6;
    if (host.isLogic())        return 7;
    if (host.isReaper())       return 11;
    if (host.isAbletonLive())  return 12;
    if (host.isPremiere())     return 13;
    if (host.isStudioOne())    return 14;
    return 0;
}

bool _isMachineControlCommand (const juce::MidiMessage& message)
{
    const auto* bytes = message.getRawData();
    return message.getRawDataSize() >= 6 && bytes[0] == 0xf0 && bytes[1] == 0x7f && bytes[3] == 0x06;
}
} // namespace

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
    hostId = _hostFamily (juce::PluginHostType());

    deviceHandler.addChangeListener (this);
    delayedThreadStarter.startTimer (1000);
    startTimer (2000);
}

UsbPluginAudioProcessor::~UsbPluginAudioProcessor()
{
    // Not under processorLock: editorBeingDeleted takes the framework's editor lock, which is
    // always taken before processorLock (see createEditor).
    if (auto* editor = getActiveEditor())
        editorBeingDeleted (editor);

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

void UsbPluginAudioProcessor::prepareToPlay (double sampleRate, int)
{
    if (std::find (std::begin (m_sHostSampleRates), std::end (m_sHostSampleRates), sampleRate) == std::end (m_sHostSampleRates))
    {
        // The meter handler keeps the format it had; nothing reaches it while inactive.
        _setPluginActive (false, _unsupportedRateText (sampleRate), false);
        return;
    }

    inputSampleRate = (int) sampleRate;

    if (_validateChannelConfig())
        _setPluginActive (true, {}, false);

    deviceHandler.prepareForDevices ((unsigned long) requiredInputChannels, inputSampleRate);
}

void UsbPluginAudioProcessor::releaseResources() {}

void UsbPluginAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    midi.clear();

    // Channels past the inputs hold whatever the host left in them; those are not audio to pass.
    const int numInputs = juce::jmin (getTotalNumInputChannels(), buffer.getNumChannels());

    for (int channel = numInputs; channel < buffer.getNumChannels(); ++channel)
        buffer.clear (channel, 0, buffer.getNumSamples());

    processBlock (buffer.getArrayOfReadPointers(), numInputs, buffer.getNumSamples());
}

void UsbPluginAudioProcessor::prepareToAnalyze (int)                                            { throw std::logic_error (m_sNotImplemented); }
void UsbPluginAudioProcessor::analyzeAudio (juce::AudioBuffer<float>&)                          { throw std::logic_error (m_sNotImplemented); }
void UsbPluginAudioProcessor::prepareToProcess (int)                                            { throw std::logic_error (m_sNotImplemented); }
void UsbPluginAudioProcessor::processAudio (juce::AudioBuffer<float>&, juce::AudioBuffer<float>&) { throw std::logic_error (m_sNotImplemented); }

double UsbPluginAudioProcessor::getTailLengthSeconds() const { return 0.0; }
bool UsbPluginAudioProcessor::acceptsMidi() const { return false; }
bool UsbPluginAudioProcessor::producesMidi() const { return false; }

juce::AudioProcessorEditor* UsbPluginAudioProcessor::createEditor()
{
    // createEditorIfNeeded calls this holding the framework's editor lock: that lock comes first.
    const juce::ScopedLock sl (processorLock);
    return new UsbPluginAudioProcessorEditor (*this);
}

bool UsbPluginAudioProcessor::hasEditor() const { return true; }
int UsbPluginAudioProcessor::getNumPrograms() { return 1; }
int UsbPluginAudioProcessor::getCurrentProgram() { return 0; }
void UsbPluginAudioProcessor::setCurrentProgram (int) {}
const juce::String UsbPluginAudioProcessor::getProgramName (int) { return {}; }
void UsbPluginAudioProcessor::changeProgramName (int, const juce::String&) {}

void UsbPluginAudioProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    writeStateBlock (*this, destData);
}

void UsbPluginAudioProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    // The block is read into a stand-alone owner with the same keys: the reader may resize or
    // replace the list it loads, and the input audio thread reads channelMapping meanwhile.
    Data restored;
    IntListAttribute mapping;
    BoolAttribute connected;
    mapping.init (&restored, channelMapping.key, channelMapping.displayName);
    connected.init (&restored, solvinConnected.key, solvinConnected.displayName);

    {
        const juce::ScopedReadLock sl (solvinConnected.lock);
        connected.value = solvinConnected.value;   // a block without the element keeps it
    }

    if (! readStateBlock (restored, data, sizeInBytes))
        return;

    {
        const juce::ScopedWriteLock sl (channelMapping.lock);
        const ScopedChannelMappingWrite batch (*this);
        const int numInputs = _getNumInputChannels();

        for (size_t i = 0; i < std::min (mapping.size(), channelMapping.size()); ++i)
            setChannelMappingEntry (i, mapping[i], numInputs);

        channelMapping.saveState();
    }

    {
        const juce::ScopedWriteLock sl (solvinConnected.lock);
        solvinConnected.value = connected.value;
        solvinConnected.saveState();
    }

    restoreRouting = connected.value;
}

int UsbPluginAudioProcessor::getNumParameters()                                  { return 0; }
const juce::String UsbPluginAudioProcessor::getParameterName (int)               { return {}; }
const juce::String UsbPluginAudioProcessor::getParameterText (int)               { return {}; }
float UsbPluginAudioProcessor::getParameter (int)                                { return 0.0f; }
void UsbPluginAudioProcessor::setParameter (int, float)                          {}
const juce::String UsbPluginAudioProcessor::getInputChannelName (int channelIndex) const  { return juce::String (channelIndex + 1); }
const juce::String UsbPluginAudioProcessor::getOutputChannelName (int channelIndex) const { return juce::String (channelIndex + 1); }
bool UsbPluginAudioProcessor::isInputChannelStereoPair (int) const               { return true; }
bool UsbPluginAudioProcessor::isOutputChannelStereoPair (int) const              { return true; }
bool UsbPluginAudioProcessor::silenceInProducesSilenceOut() const                { return true; }

void UsbPluginAudioProcessor::processBlock (const float* const* inputs, int numChannels, int numSamples) noexcept
{
    if (! pluginActive)
        return;

    // Logical channel i plays input channel mapping[i]. One snapshot for the whole block: every
    // entry comes from the same published mapping.
    const float* mapped[RealtimeChannelMapping::numEntries] = {};
    const int numMapped = juce::jmin (numChannels, RealtimeChannelMapping::numEntries);
    const auto mapping = realtimeMapping.snapshot();

    // A mapping that does not name each of this block's channels once (one written for another
    // device, before the notification that fits it to this one) plays the channels unmapped.
    const bool usable = mapping.isPermutationOfFirst (numMapped);

    for (int i = 0; i < numMapped; ++i)
        mapped[i] = inputs[usable ? mapping[i] : i];

    deviceHandler.processAudio (mapped, numMapped, numSamples);
}

bool UsbPluginAudioProcessor::setChannelMappingEntry (size_t index, int inputChannel, int numActiveInputs)
{
    if (index >= (size_t) RealtimeChannelMapping::numEntries || index >= channelMapping.size()
        || ! juce::isPositiveAndBelow (inputChannel, juce::jmin (numActiveInputs, RealtimeChannelMapping::numEntries)))
        return false;

    channelMapping[index] = inputChannel;
    realtimeMapping.set ((int) index, inputChannel);

    if (channelMappingWriteDepth == 0)
        realtimeMapping.publish();

    return true;
}

bool UsbPluginAudioProcessor::mappingSuitsInputs (const std::vector<int32_t>& entries, int numActiveInputs)
{
    constexpr int numEntries = RealtimeChannelMapping::numEntries;

    if (entries.size() != (size_t) numEntries
        || ! std::all_of (entries.begin(), entries.end(), [] (int32_t e) { return juce::isPositiveAndBelow (e, numEntries); }))
        return false;

    const int n = juce::jlimit (0, numEntries, numActiveInputs);
    unsigned int seen = 0;

    for (int i = 0; i < n; ++i)
        if (entries[(size_t) i] < n)
            seen |= 1u << entries[(size_t) i];

    return seen == (1u << n) - 1u;
}

std::vector<int32_t> UsbPluginAudioProcessor::withIdentityPrefix (std::vector<int32_t> entries, int numActiveInputs)
{
    const int n = juce::jlimit (0, (int) entries.size(), numActiveInputs);

    for (int i = 0; i < n; ++i)
    {
        auto& entry = entries[(size_t) i];

        if (entry == i)
            continue;

        // Entries before i hold 0 to i - 1 by now, so a holder of i comes after it.
        const auto holder = std::find (entries.begin() + i + 1, entries.end(), i);

        if (holder != entries.end())
            *holder = entry;

        entry = i;
    }

    return entries;
}

bool UsbPluginAudioProcessor::setChannelMapping (const std::vector<int32_t>& entries, int numActiveInputs)
{
    if (channelMapping.size() != entries.size() || ! mappingSuitsInputs (entries, numActiveInputs))
        return false;

    const ScopedChannelMappingWrite batch (*this);

    for (size_t i = 0; i < entries.size(); ++i)
        setChannelMappingEntry (i, entries[i], RealtimeChannelMapping::numEntries);

    return true;
}

bool UsbPluginAudioProcessor::swapChannelMappingEntries (size_t index, int inputChannel, int numActiveInputs)
{
    const int n = juce::jlimit (0, RealtimeChannelMapping::numEntries, numActiveInputs);

    if (index >= channelMapping.size() || ! juce::isPositiveAndBelow ((int) index, n)
        || ! juce::isPositiveAndBelow (inputChannel, n))
        return false;

    std::vector<int32_t> swapped (channelMapping.begin(), channelMapping.end());
    const auto partner = std::find (swapped.begin(), swapped.end(), inputChannel);

    if (partner != swapped.end())
        *partner = swapped[index];

    swapped[index] = inputChannel;

    // A mapping that did not name each input once (one written for another device) is mended
    // around the choice: the other entries that name no input, or one named before them, take
    // the inputs no entry names, lowest first.
    unsigned int named = 1u << inputChannel;
    std::vector<size_t> unnamed;

    for (size_t i = 0; i < (size_t) n; ++i)
    {
        if (i == index)
            continue;

        if (const int entry = swapped[i]; entry < n && (named & (1u << entry)) == 0)
            named |= 1u << entry;
        else
            unnamed.push_back (i);
    }

    int free = 0;

    for (auto i : unnamed)
    {
        while ((named & (1u << free)) != 0)
            ++free;

        swapped[i] = free;
        named |= 1u << free;
    }

    return setChannelMapping (swapped, n);
}

void UsbPluginAudioProcessor::resetChannelMapping (int numActiveInputs)
{
    setChannelMapping (withIdentityPrefix ({ channelMapping.begin(), channelMapping.end() }, numActiveInputs),
                       numActiveInputs);
}

UsbPluginAudioProcessor::ScopedChannelMappingWrite::ScopedChannelMappingWrite (UsbPluginAudioProcessor& processorToUse) noexcept
    : processor (processorToUse)
{
    ++processor.channelMappingWriteDepth;
}

UsbPluginAudioProcessor::ScopedChannelMappingWrite::~ScopedChannelMappingWrite()
{
    if (--processor.channelMappingWriteDepth == 0)
        processor.realtimeMapping.publish();
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

void UsbPluginAudioProcessor::handleIncomingMidiMessage (juce::MidiInput*, const juce::MidiMessage& message)
{
    if (! _isMachineControlCommand (message))
        return;

    const auto command = message.getRawData()[4];

    if (command == MeterRemoteCommand::m_sRemoteCommands[0].command)
        remotePlaying = true;
    else if (command == MeterRemoteCommand::m_sRemoteCommands[1].command)
        remotePlaying = false;

    // Components belong to the message thread. The processor is reached there through a weak
    // reference (its observer part, referenced since construction), so a processor destroyed
    // before delivery is passed over; the buttons follow the latest state.
    juce::WeakReference<AttributeObserver> self (this);

    juce::MessageManager::callAsync ([self]
    {
        auto* processor = dynamic_cast<UsbPluginAudioProcessor*> (self.get());
        if (processor == nullptr)
            return;

        if (auto* editor = dynamic_cast<UsbPluginAudioProcessorEditor*> (processor->getActiveEditor()))
        {
            const bool playing = processor->remotePlaying;
            editor->startButton.setEnabled (! playing);
            editor->stopButton.setEnabled (playing);
        }
    });
}

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

void UsbPluginAudioProcessor::_setPluginActive (bool active, const juce::String& text, bool)
{
    auto* editor = dynamic_cast<UsbPluginAudioProcessorEditor*> (getActiveEditor());

    if (active)
    {
        inactiveText.clear();

        if (editor != nullptr && ! pluginActive)
            editor->postInactiveState (false, {});
    }
    else
    {
        inactiveText = text;

        if (editor != nullptr)
            editor->postInactiveState (true, text);
    }

    pluginActive = active;
}

void UsbPluginAudioProcessor::_postRoutingUpdateToEditor()
{
    if (auto* editor = dynamic_cast<UsbPluginAudioProcessorEditor*> (getActiveEditor()))
        editor->postRoutingUpdate();
}
