#include "JackServerSession.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <system_error>
#include <thread>

namespace
{
/** How long the handling of the server's end waits, at most, for libjack's thread that reported it
    to end by itself (see JackClient::awaitLossReporter). */
constexpr int s_lossReportWaitMs = 250;

void removeFrom (std::vector<JackServerSession::DeviceOwner*>& owners, const JackServerSession::DeviceOwner& owner)
{
    owners.erase (std::remove (owners.begin(), owners.end(), &owner), owners.end());
}
} // namespace

const char* const JackServerSession::defaultClientName = "Kestro Vantrel Standalone";

JackServerSession::JackServerSession (JackApi& jackApi, int closeTimeout, const juce::String& name)
    : api (jackApi), clientName (name), closeTimeoutMs (closeTimeout)
{
}

JackServerSession::~JackServerSession()
{
    // Each device keeps the session alive while it is open, so none is left.
    jassert (owners.empty());
    cancelPendingUpdate();

    if (client != nullptr)
    {
        if (client->hasLostServer())
            client->awaitLossReporter (s_lossReportWaitMs);

        client->detachAll();
        _close (std::move (client));
    }
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
    _openClient();

    if (client != nullptr)
        client->takeClientsChanged();

    _scan();
}

juce::StringArray JackServerSession::getPortNames (const juce::String& name, bool inputPorts)
{
    return JackClientList::getPortNames (api, hasServer() ? client->getHandle() : nullptr, name, inputPorts);
}

double JackServerSession::getSampleRate()
{
    return hasServer() ? (double) api.getSampleRate (client->getHandle()) : 0.0;
}

int JackServerSession::getBufferSize()
{
    return hasServer() ? (int) api.getBufferSize (client->getHandle()) : 0;
}

JackClient* JackServerSession::join (DeviceOwner& owner, juce::String& error)
{
    _openClient();

    if (! hasServer())
    {
        error = isLibJackStuck() ? "The JACK library did not close a client; JACK is unavailable until the program is restarted"
                                 : "Cannot connect to the JACK server";
        return nullptr;
    }

    leave (owner);
    owners.push_back (&owner);
    return client.get();
}

void JackServerSession::leave (DeviceOwner& owner)
{
    removeFrom (owners, owner);
    removeFrom (ownersLosingServer, owner);
}

bool JackServerSession::serves (const DeviceOwner& owner) const
{
    return hasServer() && std::find (owners.begin(), owners.end(), &owner) != owners.end();
}

//==============================================================================
void JackServerSession::handleAsyncUpdate()
{
    if (hasLostServer())
        _endLostClient();

    // Owners may open, close and leave when told anything, so each list is taken afresh.
    _tellOwners (ownersLosingServer, [] (DeviceOwner& o) { o.jackServerLost(); });

    if (client != nullptr && client->takeClientsChanged())
        _scan();

    if (client != nullptr && client->takeConnectionsChanged())
    {
        auto toTell = owners;
        _tellOwners (toTell, [] (DeviceOwner& o) { o.jackPortConnectionsChanged(); });
    }

    if (client != nullptr && client->takeFormatChanged())
    {
        auto toTell = owners;
        _tellOwners (toTell, [] (DeviceOwner& o) { o.jackFormatChanged(); });
    }

    if (std::exchange (listenersToBeTold, false))
        listeners.call ([] (Listener& l) { l.jackClientListChanged(); });
}

template <typename Tell>
void JackServerSession::_tellOwners (std::vector<DeviceOwner*>& toTell, Tell&& tell)
{
    // An owner that leaves while another is told is not told any more.
    while (! toTell.empty())
    {
        auto* owner = toTell.front();
        toTell.erase (toTell.begin());

        if (&toTell == &ownersLosingServer || std::find (owners.begin(), owners.end(), owner) != owners.end())
            tell (*owner);
    }
}

void JackServerSession::_openClient()
{
    // A dead client is closed before another opens: jackd's library would otherwise free it
    // behind its owners' backs.
    if (hasLostServer())
        _endLostClient();

    if (client != nullptr || isLibJackStuck())
        return;

    client = JackClient::open (api, clientName, [this] { triggerAsyncUpdate(); });
}

void JackServerSession::_endLostClient()
{
    client->awaitLossReporter (s_lossReportWaitMs);

    // From here on no device's code runs on the client's threads, which the close may cancel.
    client->detachAll();
    _close (std::move (client));

    ownersLosingServer.insert (ownersLosingServer.end(), owners.begin(), owners.end());
    owners.clear();
    _scan();
    triggerAsyncUpdate();
}

bool JackServerSession::isLibJackStuck()
{
    if (stuckClose.valid() && stuckClose.wait_for (std::chrono::seconds (0)) != std::future_status::ready)
        return true;

    stuckClose = {};
    return false;
}

void JackServerSession::_close (std::unique_ptr<JackClient> closing)
{
    // A stuck close holds libjack's lock that this one would wait for; the client is left as it is.
    if (isLibJackStuck())
    {
        closing.release();
        return;
    }

    std::promise<void> closed;
    auto returned = closed.get_future();
    auto* handle = closing->getHandle();
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

    // libjack's threads may still call into the client: it stays.
    closer.detach();
    closing.release();
    stuckClose = std::move (returned);
}

void JackServerSession::_scan()
{
    const auto changed = list.update (api, hasServer() ? client->getHandle() : nullptr,
                                      client != nullptr ? client->getName() : juce::String());

    // Never from inside the call that noticed: a device manager may be in the middle of a scan.
    if (changed)
    {
        listenersToBeTold = true;
        triggerAsyncUpdate();
    }
}
