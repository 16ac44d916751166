#include "AudioDeviceHandler.h"

#include "JuceMidiPortProvider.h"
#include "MeterDeviceNameMatcher.h"
#include "RegisterCallbackMessage.h"

#include <algorithm>
#include <iterator>

namespace
{
/** The meter's output device names, searched in this order: the later one wins when both exist.
    On the ALSA types the meter's devices are named after its sound card (MeterDeviceNameMatcher). */
const juce::String m_sDeviceNames[] = { "PV4 Output", "KM7-Solvin Output" };

/** A MIDI output port is the meter's when its name contains one of these (case-sensitive). */
const juce::String m_sMidiOutNames[] = { "Kestro MIDI Out", "KM7-Solvin", "XMOS USB Audio", "xCORE USB Audio", "PV4" };

constexpr int s_meterBufferSize = 64;
constexpr int s_probeOutputChannels = 2;

/** While routing, the handler thread looks this often whether the meter still calls back, and
    counts the meter as gone when input has arrived for s_meterSilenceMs without a meter callback. */
constexpr int s_meterWatchIntervalMs = 100;
constexpr juce::uint32 s_meterSilenceMs = 500;

/** How long an opening waits for the meter's outputs to be connected (JACK) before it gives up. */
constexpr juce::uint32 s_meterOutputsWaitMs = 2000;

bool isValidInputFormat (unsigned long numChannels, int sampleRate)
{
    return (numChannels == 2 || numChannels == 6) && sampleRate >= 44100 && sampleRate <= 96000;
}
} // namespace

AudioDeviceHandler::AudioDeviceHandler (juce::MidiInputCallback* owner,
                                        const AudioDeviceTypeFactory& deviceTypes,
                                        std::shared_ptr<MidiPortProvider> midiPorts)
    : juce::Thread ("USB Audio Device Handler"),
      midiInputCallback (owner),
      deviceTypeFactory (deviceTypes),
      midiPortProvider (midiPorts != nullptr ? std::move (midiPorts) : std::make_shared<JuceMidiPortProvider>())
{
    // JUCE makes a weak-reference master on first use, without a lock. The handler thread and the
    // message thread both make RegisterCallbackMessages, so the master is made here, before either.
    masterReference.getSharedPointer (this);

    addAudioDeviceTypes (outputDeviceManager, deviceTypeFactory);
    outputDeviceManager.addChangeListener (this);
}

AudioDeviceHandler::~AudioDeviceHandler()
{
    stopThread (-1);
    masterReference.clear();

    outputDeviceManager.removeChangeListener (this);
    outputDeviceManager.removeAudioCallback (this);
    outputDeviceManager.closeAudioDevice();
}

//==============================================================================
void AudioDeviceHandler::run()
{
    while (! threadShouldExit())
    {
        // A notify() made before this wait, even before the thread started, is not lost. Only
        // while routing does the thread wake by itself, to see that the meter still plays.
        wait (deviceState == DeviceState::Routing ? s_meterWatchIntervalMs : -1);

        if (threadShouldExit())
            break;

        if (deviceState == DeviceState::Routing && _meterHasFallenSilent())
            _endRoutingWithoutMeter();

        if (strayDeviceOpen.exchange (false))
            _closeStrayDevice();

        if (meterStoppedWhileRouting.exchange (false))
            _checkMeterAfterStop();

        switch (deviceState.load())
        {
            case DeviceState::Searching:
                _updateDeviceState (false);
                break;

            case DeviceState::DeviceReady:
                if (requestedState == DeviceState::Routing)
                    _openMeter();
                else
                    _updateDeviceState (false);
                break;

            case DeviceState::Routing:
                if (requestedState == DeviceState::DeviceReady)
                    _closeMeter();
                break;

            default:
                break;
        }
    }

    // The owner stops this thread from the message thread and waits in stopThread, so nothing
    // else is operating the manager now; the message-manager lock could not be had anyway.
    outputDeviceManager.removeAudioCallback (this);
    outputDeviceManager.closeAudioDevice();
}

//==============================================================================
void AudioDeviceHandler::processAudio (const juce::AudioBuffer<float>& buffer) noexcept
{
    processAudio (buffer.getArrayOfReadPointers(), buffer.getNumChannels(), buffer.getNumSamples());
}

void AudioDeviceHandler::processAudio (const float* const* channels, int numChannels, int numSamples) noexcept
{
    inputBlockCount.fetch_add (1, std::memory_order_relaxed);

    if (! outputActive.load() || ! routingEnabled || numSamples <= 0)
        return;

    const juce::ScopedLock sl (ringLock);

    if (ringCount == 0)
        return;

    // Every ring takes the same count, so the channels stay sample-aligned; an overrun drops the
    // end of the block from all of them.
    auto numToWrite = (size_t) numSamples;

    for (size_t i = 0; i < ringCount; ++i)
        numToWrite = std::min (numToWrite, rings[i]->getFreeSpace());

    if (numToWrite == 0)
        return;

    for (size_t i = 0; i < ringCount; ++i)
    {
        const float* channel = (channels != nullptr && i < (size_t) juce::jmax (0, numChannels)) ? channels[i] : nullptr;

        if (channel != nullptr)
            rings[i]->write (channel, numToWrite);
        else
            rings[i]->writeSilence (numToWrite);
    }
}

void AudioDeviceHandler::audioDeviceIOCallbackWithContext (const float* const*, int,
                                                           float* const* outputChannelData, int numOutputChannels,
                                                           int numSamples,
                                                           const juce::AudioIODeviceCallbackContext&)
{
    meterCallbackCount.fetch_add (1, std::memory_order_relaxed);

    if (numSamples <= 0)
        return;

    size_t numPlayed = 0;

    if (outputActive.load() && routingEnabled)
    {
        const juce::ScopedLock sl (ringLock);

        // Rings built for another channel count than this block's (a start not yet seen) play
        // nothing rather than the wrong channels.
        if (ringCount != 0 && ringCount == (size_t) numOutputChannels)
        {
            auto available = (size_t) numSamples;

            for (size_t j = 0; j < ringCount; ++j)
                available = std::min (available, rings[j]->getFill());

            // All rings advance by the same count, so they stay aligned with each other.
            for (size_t j = 0; j < ringCount; ++j)
                rings[j]->read (outputChannelData[j], available);

            numPlayed = available;
        }
    }

    // An underrun is completed with zeros; with nothing to play the whole block is silent.
    for (int j = 0; j < numOutputChannels; ++j)
        if (auto* output = outputChannelData[j])
            juce::FloatVectorOperations::clear (output + numPlayed, numSamples - (int) numPlayed);
}

void AudioDeviceHandler::audioDeviceAboutToStart (juce::AudioIODevice* device)
{
    const auto numOutputs = (size_t) device->getActiveOutputChannels().countNumberOfSetBits();
    const auto name = device->getName();
    const auto rate = juce::roundToInt (device->getCurrentSampleRate());

    bool isTarget = false;

    {
        const juce::ScopedLock sl (ringLock);
        isTarget = routingTarget.deviceName.isNotEmpty() && name == routingTarget.deviceName
                && rate == routingTarget.sampleRate && (int) numOutputs >= routingTarget.numOutputs;
    }

    // Allocated and freed outside ringLock, so the audio threads never wait for the heap.
    std::vector<std::unique_ptr<AudioRingbuffer>> freshRings;

    if (isTarget)
        for (size_t i = 0; i < numOutputs; ++i)
            freshRings.push_back (std::make_unique<AudioRingbuffer> ((size_t) ringSize));

    {
        const juce::ScopedLock sl (ringLock);
        rings.swap (freshRings);
        ringCount = rings.size();
        outputActive = isTarget;
    }

    if (! isTarget)
    {
        strayDeviceOpen = true;
        notify();
    }
}

void AudioDeviceHandler::audioDeviceStopped()
{
    outputActive = false;

    // Whether the meter went away or the framework is only restarting it is decided on the
    // handler thread, once whoever stops it has finished (the handler's own closing and the input
    // side's stop set the state themselves).
    if (deviceState == DeviceState::Routing)
    {
        meterStoppedWhileRouting = true;
        notify();
    }
}

void AudioDeviceHandler::audioDeviceError (const juce::String& errorMessage)
{
    // JUCE reports errors under its callback lock, so two never overlap.
    lastError = errorMessage;
}

void AudioDeviceHandler::changeListenerCallback (juce::ChangeBroadcaster* source)
{
    if (source == &outputDeviceManager)
        notify();
}

//==============================================================================
void AudioDeviceHandler::_updateDeviceState (bool force)
{
    RegisterCallbackMessage::send (outputDeviceManager, *this, false);

    if (! force && ! _inputFormatIsValid())
    {
        if (deviceState != DeviceState::UnsupportedFormat)
        {
            deviceState = DeviceState::UnsupportedFormat;
            _openMidiDevice (false);
            sendChangeMessage();
        }
    }
    else if (deviceState != DeviceState::DeviceReady && deviceState != DeviceState::Routing)
    {
        // On the message thread (the re-probe) this is had at once; the handler thread gives up
        // when it is asked to stop.
        const juce::MessageManagerLock mml (this);

        if (! mml.lockWasGained())
            return;

        // The message thread may have moved the state on while this thread waited for the lock.
        if (deviceState == DeviceState::DeviceReady || deviceState == DeviceState::Routing)
        {
            RegisterCallbackMessage::send (outputDeviceManager, *this, true);
            return;
        }

        _closeMeterDevice();

        const auto meterName = _searchMeter();

        if (deviceName.isNotEmpty())
        {
            const auto rate = [this] { const juce::ScopedLock sl (stateLock); return inputSampleRate; }();

            // Only a failure to open fails the probe; the meter is never left open by it.
            const auto error = _openMeterDevice (s_probeOutputChannels, rate);
            outputDeviceManager.closeAudioDevice();

            if (error.isNotEmpty())
            {
                deviceName.clear();
                productName.clear();
            }
            else
            {
                productName = MeterDeviceNameMatcher::productNameOf (meterName);
            }
        }

        if (deviceName.isEmpty())
        {
            deviceState = DeviceState::Searching;
            sendChangeMessage();
        }
        else if (deviceState == DeviceState::Searching || ! force)
        {
            // A found meter cancels any pending wish: routing never resumes by itself.
            requestedState = 0;
            deviceState = DeviceState::DeviceReady;
            sendChangeMessage();
            _openMidiDevice (false);
        }
        else
        {
            if (! _inputFormatIsValid())
            {
                deviceState = DeviceState::UnsupportedFormat;
                sendChangeMessage();
            }

            _openMidiDevice (false);
        }
    }

    RegisterCallbackMessage::send (outputDeviceManager, *this, true);
}

void AudioDeviceHandler::_openMidiDevice (bool)
{
    if (! midiEnabled)
        return;

    juce::Array<juce::MidiDeviceInfo> ports;

    {
        const juce::ScopedLock sl (stateLock);
        ports = midiPortProvider->getAvailableOutputs();
    }

    for (const auto& port : ports)
    {
        const auto isMeterPort = std::any_of (std::begin (m_sMidiOutNames), std::end (m_sMidiOutNames),
                                              [&port] (const juce::String& name) { return port.name.contains (name); });

        if (! isMeterPort)
            continue;

        // The port that was open stays when the new one cannot be opened.
        const juce::ScopedLock sl (stateLock);

        if (auto opened = midiPortProvider->openOutput (port.identifier))
            midiOutput = std::move (opened);
    }
}

void AudioDeviceHandler::prepareForDevices (unsigned long numChannels, int sampleRate)
{
    {
        const juce::ScopedLock sl (stateLock);
        inputChannelCount = numChannels;
        inputSampleRate = sampleRate;

        if (deviceState == DeviceState::UnsupportedFormat && isValidInputFormat (numChannels, sampleRate))
            deviceState = DeviceState::Searching;
    }

    notify();
}

void AudioDeviceHandler::inputDeviceStopped()
{
    // On the message thread, or a thread holding its lock, the handler thread's device work
    // cannot be running, so the device is closed at once.
    if (auto* mm = juce::MessageManager::getInstanceWithoutCreating(); mm != nullptr && mm->currentThreadHasLockedMessageManager())
    {
        _detachFromInput();
        return;
    }

    // A driver's thread must not wait for the message thread, which may be waiting for it.
    _setRoutingTarget ({}, 0, 0);
    outputActive = false;
    deviceState = DeviceState::Searching;
    strayDeviceOpen = true;
    notify();
}

bool AudioDeviceHandler::hasMidiOutput() const
{
    const juce::ScopedLock sl (stateLock);
    return midiOutput != nullptr;
}

//==============================================================================
bool AudioDeviceHandler::_inputFormatIsValid() const
{
    const juce::ScopedLock sl (stateLock);
    return isValidInputFormat (inputChannelCount, inputSampleRate);
}

void AudioDeviceHandler::_openMeter()
{
    if (_beginOpeningMeter())
        _awaitMeterOutputs();
}

bool AudioDeviceHandler::_beginOpeningMeter()
{
    RegisterCallbackMessage::send (outputDeviceManager, *this, false);

    const juce::MessageManagerLock mml (this);

    if (! mml.lockWasGained())
        return false;

    if (deviceState != DeviceState::DeviceReady || requestedState != DeviceState::Routing)
    {
        RegisterCallbackMessage::send (outputDeviceManager, *this, true);
        return false;
    }

    outputDeviceManager.closeAudioDevice();

    unsigned long numChannels = 0;
    int rate = 0;

    {
        const juce::ScopedLock sl (stateLock);
        numChannels = inputChannelCount;
        rate = inputSampleRate;
    }

    bool opened = false;
    bool awaitingOutputs = false;

    if (isValidInputFormat (numChannels, rate))
    {
        _setRoutingTarget (deviceName, rate, (int) numChannels);

        if (_openMeterDevice ((int) numChannels, rate).isEmpty())
        {
            // The start builds the rings, and refuses a device that is not the meter at the
            // input's rate (JUCE swaps an unsupported rate for another without a word) or that
            // runs with fewer outputs than the input has channels (JUCE's JACK device opens a
            // client that has gone with none).
            outputDeviceManager.addAudioCallback (this);
            opened = outputActive.load() && outputDeviceManager.getCurrentAudioDevice()->isPlaying();
            awaitingOutputs = ! opened && _meterMayStillConnect ((int) numChannels, rate);
        }

        if (! opened && ! awaitingOutputs)
        {
            _closeMeterDevice();
        }

        _openMidiDevice (false);
    }

    if (! awaitingOutputs)
        _finishOpening (opened);

    return awaitingOutputs;
}

void AudioDeviceHandler::_awaitMeterOutputs()
{
    // JACK reports the meter's ports connected only from a later cycle on, so JUCE's device may
    // first start with fewer outputs and restart, on the message thread, once they are: this
    // thread has let the message thread go and waits a moment for that restart.
    const auto deadline = juce::Time::getMillisecondCounter() + s_meterOutputsWaitMs;

    while (! outputActive.load() && ! threadShouldExit() && juce::Time::getMillisecondCounter() < deadline)
        wait (10);

    const juce::MessageManagerLock mml (this);

    if (! mml.lockWasGained())
        return;

    // The input may have stopped meanwhile, which closed the device.
    auto* device = outputDeviceManager.getCurrentAudioDevice();
    const bool opened = deviceState == DeviceState::DeviceReady && outputActive.load() && device != nullptr && device->isPlaying();

    if (opened)
        strayDeviceOpen = false;   // the start that came too early
    else
        _closeMeterDevice();

    _finishOpening (opened);

    // The wait may have taken a wake meant for the loop.
    notify();
}

bool AudioDeviceHandler::_meterMayStillConnect (int numOutputChannels, int sampleRate)
{
    auto* device = outputDeviceManager.getCurrentAudioDevice();

    return device != nullptr && device->isPlaying() && device->getName() == deviceName
        && juce::roundToInt (device->getCurrentSampleRate()) == sampleRate
        && device->getOutputChannelNames().size() >= numOutputChannels;
}

void AudioDeviceHandler::_finishOpening (bool opened)
{
    if (opened)
        _startWatchingMeter();

    RegisterCallbackMessage::send (outputDeviceManager, *this, true);
    deviceState = opened ? DeviceState::Routing : DeviceState::Searching;
    sendChangeMessage();
}

void AudioDeviceHandler::_closeMeter()
{
    const juce::MessageManagerLock mml (this);

    if (! mml.lockWasGained())
        return;

    if (deviceState != DeviceState::Routing || requestedState != DeviceState::DeviceReady)
        return;

    // The stop passes through Searching (audioDeviceStopped); closing ends in DeviceReady.
    _closeMeterDevice();

    deviceState = DeviceState::DeviceReady;
    sendChangeMessage();
}

void AudioDeviceHandler::_detachFromInput()
{
    _closeMeterDevice();
    outputActive = false;
    deviceState = DeviceState::Searching;
}

void AudioDeviceHandler::_closeStrayDevice()
{
    const juce::MessageManagerLock mml (this);

    if (! mml.lockWasGained())
        return;

    _closeMeterDevice();

    if (deviceState.exchange (DeviceState::Searching) == DeviceState::Routing)
        sendChangeMessage();
}

void AudioDeviceHandler::_checkMeterAfterStop()
{
    const juce::MessageManagerLock mml (this);

    if (! mml.lockWasGained() || deviceState != DeviceState::Routing)
        return;

    // A restart lands on the meter again and rebuilds the rings (audioDeviceAboutToStart).
    if (auto* device = outputDeviceManager.getCurrentAudioDevice(); device != nullptr && device->isPlaying() && outputActive)
        return;

    _closeMeterDevice();
    deviceState = DeviceState::Searching;
    sendChangeMessage();
}

void AudioDeviceHandler::_startWatchingMeter()
{
    meterWatch.meterCallbacks = meterCallbackCount.load (std::memory_order_relaxed);
    meterWatch.inputBlocks = inputBlockCount.load (std::memory_order_relaxed);
    meterWatch.silentSinceMs = 0;
}

bool AudioDeviceHandler::_meterHasFallenSilent()
{
    const auto meterCallbacks = meterCallbackCount.load (std::memory_order_relaxed);
    const auto inputBlocks = inputBlockCount.load (std::memory_order_relaxed);
    const auto now = juce::jmax ((juce::uint32) 1, juce::Time::getMillisecondCounter());

    // Only input that finds no meter to play it counts: while the input rests too (a stalled
    // input plays zeros on a running meter), there is nothing to tell a lost meter by.
    if (meterCallbacks != meterWatch.meterCallbacks)
        meterWatch.silentSinceMs = 0;
    else if (inputBlocks != meterWatch.inputBlocks && meterWatch.silentSinceMs == 0)
        meterWatch.silentSinceMs = now;

    meterWatch.meterCallbacks = meterCallbacks;
    meterWatch.inputBlocks = inputBlocks;

    return meterWatch.silentSinceMs != 0 && now - meterWatch.silentSinceMs >= s_meterSilenceMs;
}

void AudioDeviceHandler::_endRoutingWithoutMeter()
{
    const juce::MessageManagerLock mml (this);

    if (! mml.lockWasGained() || deviceState != DeviceState::Routing)
        return;

    _closeMeterDevice();
    deviceState = DeviceState::Searching;
    sendChangeMessage();
}

void AudioDeviceHandler::_recreateDeviceTypes()
{
    // JUCE's ALSA type lists its devices only once per object, so scanning the same objects again
    // would never show a meter plugged in after start-up. Nothing is open while this runs.
    juce::Array<juce::AudioIODeviceType*> oldTypes;

    for (auto* type : outputDeviceManager.getAvailableDeviceTypes())
        oldTypes.add (type);

    for (auto* type : oldTypes)
        outputDeviceManager.removeAudioDeviceType (type);

    addAudioDeviceTypes (outputDeviceManager, deviceTypeFactory);
}

juce::String AudioDeviceHandler::_searchMeter()
{
    _recreateDeviceTypes();

    std::vector<MeterDeviceNameMatcher::DeviceList> lists;

    for (auto* type : outputDeviceManager.getAvailableDeviceTypes())
    {
        type->scanForDevices();
        lists.push_back ({ type->getTypeName(), type->getDeviceNames (false) });
    }

    const auto found = MeterDeviceNameMatcher::findMeterDevice (lists, juce::StringArray (m_sDeviceNames, (int) std::size (m_sDeviceNames)));
    deviceName = found.deviceName;
    deviceTypeName = found.typeName;
    return found.meterName;
}

juce::String AudioDeviceHandler::_openMeterDevice (int numOutputChannels, int sampleRate)
{
    // The device is named exactly, in the type that listed it: JUCE's choice by preferred name
    // matches loosely, ignoring case, and falls back to the default output when nothing matches.
    juce::XmlElement setup ("DEVICESETUP");
    setup.setAttribute ("deviceType", deviceTypeName);
    setup.setAttribute ("audioOutputDeviceName", deviceName);
    setup.setAttribute ("audioInputDeviceName", juce::String());
    setup.setAttribute ("audioDeviceBufferSize", s_meterBufferSize);

    if (sampleRate > 0)
        setup.setAttribute ("audioDeviceRate", sampleRate);

    auto error = outputDeviceManager.initialise (0, numOutputChannels, &setup, false);
    auto* device = outputDeviceManager.getCurrentAudioDevice();

    // JUCE can report success with no device at all.
    if (error.isEmpty() && (device == nullptr || device->getName() != deviceName || device->getTypeName() != deviceTypeName))
        error = "The meter's output device did not open";

    if (error.isNotEmpty())
        outputDeviceManager.closeAudioDevice();

    return error;
}

void AudioDeviceHandler::_closeMeterDevice()
{
    outputDeviceManager.removeAudioCallback (this);
    outputDeviceManager.closeAudioDevice();
    _setRoutingTarget ({}, 0, 0);
}

void AudioDeviceHandler::_setRoutingTarget (const juce::String& name, int sampleRate, int numOutputs)
{
    const juce::ScopedLock sl (ringLock);
    routingTarget.deviceName = name;
    routingTarget.sampleRate = sampleRate;
    routingTarget.numOutputs = numOutputs;
}
