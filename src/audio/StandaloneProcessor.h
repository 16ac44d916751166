#pragma once

#include "UsbPluginAudioProcessor.h"

#include <memory>
#include <optional>
#include <vector>

/** The processor the application creates: owns the user's input device and feeds its audio into
    the mapped audio path. The input device's callbacks run on its audio thread, its start and
    stop on the thread that opens or closes it (the message thread here); everything else on the
    message thread. */
class StandaloneProcessor : public UsbPluginAudioProcessor,
                            public juce::AudioIODeviceCallback
{
public:
    /** deviceTypes serve both the input device and the meter; midiPorts is where the meter's MIDI
        port is looked for. Empty or null: the platform's. */
    explicit StandaloneProcessor (const AudioDeviceTypeFactory& deviceTypes = {},
                                  std::shared_ptr<MidiPortProvider> midiPorts = {});
    ~StandaloneProcessor() override;

    void getStateInformation (juce::MemoryBlock& destData) override;

    /** Whether the input audio goes through the channel mapping for this many active inputs. */
    static bool mapsInputCount (int numInputs) noexcept;

    /** For the input device manager: counts the current device's active inputs and sets the
        channel mode; when the open input differs from the one the last notification found (see
        OpenInput), or a restored mapping waits, fits the first n mapping entries to it (n = 1, 2
        or 6; see _fitMappingToInputs) and makes the mapping the setting's revert point. Then tells
        the routing rows and posts an UpdateRoutingMessage to the editor. Other sources go to the
        base. */
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    void audioDeviceIOCallbackWithContext (const float* const* inputChannelData, int numInputChannels,
                                           float* const* outputChannelData, int numOutputChannels,
                                           int numSamples,
                                           const juce::AudioIODeviceCallbackContext& context) override;
    void audioDeviceAboutToStart (juce::AudioIODevice* device) override;
    void audioDeviceStopped() override;

    /** Active input channels of the current input device, as counted at its last start; 0 once
        the input device manager reports a count the program does not support. The input audio
        thread reads it. */
    std::atomic<int> numActiveInputs { 0 };
    juce::AudioDeviceManager inputDeviceManager;
    /** The input device's saved set-up, restored from or written to config.xml. */
    std::unique_ptr<juce::XmlElement> savedDeviceState;

    /** Opens the input device of a saved set-up (the device manager's XML; null: the defaults) as
        the manager's initialise does, falling back when it does not open. JUCE's fallback takes the
        first device type that lists a device; but while the saved type is JACK and its server runs,
        a device of another type is one the user did not choose, and may be one that never starts
        (ALSA's "default" on a PipeWire without devices, whose thread the next device change then
        cancels by force). So while that server runs, the fallback stays in the JACK type, and with
        no device listed there, no device is open. The saved set-up stays the user's choice. With
        no saved set-up, JACK's defaults are taken while its server runs; while it lists no input,
        nothing is opened until it does. */
    void openInputDevice (const juce::XmlElement* savedSetup);

    /** The config.xml restore's part for the mapping: items beyond the six entries are ignored,
        an item that names none of six inputs leaves its entry as it was. The result is the
        mapping from now on if it suits the input open now (see mappingSuitsInputs), else that
        result with the identity in the input's first entries; either way it is kept as
        restoredMapping. The routing rows are told. */
    void restoreChannelMapping (const std::vector<int32_t>& items);

    /** The mapping read from config.xml, or the one in use when an input that had gone is opened
        again (_reopenSavedInput), until the first notification of the input device manager that
        finds a device open with 2 or 6 active inputs (the counts the audio path maps): that one,
        and every one before it with a device open (a mono input, or a JACK device still
        connecting its ports), makes it the mapping where it suits the input, instead of
        resetting the mapping. Every later device change resets. Message thread only. */
    std::optional<std::vector<int32_t>> restoredMapping;

private:
    /** Closes the input device if it is a JACK device whose server has gone, and opens nothing in
        its place: JUCE's fallback would take another device type, possibly the sound card the
        server needs to start again. The user's choice stays the manager's saved set-up; with none
        (JACK's defaults were open), jackDefaultsAwaited is set. Returns whether it closed the
        device. */
    bool _closeInputOfLostServer();

    /** With no input device open, opens the saved set-up's devices as the start-up does (mapping
        included: the mapping of now is kept as restoredMapping) once their type lists them all;
        without a saved set-up and while jackDefaultsAwaited, JACK's defaults once it lists an
        input. Routing is not resumed. */
    void _reopenSavedInput();

    /** The device manager closes a device whose name has left its type's list, and falls back; but a
        device with an input and an output bears the output's name. When the input's name has left the
        list, this closes the device and falls back in the same way. Returns whether it did. */
    bool _closeInputThatHasLeft();

    /** Fits the mapping to an input with n (1, 2 or 6) active inputs: restoredMapping where it
        suits them, else the identity in the first n entries (resetChannelMapping). */
    void _fitMappingToInputs (int n);

    /** What the mapping was fitted to: the device type, the input device's name as the manager's
        set-up has it (a device with an input and an output bears the output's name, so the
        device's own name does not tell two inputs apart) and the active inputs. */
    struct OpenInput
    {
        juce::String typeName, inputName;
        juce::BigInteger activeInputs;

        bool operator== (const OpenInput& other) const
        {
            return typeName == other.typeName && inputName == other.inputName && activeInputs == other.activeInputs;
        }
    };

    /** The open input as the last notification of the input device manager found it; empty when
        that one found none. The manager also broadcasts when nothing about its device changed
        (a device type's list changing, as JACK's does whenever any client comes or goes): a
        notification that finds the same input keeps the user's mapping. Message thread only. */
    std::optional<OpenInput> lastNotifiedInput;

    /** Closes an input device whose audio server has gone away, on the message thread. */
    struct LostInputCloser : juce::AsyncUpdater
    {
        explicit LostInputCloser (StandaloneProcessor& p) : processor (p) {}
        void handleAsyncUpdate() override;
        StandaloneProcessor& processor;
    };

    LostInputCloser lostInputCloser { *this };

    /** Listens to every device type of the input device manager, registered after the manager:
        a type calls its last listener first, so a JACK input whose server has gone is closed here
        before the manager would fall back from it. Then looks, on a later turn of the message
        loop, whether a saved input has come back. Message thread. */
    struct InputDeviceListWatch : juce::AudioIODeviceType::Listener,
                                  juce::AsyncUpdater
    {
        explicit InputDeviceListWatch (StandaloneProcessor& p) : processor (p) {}
        void audioDeviceListChanged() override;
        void handleAsyncUpdate() override;
        StandaloneProcessor& processor;
    };

    InputDeviceListWatch inputDeviceListWatch { *this };

    /** No set-up is saved, and JACK's default input is to be opened once JACK lists an input:
        the server ran with none at a first start, or its end closed the default input. Message
        thread. */
    bool jackDefaultsAwaited = false;

    /** Opens the default input device on the message loop's first turn, unless a set-up has been
        chosen or restored by then. Opening it at construction would start a device that the
        config.xml restore right after replaces: JUCE's first device type with devices (ALSA)
        may give a device whose thread cannot stop (pipewire-alsa's stream blocks when PipeWire
        has no node), and replacing it cancels that thread by force, which aborts the process.
        The restore so opens the saved device type first, and the fallback keeps to that type
        while it lists devices or its JACK server runs (openInputDevice). */
    struct DefaultInputOpener : juce::AsyncUpdater
    {
        explicit DefaultInputOpener (StandaloneProcessor& p) : processor (p) {}
        void handleAsyncUpdate() override;
        StandaloneProcessor& processor;
    };

    DefaultInputOpener defaultInputOpener { *this };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StandaloneProcessor)
};
