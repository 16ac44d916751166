#pragma once

#include "AudioDeviceTypeFactory.h"
#include "AudioRingbuffer.h"
#include "DeviceState.h"
#include "MidiOutputPort.h"
#include "MidiPortProvider.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <atomic>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

/** The program's link to the meter: a background thread that finds the meter's USB audio output
    by name, probes it, opens it when routing is asked for and closes it again, with a small state
    machine (`deviceState`) that the editor mirrors on the routing button. While routing, the
    handler is the meter device's callback and carries the mapped input audio to it through one
    ring per channel. It also opens the meter's MIDI output for the remote commands.

    Threads:
    - handler thread: `run`; every search, probe, opening and closing it does holds the
      message-manager lock, so the message thread's own work on `outputDeviceManager` (the
      re-probe, the input-stop handling, JUCE's reaction to a vanished device) never overlaps it;
      while routing it also wakes every 100 ms to see that the meter still calls back;
    - message thread: the re-probe (`_updateDeviceState (true)` under `stateLock`), change
      notifications, `inputDeviceStopped`, the editor's reads and requests;
    - input audio thread: `processAudio`; meter audio thread: `audioDeviceIOCallbackWithContext`.
      Both take `ringLock` and nothing else, and allocate nothing.

    Lock order: message-manager lock, then `stateLock`. `ringLock` is taken alone (the framework
    may hold its own callback lock around it). */
class AudioDeviceHandler : public juce::Thread,
                           public juce::AudioIODeviceCallback,
                           public juce::ChangeListener,
                           public juce::ChangeBroadcaster
{
public:
    /** @param owner       the processor; kept as the MIDI input callback, which is never used
        @param deviceTypes the types `outputDeviceManager` uses; empty means the platform's
        @param midiPorts   where the meter's MIDI port is looked for; null means the platform's */
    AudioDeviceHandler (juce::MidiInputCallback* owner,
                        const AudioDeviceTypeFactory& deviceTypes = {},
                        std::shared_ptr<MidiPortProvider> midiPorts = {});

    /** Stops the thread if the owner has not, then closes the meter device. Message thread. */
    ~AudioDeviceHandler() override;

    void run() override;

    /** The write side, as processAudio below, for a whole buffer. */
    virtual void processAudio (const juce::AudioBuffer<float>& buffer) noexcept;

    /** The write side of the meter path, on the input audio thread: appends channel i to ring i,
        the same number of samples to every ring so that they stay aligned. A null channel, or one
        at numChannels or beyond, is silence. What does not fit is dropped from the end of the
        block. */
    virtual void processAudio (const float* const* channels, int numChannels, int numSamples) noexcept;

    /** The read side, on the meter's audio thread: plays the same number of samples from every
        ring and zeros after them; every output sample is written. */
    void audioDeviceIOCallbackWithContext (const float* const* inputChannelData, int numInputChannels,
                                           float* const* outputChannelData, int numOutputChannels,
                                           int numSamples,
                                           const juce::AudioIODeviceCallbackContext& context) override;

    /** Builds fresh rings for the meter device. A device that is not the meter opened for
        routing (JUCE's fallback after the meter vanished, the meter at another rate, or the meter
        with fewer active outputs than routing asked for, as JACK restarts it when the meter's
        client ends) gets no rings and only plays silence; the handler thread is woken to close
        it, which ends routing. */
    void audioDeviceAboutToStart (juce::AudioIODevice* device) override;
    /** Silences the path. A stop while routing wakes the handler thread, which ends routing
        (Searching) unless the framework has started the meter again meanwhile. */
    void audioDeviceStopped() override;
    void audioDeviceError (const juce::String& errorMessage) override;

    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    /** Searches and probes the meter when the state calls for it. A meter found while the input
        format is not valid (no input open, or one the meter cannot take) gives UnsupportedFormat,
        never DeviceReady. force: the processor's periodic re-probe on the message thread, which
        holds `stateLock` around the call. */
    void _updateDeviceState (bool force);

    /** (Re)opens the meter's MIDI output: every port whose name contains one of the meter's port
        names is opened in turn and the last one that opens stays; a port that fails to open
        leaves the one before in place. The argument is not used. */
    void _openMidiDevice (bool);

    /** Records the input device's format and wakes the thread; called each time the input device
        starts. */
    void prepareForDevices (unsigned long numChannels, int sampleRate);

    /** The input device has stopped, so the meter output stops too: the handler stops being the
        meter's callback, the meter device is closed and the state is Searching. The input format
        is cleared (there is no input to route until the next start). No broadcast of its own
        (leaving Routing broadcasts). On the message thread this happens at once; on another
        thread (a driver's) the state is Searching, the format invalid and the output silent at
        once and the handler thread closes the device. */
    void inputDeviceStopped();

    /** Whether a MIDI output is open; takes `stateLock`. */
    bool hasMidiOutput() const;

    //==============================================================================
    /** Gate of routing requests and of both audio callbacks; never changed. */
    const bool routingEnabled = true;
    /** Gate of every `_openMidiDevice` call; never changed. */
    const bool midiEnabled = true;
    /** The meter device runs with this handler as its callback and rings built for it. */
    std::atomic<bool> outputActive { false };

    /** Guards inputChannelCount, inputSampleRate and midiOutput. Recursive. */
    juce::CriticalSection stateLock;
    unsigned long inputChannelCount = 0;
    int inputSampleRate = 0;

    /** The meter's output device only (0 inputs). */
    juce::AudioDeviceManager outputDeviceManager;
    /** The meter output found by the last search, as its device type lists it; empty when none.
        Written under the message-manager lock, so the message thread reads it freely. */
    juce::String deviceName;
    /** The meter's name for display: the meter name deviceName stands for, without "Output"
        ("KM7-Solvin"). Same rule as deviceName. */
    juce::String productName;

    /** The meter's MIDI output; guarded by stateLock. The editor sends through it under the lock. */
    std::unique_ptr<MidiOutputPort> midiOutput;
    /** Never opened in the application. */
    std::unique_ptr<juce::MidiInput> midiInput;
    juce::MidiInputCallback* const midiInputCallback;

    /** Guards rings, ringCount, their contents and routingTarget. */
    juce::CriticalSection ringLock;
    const int ringSize = 30720;
    size_t ringCount = 0;
    std::vector<std::unique_ptr<AudioRingbuffer>> rings;

    /** Last error text of the meter device; nothing reads it. */
    juce::String lastError;

    std::atomic<int> deviceState { DeviceState::Searching };
    /** The user's wish: 4 routing on, 3 routing off; 0 after a successful search. */
    std::atomic<int> requestedState { 2 };

    /** The handler thread's clock in milliseconds, for the meter watch and the wait for the
        meter's outputs. Tests that drive time themselves replace it before the thread starts. */
    std::function<juce::uint32()> millisecondCounter { &juce::Time::getMillisecondCounter };

private:
    struct RoutingTarget
    {
        juce::String deviceName;
        int sampleRate = 0;
        int numOutputs = 0;
    };

    /** What the handler thread last saw of the two audio threads while routing. Handler thread. */
    struct MeterWatch
    {
        juce::uint32 meterCallbacks = 0, inputBlocks = 0;
        /** When input was first seen arriving with no meter callback since; 0 while the meter runs. */
        juce::uint32 silentSinceMs = 0;
    };

    static bool _isValidInputFormat (unsigned long numChannels, int sampleRate);
    /** inputChannelCount and inputSampleRate, cleared first if an input stop on a driver's thread
        is still to be applied; the caller holds stateLock. */
    std::pair<unsigned long, int> _inputFormatLocked();
    bool _inputFormatIsValid();
    void _openMeter();
    /** Returns true when the device opened with fewer outputs than asked for, and the message
        thread must run before they may be connected. */
    bool _beginOpeningMeter();
    void _awaitMeterOutputs();
    bool _meterMayStillConnect (int numOutputChannels, int sampleRate);
    void _finishOpening (bool opened);
    void _closeMeter();
    void _detachFromInput();
    void _closeStrayDevice();
    void _checkMeterAfterStop();
    void _startWatchingMeter();
    bool _meterHasFallenSilent();
    void _endRoutingWithoutMeter();
    void _recreateDeviceTypes();
    /** Closes the meter device if it is a JACK device whose server has gone. Message thread. */
    void _closeMeterOfLostServer();
    /** Sets deviceName and deviceTypeName to the meter's device, or empties them; returns the
        meter name the device stands for. */
    juce::String _searchMeter();
    juce::String _openMeterDevice (int numOutputChannels, int sampleRate);
    /** Closes the meter device and forgets the routing target; the caller holds the exclusion. */
    void _closeMeterDevice();
    void _setRoutingTarget (const juce::String& name, int sampleRate, int numOutputs);

    /** Listens to every type of outputDeviceManager, registered after the manager: a type calls
        its last listener first, so a JACK meter whose server has gone is closed here before JUCE's
        own reaction would fall back to the first other type's output (the sound card the server
        needs to start again, or a sound server's PCM that never starts). Message thread. */
    struct MeterDeviceListWatch : juce::AudioIODeviceType::Listener
    {
        explicit MeterDeviceListWatch (AudioDeviceHandler& h) : handler (h) {}
        void audioDeviceListChanged() override { handler._closeMeterOfLostServer(); }
        AudioDeviceHandler& handler;
    };

    MeterDeviceListWatch meterDeviceListWatch { *this };

    const AudioDeviceTypeFactory deviceTypeFactory;
    const std::shared_ptr<MidiPortProvider> midiPortProvider;

    /** The device type that lists deviceName; same rule as deviceName. */
    juce::String deviceTypeName;
    /** What the meter device must be to get rings; guarded by ringLock. */
    RoutingTarget routingTarget;
    /** Set by a refused device start and by inputDeviceStopped off the message thread; the
        handler thread closes the device at its next turn. */
    std::atomic<bool> strayDeviceOpen { false };
    /** Set when the meter stops while routing; the handler thread then tells a restart that the
        framework made on the same device (JACK restarts a client whose ports were reconnected)
        from the meter going away. */
    std::atomic<bool> meterStoppedWhileRouting { false };
    /** Set by inputDeviceStopped on a driver's thread, which takes no lock; the next reader of the
        input format under stateLock clears the format, and the next input start this flag. */
    std::atomic<bool> inputFormatStale { false };

    /** Bumped (relaxed) by every meter callback and every input block on their audio threads. A
        meter whose driver thread ended without stopping the device (JUCE's ALSA device after a
        write error) calls back no more while the input goes on; the handler thread, which looks
        at both while routing, then ends routing. */
    std::atomic<juce::uint32> meterCallbackCount { 0 }, inputBlockCount { 0 };
    MeterWatch meterWatch;

    JUCE_DECLARE_WEAK_REFERENCEABLE (AudioDeviceHandler)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (AudioDeviceHandler)
};
