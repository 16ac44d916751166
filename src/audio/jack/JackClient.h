#pragma once

#include "JackApi.h"

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>
#include <sys/types.h>

/** The program's one client of a JACK server, named after the program. Every device of the program
    registers its ports on it, and its one process callback serves the devices attached to it: those
    that take audio in first, then those that give it out, so that what an input hands on in a cycle
    reaches the outputs in the same cycle. Patchbays show the program as this one client.

    libjack calls the callbacks here on threads of its own. The notification callbacks only note what
    happened and call `notify` (which wakes the message thread); the process callback calls the
    attached devices and nothing else.

    Threads: everything but the callbacks runs on the message thread (or a thread that holds the
    message-manager lock). The process callback runs on the server's real-time thread, allocates
    nothing and takes no lock. Closing the libjack client is its owner's business (see
    JackServerSession): this object must outlive the client's threads. */
class JackClient
{
public:
    /** A device served by the process callback. */
    struct Processor
    {
        virtual ~Processor() = default;
        /** The server's real-time thread. Not noexcept: libjack may cancel the thread at any
            instruction when it closes the client of a dead server (the session detaches every
            processor before that). */
        virtual void jackProcess (jack_nframes_t numFrames) = 0;
    };

    enum class Stage { takesIn, givesOut };

    /** Opens and activates the client; null when no server takes it. `notify` is called on
        libjack's threads whenever something is noted. */
    static std::unique_ptr<JackClient> open (JackApi& api, const juce::String& name, std::function<void()> notify);

    jack_client_t* getHandle() const noexcept { return handle; }
    /** The name the server gave the client. */
    const juce::String& getName() const noexcept { return name; }

    /** An audio port of the client named `wanted`, or `wanted` with " 2", " 3"... when a port in
        use already has that name; null when the server refuses. A port once registered stays with
        the client: one released is only disconnected, and taken again by the next device that
        wants its name. PipeWire's JACK (0.3.65) carries no audio through a port registered after
        one of the client's ports was unregistered, once the peer it connects to is a new client. */
    jack_port_t* acquirePort (const juce::String& wanted, unsigned long flags);
    void releasePort (jack_port_t* port);

    /** Serves `processor` from the next cycle on; false when every place of its stage is taken. */
    bool attach (Processor& processor, Stage stage);
    /** Returns once the process callback can no longer be inside `processor`. */
    void detach (Processor& processor);
    void detachAll();
    /** Returns once a process cycle under way when it was called has ended. */
    void waitForCycleToEnd() const;

    /** What libjack's threads noted; each flag is taken (cleared) by the message thread. */
    bool takeClientsChanged() noexcept { return clientsChanged.exchange (false); }
    bool takeConnectionsChanged() noexcept { return connectionsChanged.exchange (false); }
    bool takeFormatChanged() noexcept { return formatChanged.exchange (false); }
    bool hasLostServer() const noexcept { return lost.load(); }
    int getXRunCount() const noexcept { return xruns.load (std::memory_order_relaxed); }

    /** Waits at most `timeoutMs` until the libjack thread that reported the server's end has ended.
        That thread goes on through libjack's own code after our callback returns, and a close
        cancels it at whatever instruction it has reached: in a function of libjack's that has
        objects to destroy, that ends the process (std::terminate). Once it has ended by itself, the
        close only reaps it. PipeWire's library reports from a thread that stays; the wait then
        ends at the timeout, and its close cancels nothing. */
    void awaitLossReporter (int timeoutMs) const;

private:
    JackClient (JackApi& api, jack_client_t* handle, std::function<void()> notify);

    static int _process (jack_nframes_t numFrames, void* arg);
    static void _infoShutdown (jack_status_t, const char*, void* arg);
    static void _shutdown (void* arg);
    static void _clientRegistered (const char*, int, void* arg);
    static void _portRegistered (jack_port_id_t, int, void* arg);
    static void _portConnected (jack_port_id_t, jack_port_id_t, int, void* arg);
    static int _bufferSizeChanged (jack_nframes_t, void* arg);
    static int _sampleRateChanged (jack_nframes_t, void* arg);
    static int _xrun (void* arg);
    void _note (std::atomic<bool>& flag);

    JackApi& api;
    jack_client_t* const handle;
    const std::function<void()> notify;
    juce::String name;
    struct OwnPort
    {
        jack_port_t* port;
        juce::String name;
        unsigned long flags;
        bool inUse;
    };

    /** Every port the client has registered. Message thread. */
    std::vector<OwnPort> ownPorts;

    static constexpr size_t maxProcessorsPerStage = 4;
    /** Written on the message thread, read by the process callback. */
    std::array<std::array<std::atomic<Processor*>, maxProcessorsPerStage>, 2> processors {};
    /** Counted up as the process callback enters and leaves: odd while it runs. */
    std::atomic<uint32_t> cycleCount { 0 };

    /** Set on libjack's threads. */
    std::atomic<bool> lost { false }, clientsChanged { false }, connectionsChanged { false }, formatChanged { false };
    std::atomic<int> xruns { 0 };
    /** The kernel's id of the thread that reported the server's end; 0 until one has. */
    std::atomic<pid_t> lossReporter { 0 };

    JUCE_DECLARE_NON_COPYABLE (JackClient)
};
