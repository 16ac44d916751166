#include "JackClient.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <pthread.h>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace
{
/** Runs `note` with cancellation held off. libjack ends a client's notification thread with an
    asynchronous pthread_cancel when the client closes; caught inside JUCE's code that wakes the
    message thread, whose functions may not be unwound, the process would end. A cancel that came
    meanwhile takes effect when the state is put back, in this frame, which may be unwound (so it is
    not done in a destructor, which may not). */
template <typename Note>
void withoutCancellation (Note&& note)
{
    int previous = PTHREAD_CANCEL_ENABLE;
    pthread_setcancelstate (PTHREAD_CANCEL_DISABLE, &previous);
    note();
    pthread_setcancelstate (previous, nullptr);
}
} // namespace

std::unique_ptr<JackClient> JackClient::open (JackApi& api, const juce::String& name, std::function<void()> notify)
{
    jack_status_t status {};
    auto* handle = api.clientOpen (name.toRawUTF8(), &status);

    if (handle == nullptr)
        return {};

    std::unique_ptr<JackClient> client (new JackClient (api, handle, std::move (notify)));
    auto* arg = client.get();
    api.onInfoShutdown (handle, _infoShutdown, arg);
    api.onShutdown (handle, _shutdown, arg);
    api.setProcessCallback (handle, _process, arg);
    api.setXrunCallback (handle, _xrun, arg);
    api.setClientRegistrationCallback (handle, _clientRegistered, arg);
    api.setPortRegistrationCallback (handle, _portRegistered, arg);
    api.setPortConnectCallback (handle, _portConnected, arg);
    api.setBufferSizeCallback (handle, _bufferSizeChanged, arg);
    api.setSampleRateCallback (handle, _sampleRateChanged, arg);

    // Only an active client is told of the server's changes. One that cannot be activated is
    // left open rather than closed here: its close is the session's, bounded, and the session
    // sees that it lists nothing.
    api.activate (handle);
    return client;
}

JackClient::JackClient (JackApi& jackApi, jack_client_t* h, std::function<void()> n)
    : api (jackApi), handle (h), notify (std::move (n)), name (juce::CharPointer_UTF8 (jackApi.getClientName (h)))
{
    for (auto& stage : processors)
        for (auto& slot : stage)
            slot = nullptr;
}

jack_port_t* JackClient::acquirePort (const juce::String& wanted, unsigned long flags)
{
    for (int n = 1;; ++n)
    {
        const auto portName = n == 1 ? wanted : wanted + " " + juce::String (n);
        const auto own = std::find_if (ownPorts.begin(), ownPorts.end(), [&] (auto& p) { return p.name == portName; });

        if (own == ownPorts.end())
        {
            auto* port = api.portRegister (handle, portName.toRawUTF8(), flags);

            if (port != nullptr)
                ownPorts.push_back ({ port, portName, flags, true });

            return port;
        }

        if (! own->inUse && own->flags == flags)
        {
            own->inUse = true;
            return own->port;
        }
    }
}

void JackClient::releasePort (jack_port_t* port)
{
    for (auto& own : ownPorts)
    {
        if (own.port == port)
        {
            api.portDisconnect (handle, port);
            own.inUse = false;
        }
    }
}

bool JackClient::attach (Processor& processor, Stage stage)
{
    for (auto& slot : processors[stage == Stage::takesIn ? 0 : 1])
    {
        Processor* expected = nullptr;

        if (slot.compare_exchange_strong (expected, &processor))
            return true;
    }

    return false;
}

void JackClient::detach (Processor& processor)
{
    for (auto& stage : processors)
    {
        for (auto& slot : stage)
        {
            Processor* expected = &processor;
            slot.compare_exchange_strong (expected, nullptr);
        }
    }

    waitForCycleToEnd();
}

void JackClient::detachAll()
{
    for (auto& stage : processors)
        for (auto& slot : stage)
            slot = nullptr;

    waitForCycleToEnd();
}

void JackClient::waitForCycleToEnd() const
{
    // A cycle that begins after this load finds the slots as they are now.
    const auto seen = cycleCount.load();

    if ((seen & 1) == 0)
        return;

    // The process callback calls nothing that blocks, so the cycle ends soon; the server's end
    // does not stop it halfway (only a close cancels the thread, and none comes while we wait).
    while (cycleCount.load() == seen)
        std::this_thread::yield();
}

void JackClient::awaitLossReporter (int timeoutMs) const
{
    const auto hasEnded = [] (pid_t thread)
    {
        // A thread's kernel task goes the moment it ends; libjack joins it later.
        return thread == ::gettid() || (::syscall (SYS_tgkill, ::getpid(), thread, 0) != 0 && errno == ESRCH);
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (timeoutMs);

    for (;;)
    {
        const auto reporter = lossReporter.load();

        if ((reporter != 0 && hasEnded (reporter)) || std::chrono::steady_clock::now() >= deadline)
            return;

        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }
}

//==============================================================================
int JackClient::_process (jack_nframes_t numFrames, void* arg)
{
    auto& client = *static_cast<JackClient*> (arg);
    client.cycleCount.fetch_add (1);

    for (auto& stage : client.processors)
        for (auto& slot : stage)
            if (auto* processor = slot.load())
                processor->jackProcess (numFrames);

    client.cycleCount.fetch_add (1);
    return 0;
}

void JackClient::_note (std::atomic<bool>& flag)
{
    withoutCancellation ([&]
    {
        flag = true;

        if (notify != nullptr)
            notify();
    });
}

void JackClient::_infoShutdown (jack_status_t, const char*, void* arg)
{
    auto& client = *static_cast<JackClient*> (arg);
    client.lossReporter = ::gettid();
    client._note (client.lost);
}

void JackClient::_shutdown (void* arg)
{
    _infoShutdown (JackFailure, "", arg);
}

void JackClient::_clientRegistered (const char*, int, void* arg)
{
    auto& client = *static_cast<JackClient*> (arg);
    client._note (client.clientsChanged);
}

void JackClient::_portRegistered (jack_port_id_t, int, void* arg)
{
    _clientRegistered (nullptr, 0, arg);
}

void JackClient::_portConnected (jack_port_id_t, jack_port_id_t, int, void* arg)
{
    auto& client = *static_cast<JackClient*> (arg);
    client._note (client.connectionsChanged);
}

int JackClient::_bufferSizeChanged (jack_nframes_t, void* arg)
{
    auto& client = *static_cast<JackClient*> (arg);
    client._note (client.formatChanged);
    return 0;
}

int JackClient::_sampleRateChanged (jack_nframes_t numFrames, void* arg)
{
    return _bufferSizeChanged (numFrames, arg);
}

int JackClient::_xrun (void* arg)
{
    static_cast<JackClient*> (arg)->xruns.fetch_add (1, std::memory_order_relaxed);
    return 0;
}
