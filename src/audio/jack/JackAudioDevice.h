#pragma once

#include "JackServerSession.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

/** One device of JackAudioDeviceType: ports of the program's one JACK client (JackClient) connected
    to the ports of a named client of the server, the input device's own input ports to its outputs,
    its own outputs to the output device's input ports. Named after the output client, or the input
    client when there is none; its channels are the named clients' audio ports.

    Opening takes one port per channel of the named clients on the program's client (named after
    them: "Test Source in_1", "KM7-Solvin Output out_1") and connects those of the requested
    channels, failing when one cannot be connected (a pair already connected, by a session manager
    say, counts as connected); closing disconnects them and gives them back to the client. A channel is active while its port is
    connected to anything: from the moment the program's own connection is made, or from when the
    server reports a connection (some servers report the program's own connections a moment
    later). When the active channels, the server's sample rate or its period change, the device
    restarts its callback with them and reports the change to its type. When the server goes
    away, the device is neither open nor playing at once, and its callback hears that it stopped
    on the message thread.

    Threads: everything runs on the message thread or a thread holding the message-manager lock,
    except jackProcess, which runs on the server's real-time thread, allocates nothing and takes
    no lock. From open to close the device is attached to the client's process callback, so its
    output ports play silence whenever no callback of the device's plays into them. The message
    thread changes the ports and active channels only while the process callback cannot be inside
    the device, and after attaching a callback waits until a cycle under way has ended. */
class JackAudioDevice : public juce::AudioIODevice,
                        private JackServerSession::DeviceOwner,
                        private JackClient::Processor
{
public:
    /** @param channelsChanged called on the message thread when the active channels or the
                               server's format change */
    JackAudioDevice (std::shared_ptr<JackServerSession> session, const juce::String& inputClientName,
                     const juce::String& outputClientName, std::function<void()> channelsChanged);
    ~JackAudioDevice() override;

    juce::StringArray getOutputChannelNames() override;
    juce::StringArray getInputChannelNames() override;
    juce::Array<double> getAvailableSampleRates() override;
    juce::Array<int> getAvailableBufferSizes() override;
    int getDefaultBufferSize() override { return getCurrentBufferSizeSamples(); }

    juce::String open (const juce::BigInteger& inputChannels, const juce::BigInteger& outputChannels,
                       double sampleRate, int bufferSizeSamples) override;
    void close() override;
    bool isOpen() override;
    void start (juce::AudioIODeviceCallback* callback) override;
    void stop() override;
    bool isPlaying() override;
    juce::String getLastError() override { return lastError; }

    int getCurrentBufferSizeSamples() override;
    double getCurrentSampleRate() override;
    int getCurrentBitDepth() override { return 32; }
    juce::BigInteger getActiveOutputChannels() const override { return activeOutputs; }
    juce::BigInteger getActiveInputChannels() const override { return activeInputs; }
    int getOutputLatencyInSamples() override;
    int getInputLatencyInSamples() override;
    int getXRunCount() const noexcept override;

    /** Whether `device` is one of these, was opened, and its server has gone since. */
    static bool hasLostServer (juce::AudioIODevice* device);

    /** The clients the device connects to (either may be empty). */
    const juce::String inputClientName, outputClientName;

private:
    /** The ports of one direction, made at open and fixed until close. */
    struct PortSet
    {
        std::vector<jack_port_t*> ports;
        /** Connected by the program, and not yet reported by the server. Message thread. */
        std::vector<bool> connectionPending;
        /** Published to the process callback; changed only while it cannot be inside the device. */
        std::unique_ptr<std::atomic<bool>[]> active;
        /** The process callback's list of the active ports' buffers. */
        std::vector<float*> buffers;

        void make (size_t numPorts);
        void clear();
        juce::BigInteger findActive (JackApi& api);
        void publish (const juce::BigInteger& bits);
    };

    void jackServerLost() override;
    void jackPortConnectionsChanged() override;
    void jackFormatChanged() override;
    void jackProcess (jack_nframes_t numFrames) override;

    /** The client while the session serves the device: null once its server has gone. */
    JackClient* _client() const noexcept;
    bool _takePorts (PortSet& set, const juce::String& prefix, int numPorts, unsigned long flags);
    juce::String _connect (const juce::BigInteger& inputChannels, const juce::BigInteger& outputChannels);
    void _updateActivePorts (bool notify);
    void _restartCallback();
    /** Attaches a callback for the process callback and returns the one before, once the process
        callback can no longer be inside that one. */
    juce::AudioIODeviceCallback* _swapCallback (juce::AudioIODeviceCallback* newCallback);
    void _release();
    int _latencyOf (const PortSet& set, jack_latency_callback_mode_t mode);

    const std::shared_ptr<JackServerSession> session;
    const std::function<void()> notifyChannelsChanged;
    /** From open to close; reached only through _client(). */
    JackClient* client = nullptr;

    PortSet inputs, outputs;
    juce::BigInteger activeInputs, activeOutputs;
    /** The server's format as the callback last heard of it. */
    double startedSampleRate = 0.0;
    int startedBufferSize = 0;
    int xrunsAtOpen = 0;
    bool deviceIsOpen = false;
    bool lostServer = false;
    juce::String lastError;

    std::atomic<juce::AudioIODeviceCallback*> callback { nullptr };

    JUCE_DECLARE_WEAK_REFERENCEABLE (JackAudioDevice)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JackAudioDevice)
};
