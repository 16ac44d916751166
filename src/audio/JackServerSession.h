#pragma once

#include "JackApi.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <future>
#include <memory>
#include <sys/types.h>
#include <vector>

/** The program's link to a JACK server: it opens and closes every JACK client the program has, keeps
    the lists of the server's clients with audio ports current through a portless client of its own
    (the watch client), and handles the server's end.

    libjack reports a server's end to each client on a thread of its own. The session's answer there
    is only to mark the server lost; the message thread then waits briefly for those threads to end
    (see _awaitLossReporters), closes every client of the program (a client is closed before its
    owner hears of the loss, so no owner can reach it any more), empties the lists and tells its
    listeners. libjack frees the clients of a dead server by itself at the next client opened in
    the process, so a loss not yet handled is handled at once by whatever opens a client next. Once the server is known lost, no libjack call but the close reaches its clients.
    While there is no watch client, each refresh tries to open one: that is how the server's return is
    found.

    One session on libjack is shared by every JACK device type and device of the application
    (getShared); tests make their own on a JackApi of their own.

    Threads: everything here runs on the message thread or on a thread that holds the message-manager
    lock, except the libjack callbacks, which touch only atomics and trigger the session's update on
    the message thread, and each client's close, made on a thread of its own that the caller waits
    for (see _close). */
class JackServerSession : private juce::AsyncUpdater
{
public:
    class Client;

    /** What the owner of a client is told, on the message thread. */
    struct ClientOwner
    {
        virtual ~ClientOwner() = default;
        /** The client of a dead server is about to be closed: from now on the client's process
            callback must not reach the owner's audio code. libjack cancels the client's threads
            at any instruction when it closes a client whose server has gone, so nothing of the
            owner's may be running on them then. Called from inside the session: calls nothing out. */
        virtual void jackClientClosing() = 0;
        /** The server has gone; the client is closed already. The owner may delete it. */
        virtual void jackServerLost() = 0;
        /** The server has reported connections of the client's ports made or broken. */
        virtual void jackPortConnectionsChanged() = 0;
    };

    struct Listener
    {
        virtual ~Listener() = default;
        /** The lists of the server's clients changed; they are empty once the server has gone.
            Message thread, never from inside a call to the session. */
        virtual void jackClientListChanged() = 0;
    };

    /** @param closeTimeoutMs how long a client's close may take before libjack counts as stuck */
    explicit JackServerSession (JackApi& api, int closeTimeoutMs = 2000);
    ~JackServerSession() override;

    /** The application's session on libjack, made on first use; it ends with its last user. */
    static std::shared_ptr<JackServerSession> getShared();

    JackApi& getApi() const noexcept { return api; }

    /** Looks at the server's clients now, first opening the watch client if there is none. */
    void refresh();

    /** The clients with audio output ports (input devices) and with audio input ports (output
        devices), as of the last look, in the server's order; the program's own clients are left out. */
    const juce::StringArray& getClientsWithOutputs() const noexcept { return clientsWithOutputs; }
    const juce::StringArray& getClientsWithInputs() const noexcept { return clientsWithInputs; }

    /** The short names ("in_1") of the named client's audio input ports, or output ports, in the
        server's order; empty while there is no server. */
    juce::StringArray getPortNames (const juce::String& clientName, bool inputPorts);

    /** The server's sample rate and period; 0 while there is no server. */
    double getSampleRate();
    int getBufferSize();

    /** Opens a client of the program for `owner`, with the server's end and its port connections
        reported to the owner. Null, with `error` set, when no server takes it. */
    std::unique_ptr<Client> openClient (const juce::String& name, ClientOwner& owner, juce::String& error);

    /** Whether a server took the watch client at the last look and has not been seen to end. */
    bool hasServer() const noexcept { return watchClient != nullptr && ! serverLost.load(); }

    /** Whether the server has gone and the session has not yet closed the clients it had. */
    bool hasLostServer() const noexcept { return serverLost.load(); }

    /** Whether a client's close did not return in time and has not returned since: libjack is
        left alone meanwhile (no client is opened or closed), as it may hold its own locks for ever. */
    bool isLibJackStuck();

    void addListener (Listener* listener) { listeners.add (listener); }
    void removeListener (Listener* listener) { listeners.remove (listener); }

private:
    void handleAsyncUpdate() override;

    /** Closes every client at once; the owners and listeners are told on the next update. */
    void _closeAllClients();
    /** Waits, at most 250 ms in all, until each open client's loss report has come and the libjack
        thread that made it has ended. That thread goes on through libjack's own code after our
        callback returns, and a close cancels it at whatever instruction it has reached: in a
        function of libjack's that has objects to destroy, that ends the process (std::terminate).
        Once the thread has ended by itself, the close only reaps it. */
    void _awaitLossReporters() const;
    /** Closes a libjack client on a thread of its own and waits up to closeTimeoutMs for it.
        libjack cancels a client's notification thread at any instruction when it closes the
        client, and one cancelled while it handled the server's report of a client that came or
        went leaves libjack's process-wide lock of its clients' wake-up objects taken: every later
        close, and every thread of libjack's that handles such a report, then waits for ever. A
        close that has not returned in time is left to its thread (stuckClose). */
    void _close (jack_client_t* handle);

    void _openWatchClient();
    void _scan();
    void _setLists (juce::StringArray withOutputs, juce::StringArray withInputs);
    Client* _findClient (const std::function<bool (Client&)>& predicate) const;
    void _unregister (Client* client);

    /** Libjack's notification thread: the server's clients or ports came or went. */
    static void _clientRegistered (const char*, int, void* arg);
    static void _portRegistered (jack_port_id_t, int, void* arg);

    JackApi& api;
    const int closeTimeoutMs;
    /** A close that did not return in time, until it is seen to have returned. Message thread. */
    std::future<void> stuckClose;
    /** Every open client of the program, the watch client too. */
    std::vector<Client*> clients;
    std::unique_ptr<Client> watchClient;

    juce::StringArray clientsWithOutputs, clientsWithInputs;
    juce::ListenerList<Listener> listeners;
    bool listenersToBeTold = false;

    /** Set on libjack's threads, cleared on the message thread. */
    std::atomic<bool> serverLost { false }, clientsMayHaveChanged { false };

    JUCE_DECLARE_NON_COPYABLE (JackServerSession)
};

/** One JACK client of the program, owned by whoever opened it (a device) and closed when that owner
    deletes it, or by the session when the server has gone. */
class JackServerSession::Client
{
public:
    ~Client();

    /** The libjack client, while it may be called: null once the server is lost or the client closed. */
    jack_client_t* get() const noexcept;

    /** The name the server gave the client. */
    const juce::String& getName() const noexcept { return name; }

    /** Closed, by its owner or because the server has gone: its threads have ended. */
    bool isClosed() const noexcept { return handle == nullptr; }

private:
    friend class JackServerSession;
    Client (JackServerSession& session, ClientOwner* owner, jack_client_t* handle, const juce::String& name);

    /** Libjack's threads. */
    static void _infoShutdown (jack_status_t, const char*, void* arg);
    static void _portConnected (jack_port_id_t, jack_port_id_t, int, void* arg);

    JackServerSession& session;
    ClientOwner* const owner;
    /** Message thread; null once closed. */
    jack_client_t* handle;
    const juce::String name;
    /** Set by libjack's notification thread, taken by the session on the message thread. */
    std::atomic<bool> portsChanged { false };
    /** Closed because the server has gone, and the owner not told yet. Message thread. */
    bool lossToBeTold = false;
    /** The kernel's id of the thread that reported the server's end; 0 until it has. Set by that
        thread, read on the message thread. */
    std::atomic<pid_t> lossReporter { 0 };

    JUCE_DECLARE_NON_COPYABLE (Client)
};
