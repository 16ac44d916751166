#pragma once

#include "JackServerSession.h"

#include <juce_audio_devices/juce_audio_devices.h>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

/** One device of JackAudioDeviceType: a JACK client of the program ("JUCEJack") whose ports are
    connected to the ports of a named client of the server, the input device's output ports to its
    inputs, its outputs to the output device's input ports. Named after the output client, or the
    input client when there is none; its channels are the named clients' audio ports.

    The client exists from open to close. Opening registers one port per channel of the named
    clients (in_1..., out_1...) and connects those of the requested channels, failing when one cannot
    be connected. A channel is active while its port is connected to anything: from the moment the
    program's own connection is made, or from when the server reports a connection (some servers
    report the program's own connections a moment later). When the active channels change, the
    device restarts its callback with them and reports the change to its type. When the server goes
    away, the session closes the client and the device stops its callback: it is then neither open
    nor playing.

    Threads: everything runs on the message thread or a thread holding the message-manager lock,
    except the process callback, which runs on the client's real-time thread, allocates nothing and
    takes no lock. The message thread changes the active channels only while no callback is attached,
    and after attaching one waits until the process callback has let go of the one before. libjack
    may cancel the real-time thread at any instruction when it closes the client of a dead server,
    so the callback is detached before that, and the process callback calls nothing that may not be
    unwound. */
class JackAudioDevice : public juce::AudioIODevice,
                        private JackServerSession::ClientOwner
{
public:
    /** @param channelsChanged called on the message thread when the active channels change */
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
    int getXRunCount() const noexcept override { return xruns.load (std::memory_order_relaxed); }

    /** Whether `device` is one of these and its server has gone. */
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
        /** Published to the process callback; changed only while no callback is attached. */
        std::unique_ptr<std::atomic<bool>[]> active;
        /** The process callback's list of the active ports' buffers. */
        std::vector<float*> buffers;

        void make (size_t numPorts);
        void clear();
        juce::BigInteger findActive (JackApi& api);
        void publish (const juce::BigInteger& bits);
    };

    void jackClientClosing() override;
    void jackServerLost() override;
    void jackPortConnectionsChanged() override;

    jack_client_t* _client() const noexcept;
    bool _hasLostServer() const noexcept;
    bool _registerPorts (jack_client_t* handle, PortSet& set, const char* prefix, int numPorts, unsigned long flags);
    juce::String _connect (jack_client_t* handle, const juce::BigInteger& inputChannels, const juce::BigInteger& outputChannels);
    void _updateActivePorts (bool notify);
    /** Attaches a callback to the process callback and returns the one before, once the process
        callback has let go of it. */
    juce::AudioIODeviceCallback* _swapCallback (juce::AudioIODeviceCallback* newCallback);
    void _releaseClient();
    int _latencyOf (const PortSet& set, jack_latency_callback_mode_t mode);

    static int _processCallback (jack_nframes_t numFrames, void* arg);
    static int _xrunCallback (void* arg);
    void _process (jack_nframes_t numFrames);

    const std::shared_ptr<JackServerSession> session;
    const std::function<void()> notifyChannelsChanged;
    std::unique_ptr<JackServerSession::Client> client;

    PortSet inputs, outputs;
    juce::BigInteger activeInputs, activeOutputs;
    double openSampleRate = 0.0;
    bool deviceIsOpen = false;
    bool lostServer = false;
    juce::String lastError;

    std::atomic<juce::AudioIODeviceCallback*> callback { nullptr };
    /** Detached from the process callback because the server has gone, and not yet told that it
        stopped. Message thread. */
    juce::AudioIODeviceCallback* callbackStoppedByLoss = nullptr;
    /** Set by the process callback while it runs. */
    std::atomic<bool> processing { false };
    std::atomic<int> xruns { 0 };

    JUCE_DECLARE_WEAK_REFERENCEABLE (JackAudioDevice)
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (JackAudioDevice)
};
