#include "JackServerSession.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <future>
#include <mutex>
#include <pthread.h>
#include <sys/syscall.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace
{
/** How long a server loss's handling waits, at most, for libjack's threads that reported it to
    end by themselves (see _awaitLossReporters). */
constexpr int s_lossReportWaitMs = 250;

/** The watch client's name; it has no ports, so it is in no device list. */
const char* const s_watchClientName = "JuceJackDummy";

/** Runs `notify` with cancellation held off. libjack ends a client's notification thread with an
    asynchronous pthread_cancel when the client closes; caught inside JUCE's code that wakes the
    message thread, whose functions may not be unwound, the process would end. A cancel that came
    meanwhile takes effect when the state is put back, in this frame, which may be unwound (so it is
    not done in a destructor, which may not). */
template <typename Notify>
void withoutCancellation (Notify&& notify)
{
    int previous = PTHREAD_CANCEL_ENABLE;
    pthread_setcancelstate (PTHREAD_CANCEL_DISABLE, &previous);
    notify();
    pthread_setcancelstate (previous, nullptr);
}
} // namespace

//==============================================================================
JackServerSession::Client::Client (JackServerSession& s, ClientOwner* o, jack_client_t* h, const juce::String& n)
    : session (s), owner (o), handle (h), name (n)
{
    session.clients.push_back (this);
}

JackServerSession::Client::~Client()
{
    // A client of a dead server is closed too: libjack would otherwise free it at the next open.
    if (handle != nullptr)
        session._close (std::exchange (handle, nullptr));

    session._unregister (this);
}

jack_client_t* JackServerSession::Client::get() const noexcept
{
    return session.serverLost.load() ? nullptr : handle;
}

void JackServerSession::Client::_infoShutdown (jack_status_t, const char*, void* arg)
{
    withoutCancellation ([arg]
    {
        auto& client = *static_cast<Client*> (arg);
        client.lossReporter = ::gettid();
        client.session.serverLost = true;
        client.session.triggerAsyncUpdate();
    });
}

void JackServerSession::Client::_portConnected (jack_port_id_t, jack_port_id_t, int, void* arg)
{
    withoutCancellation ([arg]
    {
        auto& client = *static_cast<Client*> (arg);
        client.portsChanged = true;
        client.session.triggerAsyncUpdate();
    });
}

//==============================================================================
JackServerSession::JackServerSession (JackApi& jackApi, int closeTimeout)
    : api (jackApi), closeTimeoutMs (closeTimeout)
{
}

JackServerSession::~JackServerSession()
{
    // Each device keeps the session alive while it has a client, so only the watch client is left.
    jassert (clients.size() <= (watchClient != nullptr ? 1u : 0u));
    watchClient.reset();
    cancelPendingUpdate();
}

std::shared_ptr<JackServerSession> JackServerSession::getShared()
{
    static std::mutex lock;
    static std::weak_ptr<JackServerSession> shared;

    const std::lock_guard<std::mutex> lg (lock);
    auto session = shared.lock();

    if (session == nullptr)
    {
        session = std::make_shared<JackServerSession> (JackApi::getLibJack());
        shared = session;
    }

    return session;
}

void JackServerSession::refresh()
{
    if (serverLost.load())
        _closeAllClients();

    if (watchClient == nullptr)
        _openWatchClient();

    clientsMayHaveChanged = false;
    _scan();
}

juce::StringArray JackServerSession::getPortNames (const juce::String& clientName, bool inputPorts)
{
    juce::StringArray names;
    auto* handle = watchClient != nullptr ? watchClient->get() : nullptr;

    if (handle == nullptr || clientName.isEmpty())
        return names;

    for (auto& port : api.getAudioPorts (handle, inputPorts ? JackPortIsInput : JackPortIsOutput))
        if (port.upToFirstOccurrenceOf (":", false, false) == clientName)
            names.add (port.fromFirstOccurrenceOf (":", false, false));

    return names;
}

double JackServerSession::getSampleRate()
{
    auto* handle = watchClient != nullptr ? watchClient->get() : nullptr;
    return handle != nullptr ? (double) api.getSampleRate (handle) : 0.0;
}

int JackServerSession::getBufferSize()
{
    auto* handle = watchClient != nullptr ? watchClient->get() : nullptr;
    return handle != nullptr ? (int) api.getBufferSize (handle) : 0;
}

std::unique_ptr<JackServerSession::Client> JackServerSession::openClient (const juce::String& name, ClientOwner& owner,
                                                                          juce::String& error)
{
    // Opening a client while one of a dead server is still open would make libjack free that one.
    if (serverLost.load())
        _closeAllClients();

    // A stuck close holds libjack's lock that every open takes.
    if (isLibJackStuck())
    {
        error = "The JACK library did not close a client; JACK is unavailable until the program is restarted";
        return {};
    }

    jack_status_t status {};
    auto* handle = api.clientOpen (name.toRawUTF8(), &status);

    if (handle == nullptr)
    {
        error = "Cannot connect to the JACK server";
        return {};
    }

    std::unique_ptr<Client> client (new Client (*this, &owner, handle, juce::CharPointer_UTF8 (api.getClientName (handle))));
    api.onInfoShutdown (handle, Client::_infoShutdown, client.get());
    api.setPortConnectCallback (handle, Client::_portConnected, client.get());
    return client;
}

//==============================================================================
void JackServerSession::handleAsyncUpdate()
{
    if (serverLost.load())
        _closeAllClients();

    // Owners may open, close and delete clients when told anything, so the list is searched afresh
    // each time.
    while (auto* client = _findClient ([] (Client& c) { return std::exchange (c.lossToBeTold, false); }))
        if (client->owner != nullptr)
            client->owner->jackServerLost();

    if (clientsMayHaveChanged.exchange (false))
        _scan();

    while (auto* client = _findClient ([] (Client& c) { return c.handle != nullptr && c.portsChanged.exchange (false); }))
        if (client->owner != nullptr)
            client->owner->jackPortConnectionsChanged();

    if (std::exchange (listenersToBeTold, false))
        listeners.call ([] (Listener& l) { l.jackClientListChanged(); });
}

void JackServerSession::_closeAllClients()
{
    _awaitLossReporters();

    for (auto* client : clients)
        if (client->handle != nullptr && client->owner != nullptr)
            client->owner->jackClientClosing();

    // libjack's threads of a closed client are gone, so no callback can mark the server lost again
    // after this. The owners hear of the loss on the message thread's next update.
    // After a close that did not return, the rest are left open: each would only wait for the
    // stuck one. Their threads are of a dead server, waiting for it or for libjack's lock.
    for (auto* client : clients)
    {
        if (client->handle != nullptr)
        {
            _close (std::exchange (client->handle, nullptr));
            client->lossToBeTold = true;
        }
    }

    serverLost = false;
    watchClient.reset();
    _setLists ({}, {});
    triggerAsyncUpdate();
}

void JackServerSession::_awaitLossReporters() const
{
    const auto hasEnded = [] (pid_t thread)
    {
        // A thread's kernel task goes the moment it ends; libjack joins it later.
        return thread == ::gettid() || (::syscall (SYS_tgkill, ::getpid(), thread, 0) != 0 && errno == ESRCH);
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (s_lossReportWaitMs);

    for (auto* client : clients)
    {
        if (client->handle == nullptr)
            continue;

        for (;;)
        {
            const auto reporter = client->lossReporter.load();

            if ((reporter != 0 && hasEnded (reporter)) || std::chrono::steady_clock::now() >= deadline)
                break;

            std::this_thread::sleep_for (std::chrono::milliseconds (1));
        }
    }
}

bool JackServerSession::isLibJackStuck()
{
    if (stuckClose.valid() && stuckClose.wait_for (std::chrono::seconds (0)) != std::future_status::ready)
        return true;

    stuckClose = {};
    return false;
}

void JackServerSession::_close (jack_client_t* handle)
{
    if (isLibJackStuck())
        return;

    std::promise<void> closed;
    auto returned = closed.get_future();
    std::thread closer;

    try
    {
        closer = std::thread ([&jack = api, handle, closed = std::move (closed)]() mutable
        {
            jack.clientClose (handle);
            closed.set_value();
        });
    }
    catch (const std::system_error&)
    {
        api.clientClose (handle);
        return;
    }

    if (returned.wait_for (std::chrono::milliseconds (closeTimeoutMs)) == std::future_status::ready)
    {
        closer.join();
        return;
    }

    closer.detach();
    stuckClose = std::move (returned);
}

void JackServerSession::_openWatchClient()
{
    if (isLibJackStuck())
        return;

    jack_status_t status {};
    auto* handle = api.clientOpen (s_watchClientName, &status);

    if (handle == nullptr)
        return;

    std::unique_ptr<Client> client (new Client (*this, nullptr, handle, juce::CharPointer_UTF8 (api.getClientName (handle))));
    api.onInfoShutdown (handle, Client::_infoShutdown, client.get());
    api.setClientRegistrationCallback (handle, _clientRegistered, this);
    api.setPortRegistrationCallback (handle, _portRegistered, this);

    // Only an active client is told of the server's changes.
    if (api.activate (handle) == 0)
        watchClient = std::move (client);
}

void JackServerSession::_scan()
{
    auto* handle = watchClient != nullptr ? watchClient->get() : nullptr;

    if (handle == nullptr)
    {
        _setLists ({}, {});
        return;
    }

    juce::StringArray ownClients;

    for (auto* client : clients)
        ownClients.add (client->name);

    const auto clientsWithPorts = [&] (unsigned long flags)
    {
        juce::StringArray names;

        for (auto& port : api.getAudioPorts (handle, flags))
        {
            const auto clientName = port.upToFirstOccurrenceOf (":", false, false);

            if (! ownClients.contains (clientName))
                names.addIfNotAlreadyThere (clientName);
        }

        return names;
    };

    _setLists (clientsWithPorts (JackPortIsOutput), clientsWithPorts (JackPortIsInput));
}

void JackServerSession::_setLists (juce::StringArray withOutputs, juce::StringArray withInputs)
{
    if (withOutputs == clientsWithOutputs && withInputs == clientsWithInputs)
        return;

    clientsWithOutputs = std::move (withOutputs);
    clientsWithInputs = std::move (withInputs);

    // Never from inside the call that noticed: a device manager may be in the middle of a scan.
    listenersToBeTold = true;
    triggerAsyncUpdate();
}

JackServerSession::Client* JackServerSession::_findClient (const std::function<bool (Client&)>& predicate) const
{
    for (auto* client : clients)
        if (predicate (*client))
            return client;

    return nullptr;
}

void JackServerSession::_unregister (Client* client)
{
    clients.erase (std::remove (clients.begin(), clients.end(), client), clients.end());
}

void JackServerSession::_clientRegistered (const char*, int, void* arg)
{
    withoutCancellation ([arg]
    {
        auto& session = *static_cast<JackServerSession*> (arg);
        session.clientsMayHaveChanged = true;
        session.triggerAsyncUpdate();
    });
}

void JackServerSession::_portRegistered (jack_port_id_t, int, void* arg)
{
    _clientRegistered (nullptr, 0, arg);
}
