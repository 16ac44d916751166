#pragma once

#include "JackClient.h"
#include "JackClientList.h"

#include <juce_events/juce_events.h>

#include <future>
#include <memory>
#include <vector>

/** The program's link to a JACK server: one client for the whole program (JackClient), opened when
    the server is first found and closed at quit, on which every device registers its ports; the
    lists of the server's other clients with audio ports; and the handling of the server's end.

    libjack reports the server's end on a thread of its own, where the client only notes it. The
    message thread then handles it in one sequence (_endLostClient): it waits briefly for that
    thread to end, detaches every device from the process callback, closes the dead client (a close
    that does not return in time is left to a thread of its own, and libjack is then left alone for
    good), empties the lists, and tells the devices on its next update. A loss not yet handled is
    handled at once by whatever needs the client next, so no device can open on a dead client.
    While there is no client, each refresh tries to open one: that is how the server's return is
    found.

    One session on libjack is shared by every JACK device type and device of the application
    (getShared); tests make their own on a JackApi of their own.

    Threads: the message thread, or a thread that holds the message-manager lock; libjack's threads
    only note things in the client and trigger the session's update. */
class JackServerSession : private juce::AsyncUpdater
{
public:
    /** A device that uses the client. Told on the message thread, never from inside a call to the
        session. */
    struct DeviceOwner
    {
        virtual ~DeviceOwner() = default;
        /** The server has gone: the device is detached from the process callback already, and its
            ports are gone with the client. */
        virtual void jackServerLost() = 0;
        /** The server has reported connections made or broken. */
        virtual void jackPortConnectionsChanged() = 0;
        /** The server's sample rate or period may have changed. */
        virtual void jackFormatChanged() = 0;
    };

    struct Listener
    {
        virtual ~Listener() = default;
        /** The lists of the server's clients changed; they are empty once the server has gone.
            Message thread, never from inside a call to the session. */
        virtual void jackClientListChanged() = 0;
    };

    /** @param closeTimeoutMs  how long the client's close may take before libjack counts as stuck
        @param clientName      the name the program's client asks for */
    explicit JackServerSession (JackApi& api, int closeTimeoutMs = 2000,
                                const juce::String& clientName = defaultClientName);
    ~JackServerSession() override;

    /** The program's name, which its client asks for. */
    static const char* const defaultClientName;

    /** The application's session on libjack, made on first use; it ends with its last user. */
    static std::shared_ptr<JackServerSession> getShared();

    JackApi& getApi() const noexcept { return api; }

    /** Looks at the server's clients now, first opening the program's client if there is none. */
    void refresh();

    const juce::StringArray& getClientsWithOutputs() const noexcept { return list.getClientsWithOutputs(); }
    const juce::StringArray& getClientsWithInputs() const noexcept { return list.getClientsWithInputs(); }

    /** The short names ("in_1") of the named client's audio input ports, or output ports, in the
        server's order; empty while there is no server. */
    juce::StringArray getPortNames (const juce::String& clientName, bool inputPorts);

    /** The server's sample rate and period; 0 while there is no server. */
    double getSampleRate();
    int getBufferSize();

    /** The program's client for `owner`, which is told of the server's changes until it leaves; the
        client is opened first when there is none. Null, with `error` set, when no server takes it. */
    JackClient* join (DeviceOwner& owner, juce::String& error);
    void leave (DeviceOwner& owner);
    /** Whether `owner` has joined the client that is open now, and the server has not been seen
        to end. */
    bool serves (const DeviceOwner& owner) const;

    /** Whether the program's client is open and its server has not been seen to end. */
    bool hasServer() const noexcept { return client != nullptr && ! client->hasLostServer(); }
    /** Whether the server has gone and the session has not yet closed the client. */
    bool hasLostServer() const noexcept { return client != nullptr && client->hasLostServer(); }

    /** Whether the client's close did not return in time and has not returned since: libjack is
        left alone meanwhile (no client is opened), as it may hold its own locks for ever. */
    bool isLibJackStuck();

    void addListener (Listener* listener) { listeners.add (listener); }
    void removeListener (Listener* listener) { listeners.remove (listener); }

private:
    void handleAsyncUpdate() override;

    /** Opens the program's client when there is none and the server takes one. */
    void _openClient();
    /** The server's end, handled in order; see the class comment. */
    void _endLostClient();
    /** Closes the libjack client on a thread of its own and waits up to closeTimeoutMs for it;
        the client is deleted once its close has returned, as its threads call into it until then.
        A close that has not returned in time is left to its thread (stuckClose). */
    void _close (std::unique_ptr<JackClient> closing);
    void _scan();
    template <typename Tell>
    void _tellOwners (std::vector<DeviceOwner*>& toTell, Tell&& tell);

    JackApi& api;
    const juce::String clientName;
    const int closeTimeoutMs;
    std::unique_ptr<JackClient> client;
    /** A close that did not return in time, until it is seen to have returned. */
    std::future<void> stuckClose;

    /** The devices on the open client, and those whose client ended and that are not told yet. */
    std::vector<DeviceOwner*> owners, ownersLosingServer;

    JackClientList list;
    juce::ListenerList<Listener> listeners;
    bool listenersToBeTold = false;

    JUCE_DECLARE_NON_COPYABLE (JackServerSession)
};
