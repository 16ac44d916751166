#include "AudioDeviceHandler.h"

#include "jack/JackAudioDevice.h"
#include "jack/JackAudioDeviceType.h"
#include "MeterDeviceNameMatcher.h"
#include "RegisterCallbackMessage.h"

// Opening, watching and closing the meter's audio device, and the search for it.

namespace
{
/** The meter's output device names, searched in this order: the later one wins when both exist.
    On the ALSA types the meter's devices are named after its sound card (MeterDeviceNameMatcher). */
const juce::String m_sDeviceNames[] = { "PV4 Output", "KM7-Solvin Output" };

constexpr int s_meterBufferSize = 64;

/** While routing, the meter counts as gone when input has arrived for this long without a meter
    callback. */
constexpr juce::uint32 s_meterSilenceMs = 500;

/** How long an opening waits for the meter's outputs to be connected (JACK) before it gives up. */
constexpr juce::uint32 s_meterOutputsWaitMs = 2000;
} // namespace

//==============================================================================
std::pair<unsigned long, int> AudioDeviceHandler::_inputFormatLocked()
{
    if (inputFormatStale.exchange (false))
    {
        inputChannelCount = 0;
        inputSampleRate = 0;
    }

    return { inputChannelCount, inputSampleRate };
}

bool AudioDeviceHandler::_inputFormatIsValid()
{
    const juce::ScopedLock sl (stateLock);
    const auto [numChannels, sampleRate] = _inputFormatLocked();
    return _isValidInputFormat (numChannels, sampleRate);
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

    const auto [numChannels, rate] = [this]
    {
        const juce::ScopedLock sl (stateLock);
        return _inputFormatLocked();
    }();

    bool opened = false;
    bool awaitingOutputs = false;

    if (_isValidInputFormat (numChannels, rate))
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
    const auto deadline = millisecondCounter() + s_meterOutputsWaitMs;

    while (! outputActive.load() && ! threadShouldExit() && millisecondCounter() < deadline)
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
    const auto now = juce::jmax ((juce::uint32) 1, millisecondCounter());

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

    addAudioDeviceTypes (outputDeviceManager, deviceTypeFactory, &meterDeviceListWatch);
}

void AudioDeviceHandler::_closeMeterOfLostServer()
{
    auto* device = outputDeviceManager.getCurrentAudioDevice();

    if (device == nullptr)
        return;

    auto lost = JackAudioDevice::hasLostServer (device);

    if (auto* jack = dynamic_cast<JackAudioDeviceType*> (outputDeviceManager.getCurrentDeviceTypeObject());
        jack != nullptr && device->getTypeName() == jack->getTypeName())
        lost = lost || ! jack->isServerRunning();

    // The handler thread works on the manager only while it holds the message-manager lock, and
    // waits for the meter's outputs without touching it; the stop reaches audioDeviceStopped, and
    // the handler thread then ends routing.
    if (lost)
        outputDeviceManager.closeAudioDevice();
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
