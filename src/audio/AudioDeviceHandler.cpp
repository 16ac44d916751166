#include "AudioDeviceHandler.h"

#include "JuceMidiPortProvider.h"
#include "MeterDeviceNameMatcher.h"
#include "RegisterCallbackMessage.h"

#include <algorithm>
#include <iterator>

// The handler's thread and its state machine, and the meter's MIDI port. The audio callbacks are
// in AudioDeviceHandlerCallbacks.cpp; opening, watching and closing the meter's audio device in
// AudioDeviceHandlerMeterDevice.cpp.

namespace
{
/** A MIDI output port is the meter's when its name contains one of these (case-sensitive). */
const juce::String m_sMidiOutNames[] = { "Kestro MIDI Out", "KM7-Solvin", "XMOS USB Audio", "xCORE USB Audio", "PV4" };

constexpr int s_probeOutputChannels = 2;

/** While routing, the handler thread looks this often whether the meter still calls back. */
constexpr int s_meterWatchIntervalMs = 100;
} // namespace

bool AudioDeviceHandler::_isValidInputFormat (unsigned long numChannels, int sampleRate)
{
    return (numChannels == 2 || numChannels == 6) && sampleRate >= 44100 && sampleRate <= 96000;
}


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

    addAudioDeviceTypes (outputDeviceManager, deviceTypeFactory, &meterDeviceListWatch);
    outputDeviceManager.addChangeListener (this);
}

AudioDeviceHandler::~AudioDeviceHandler()
{
    stopThread (-1);
    masterReference.clear();

    outputDeviceManager.removeChangeListener (this);
    outputDeviceManager.removeAudioCallback (this);
    outputDeviceManager.closeAudioDevice();

    for (auto* type : outputDeviceManager.getAvailableDeviceTypes())
        type->removeListener (&meterDeviceListWatch);
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
            const auto rate = [this] { const juce::ScopedLock sl (stateLock); return _inputFormatLocked().second; }();

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
        else if (! _inputFormatIsValid())
        {
            // With no input open, or one the meter cannot take, there is nothing to route: the
            // meter is not offered (the re-probe comes here too, and the input may have stopped
            // while this thread waited for the lock).
            deviceState = DeviceState::UnsupportedFormat;
            sendChangeMessage();
            _openMidiDevice (false);
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
        inputFormatStale = false;
        inputChannelCount = numChannels;
        inputSampleRate = sampleRate;

        if (deviceState == DeviceState::UnsupportedFormat && _isValidInputFormat (numChannels, sampleRate))
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
        {
            const juce::ScopedLock sl (stateLock);
            inputFormatStale = false;
            inputChannelCount = 0;
            inputSampleRate = 0;
        }

        _detachFromInput();
        return;
    }

    // A driver's thread must not wait for the message thread, which may be waiting for it (and
    // may hold stateLock for a re-probe meanwhile).
    inputFormatStale = true;
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
