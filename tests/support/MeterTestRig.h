#pragma once

#include "BroadcastRecorder.h"
#include "ManualClock.h"
#include "VirtualDeviceRegistry.h"

#include "audio/StandaloneProcessor.h"

#include <functional>
#include <memory>

/** The application's audio engine on virtual devices, for the meter's tests: a StandaloneProcessor
    whose input and meter devices come from one registry, the input opened alone (no output
    device of its own) at the format a test asks for, and the handler thread started at once
    instead of after the processor's one-second delay. Message thread only.

    The registry is made first and holds "Virtual Speakers" (the default output, which JUCE falls
    back to when the meter goes) unless the test leaves it out, the microphone and the devices the
    test lists. */
class MeterTestRig
{
public:
    static const juce::String micName;
    static const juce::String speakersName;
    static const juce::String meterName;

    /** The microphone: six inputs at rates on both sides of the accepted range. */
    static VirtualDeviceDescription micDescription();
    /** A meter output with six outputs at the rates the tests use. */
    static VirtualDeviceDescription meterDescription (const juce::String& name = meterName);

    struct Options
    {
        std::vector<VirtualDeviceDescription> outputs { meterDescription() };
        int inputChannels = 2;
        double sampleRate = 48000.0;
        bool scanOnceDeviceTypes = false;   ///< device types that list devices as JUCE's ALSA type does
        /** Makes the device types both device managers use; empty: the registry's own. */
        std::function<AudioDeviceTypeFactory (VirtualDeviceRegistry&)> deviceTypes;
        /** Without "Virtual Speakers" the meter is the only output device. */
        bool withSpeakers = true;
        /** The handler's clock is `clock`, which only the test moves. */
        bool manualClock = false;
    };

    explicit MeterTestRig (const Options& options);
    MeterTestRig() : MeterTestRig (Options {}) {}
    ~MeterTestRig();

    /** Reopens the microphone alone with its first numChannels inputs at sampleRate. */
    juce::String openInput (int numChannels, double sampleRate);

    AudioDeviceHandler& handler() const noexcept  { return processor->deviceHandler; }

    /** Pumps messages until the handler's state is `state`. */
    bool waitForState (int state, int timeoutMs = 5000) const;

    /** Asks for routing on or off as the editor does and waits for Routing or DeviceReady. */
    bool setRouting (bool on, int timeoutMs = 5000) const;

    /** Asks for routing and waits for its refusal (see waitForRefusal). `sawRouting` tells whether
        the handler broadcast Routing meanwhile. */
    bool requestRoutingAndWaitForRefusal (int moreOpensThan, bool& sawRouting, int timeoutMs = 5000) const;

    /** Waits until a routing request has been refused: the meter opened more than `moreOpensThan`
        times since it had been opened `opensBefore` times and closed again, the handler in
        DeviceReady with the request cleared. */
    bool waitForRefusal (int opensBefore, int moreOpensThan, int timeoutMs = 5000) const;

    /** Pumps messages until the handler has read the manual clock `count` more times. */
    bool waitForClockReads (int count, int timeoutMs = 5000) const;

    /** Handler broadcasts seen so far. */
    int getNumBroadcasts() const noexcept  { return (int) broadcasts->states.size(); }

    VirtualDeviceRegistry registry;
    ManualClock clock;
    std::unique_ptr<StandaloneProcessor> processor;
    /** Every broadcast of the handler since the rig was made. */
    std::unique_ptr<BroadcastRecorder> broadcasts;
};
