#include "FakeJackServer.h"

#include <algorithm>
#include <cerrno>
#include <chrono>

FakeJackServer::~FakeJackServer()
{
    for (auto& client : clients)
        if (client->lossReporter.joinable())
            client->lossReporter.join();
}

void FakeJackServer::addClient (const std::string& name, int numInputs, int numOutputs, const std::string& outputPrefix)
{
    auto& client = _addClient (name, false);

    for (int i = 0; i < numInputs; ++i)
        _addPort (client, "in_" + std::to_string (i + 1), JackPortIsInput);

    for (int i = 0; i < numOutputs; ++i)
        _addPort (client, outputPrefix + std::to_string (i + 1), JackPortIsOutput).level = 0.125f * (float) (i + 1);

    client.active = true;
    _notifyRegistration();
}

void FakeJackServer::removeClient (const std::string& name)
{
    for (auto& client : clients)
        if (client->name == name && _isAlive (*client))
            _removeClient (*client);
}

void FakeJackServer::stop()
{
    connections.clear();
    reportedConnections.clear();
    pending.clear();

    for (auto& client : clients)
    {
        if (! client->ofTheProgram || ! _isAlive (*client))
            continue;

        if (! reportLossFromThreads)
        {
            _tellLoss (*client);
            continue;
        }

        if (client->lossReporter.joinable())
            client->lossReporter.join();

        client->lossReporterEnded = false;
        client->lossReporter = std::thread ([this, c = client.get()]
        {
            _tellLoss (*c);
            std::this_thread::sleep_for (std::chrono::milliseconds (50));
            c->lossReporterEnded = true;
        });
    }

    running = false;
    ++generation;
}

void FakeJackServer::_tellLoss (Client& client)
{
    // libjack calls one of the two; PipeWire's only the plain one.
    if (client.shutdown != nullptr && ! reportLossWithoutReason)
        client.shutdown (JackStatus (JackFailure | JackServerError), "server gone", client.shutdownArg);
    else if (client.plainShutdown != nullptr)
        client.plainShutdown (client.plainShutdownArg);
}

void FakeJackServer::setFormat (jack_nframes_t newSampleRate, jack_nframes_t newBufferSize)
{
    sampleRate = newSampleRate;
    bufferSize = newBufferSize;

    pending.push_back ([this]
    {
        for (auto& client : clients)
        {
            if (! client->ofTheProgram || ! _isAlive (*client) || ! client->active)
                continue;

            if (client->sampleRate != nullptr)
                client->sampleRate (sampleRate, client->sampleRateArg);

            if (client->bufferSize != nullptr)
                client->bufferSize (bufferSize, client->bufferSizeArg);
        }
    });
}

void FakeJackServer::start()
{
    running = true;
}

void FakeJackServer::deliverNotifications()
{
    // A notification may queue others.
    while (! pending.empty())
    {
        auto due = std::move (pending);
        pending.clear();

        for (auto& notify : due)
            notify();
    }
}

void FakeJackServer::runCycle (int numFrames)
{
    if (! running)
        return;

    // The program's output ports keep what was last written into them, as a real server's do.
    for (auto& port : ports)
    {
        const bool programOutput = (port->flags & JackPortIsOutput) != 0 && port->owner->ofTheProgram;

        if (programOutput)
            port->buffer.resize ((size_t) numFrames, 0.0f);
        else
            port->buffer.assign ((size_t) numFrames, 0.0f);

        if ((port->flags & JackPortIsOutput) != 0 && ! port->owner->ofTheProgram)
            std::fill (port->buffer.begin(), port->buffer.end(), port->level);
    }

    // The program's inputs first, then its process callbacks, then what reaches the others' inputs.
    const auto mixInto = [this] (bool intoTheProgram)
    {
        for (auto& [source, destination] : connections)
            if (destination->owner->ofTheProgram == intoTheProgram)
                for (size_t i = 0; i < destination->buffer.size() && i < source->buffer.size(); ++i)
                    destination->buffer[i] += source->buffer[i];
    };

    mixInto (true);

    for (auto& client : clients)
        if (client->ofTheProgram && _isAlive (*client) && client->active && client->process != nullptr)
            client->process ((jack_nframes_t) numFrames, client->processArg);

    mixInto (false);
}

float FakeJackServer::lastSampleAt (const std::string& portName) const
{
    auto* port = _findPort (portName);
    return port != nullptr && ! port->buffer.empty() ? port->buffer[0] : 0.0f;
}

std::vector<std::string> FakeJackServer::getOpenClientsOfTheProgram() const
{
    std::vector<std::string> names;

    for (auto& client : clients)
        if (client->ofTheProgram && ! client->closed)
            names.push_back (client->name);

    return names;
}

std::vector<std::string> FakeJackServer::getPortsOfTheProgram (bool connectedOnly) const
{
    std::vector<std::string> names;

    for (auto& port : ports)
    {
        const bool connected = std::any_of (connections.begin(), connections.end(), [&] (const Connection& c)
        {
            return c.first == port.get() || c.second == port.get();
        });

        if (port->registered && port->owner->ofTheProgram && _isAlive (*port->owner) && (connected || ! connectedOnly))
            names.push_back (port->name);
    }

    return names;
}

//==============================================================================
jack_client_t* FakeJackServer::clientOpen (const char* name, jack_status_t* status)
{
    for (auto& client : clients)
        if (client->ofTheProgram && ! client->closed && client->generation != generation)
            violations.push_back ("a client opened while " + client->name + " of a dead server was still open");

    if (! running)
    {
        *status = JackStatus (JackFailure | JackServerFailed);
        return nullptr;
    }

    std::string unique = name;

    for (int n = 1; std::any_of (clients.begin(), clients.end(), [&] (auto& c) { return c->name == unique && _isAlive (*c); }); ++n)
        unique = std::string (name) + "-0" + std::to_string (n);

    *status = JackStatus (0);
    auto& client = _addClient (unique, true);
    _notifyRegistration();
    return reinterpret_cast<jack_client_t*> (&client);
}

int FakeJackServer::clientClose (jack_client_t* handle)
{
    ++closesUnderway;
    const auto result = [this, handle]
    {
        if (closesBlock.load())
            closesReleased.wait (10000);

        return _close (handle);
    }();
    --closesUnderway;
    return result;
}

int FakeJackServer::_close (jack_client_t* handle)
{
    auto* client = reinterpret_cast<Client*> (handle);

    if (client->closed)
    {
        violations.push_back ("a second close of " + client->name);
        return -1;
    }

    if (! client->lossReporterEnded.load())
        violations.push_back ("a close of " + client->name + " while the thread that reported the server's end still ran");

    if (_isAlive (*client))
        _removeClient (*client);

    client->closed = true;
    return 0;
}

const char* FakeJackServer::getClientName (jack_client_t* handle)
{
    auto* client = _use (handle, "getClientName");
    return client != nullptr ? client->name.c_str() : "";
}

int FakeJackServer::activate (jack_client_t* handle)
{
    auto* client = _use (handle, "activate");

    if (client == nullptr)
        return -1;

    client->active = true;
    return 0;
}

int FakeJackServer::deactivate (jack_client_t* handle)
{
    auto* client = _use (handle, "deactivate");

    if (client == nullptr)
        return -1;

    for (auto* port : client->ports)
        _disconnect (*port);

    client->active = false;
    return 0;
}

jack_nframes_t FakeJackServer::getSampleRate (jack_client_t* handle)
{
    return _use (handle, "getSampleRate") != nullptr ? sampleRate : 0;
}

jack_nframes_t FakeJackServer::getBufferSize (jack_client_t* handle)
{
    return _use (handle, "getBufferSize") != nullptr ? bufferSize : 0;
}

void FakeJackServer::onInfoShutdown (jack_client_t* handle, JackInfoShutdownCallback callback, void* arg)
{
    if (auto* client = _use (handle, "onInfoShutdown"))
    {
        client->shutdown = callback;
        client->shutdownArg = arg;
    }
}

void FakeJackServer::onShutdown (jack_client_t* handle, JackShutdownCallback callback, void* arg)
{
    if (auto* client = _use (handle, "onShutdown"))
    {
        client->plainShutdown = callback;
        client->plainShutdownArg = arg;
    }
}

int FakeJackServer::setBufferSizeCallback (jack_client_t* handle, JackBufferSizeCallback callback, void* arg)
{
    auto* client = _use (handle, "setBufferSizeCallback");

    if (client == nullptr)
        return -1;

    client->bufferSize = callback;
    client->bufferSizeArg = arg;
    return 0;
}

int FakeJackServer::setSampleRateCallback (jack_client_t* handle, JackSampleRateCallback callback, void* arg)
{
    auto* client = _use (handle, "setSampleRateCallback");

    if (client == nullptr)
        return -1;

    client->sampleRate = callback;
    client->sampleRateArg = arg;
    return 0;
}

int FakeJackServer::setProcessCallback (jack_client_t* handle, JackProcessCallback callback, void* arg)
{
    auto* client = _use (handle, "setProcessCallback");

    if (client == nullptr)
        return -1;

    client->process = callback;
    client->processArg = arg;
    return 0;
}

int FakeJackServer::setXrunCallback (jack_client_t* handle, JackXRunCallback, void*)
{
    return _use (handle, "setXrunCallback") != nullptr ? 0 : -1;
}

int FakeJackServer::setPortConnectCallback (jack_client_t* handle, JackPortConnectCallback callback, void* arg)
{
    auto* client = _use (handle, "setPortConnectCallback");

    if (client == nullptr)
        return -1;

    client->portConnect = callback;
    client->portConnectArg = arg;
    return 0;
}

int FakeJackServer::setClientRegistrationCallback (jack_client_t* handle, JackClientRegistrationCallback callback, void* arg)
{
    auto* client = _use (handle, "setClientRegistrationCallback");

    if (client == nullptr)
        return -1;

    client->clientRegistration = callback;
    client->clientRegistrationArg = arg;
    return 0;
}

int FakeJackServer::setPortRegistrationCallback (jack_client_t* handle, JackPortRegistrationCallback callback, void* arg)
{
    auto* client = _use (handle, "setPortRegistrationCallback");

    if (client == nullptr)
        return -1;

    client->portRegistration = callback;
    client->portRegistrationArg = arg;
    return 0;
}

jack_port_t* FakeJackServer::portRegister (jack_client_t* handle, const char* shortName, unsigned long flags)
{
    auto* client = _use (handle, "portRegister");

    if (client == nullptr || _findPort (client->name + ":" + shortName) != nullptr)
        return nullptr;

    auto& port = _addPort (*client, shortName, flags);
    _notifyRegistration();
    return reinterpret_cast<jack_port_t*> (&port);
}

int FakeJackServer::portDisconnect (jack_client_t* handle, jack_port_t* portHandle)
{
    auto* port = _use (portHandle, "portDisconnect");

    if (_use (handle, "portDisconnect") == nullptr || port == nullptr || port->owner != reinterpret_cast<Client*> (handle))
        return -1;

    _disconnect (*port);
    return 0;
}

juce::StringArray FakeJackServer::getAudioPorts (jack_client_t* handle, unsigned long flags)
{
    juce::StringArray names;

    if (_use (handle, "getAudioPorts") == nullptr)
        return names;

    for (auto& port : ports)
        if (port->registered && _isAlive (*port->owner) && (port->flags & flags) == flags)
            names.add (port->name);

    return names;
}

const char* FakeJackServer::portName (const jack_port_t* handle)
{
    auto* port = _use (handle, "portName");
    return port != nullptr ? port->name.c_str() : "";
}

int FakeJackServer::portConnected (const jack_port_t* handle)
{
    auto* port = _use (handle, "portConnected");
    const auto& counted = reportConnectionsLate ? reportedConnections : connections;

    return port == nullptr ? 0 : (int) std::count_if (counted.begin(), counted.end(), [port] (const Connection& c)
    {
        return c.first == port || c.second == port;
    });
}

int FakeJackServer::connect (jack_client_t* handle, const char* sourcePort, const char* destinationPort)
{
    if (_use (handle, "connect") == nullptr)
        return -1;

    auto* source = _findPort (sourcePort);
    auto* destination = _findPort (destinationPort);

    if (source == nullptr || destination == nullptr || (source->flags & JackPortIsOutput) == 0
        || (destination->flags & JackPortIsInput) == 0)
        return -1;

    if (! connections.insert ({ source, destination }).second)
        return EEXIST;

    _notifyConnection ({ source, destination }, true);
    return connectAnswersExist ? EEXIST : 0;
}

jack_nframes_t FakeJackServer::portLatency (jack_port_t* handle, jack_latency_callback_mode_t)
{
    _use (handle, "portLatency");
    return 0;
}

void* FakeJackServer::portGetBuffer (jack_port_t* handle, jack_nframes_t)
{
    auto* port = reinterpret_cast<Port*> (handle);
    return port->buffer.data();
}

//==============================================================================
FakeJackServer::Client* FakeJackServer::_use (jack_client_t* handle, const char* call)
{
    auto* client = reinterpret_cast<Client*> (handle);

    if (client->closed)
        violations.push_back (std::string (call) + " on " + client->name + ", which is closed");
    else if (! _isAlive (*client))
        violations.push_back (std::string (call) + " on " + client->name + ", whose server has gone");
    else
        return client;

    return nullptr;
}

FakeJackServer::Port* FakeJackServer::_use (const jack_port_t* handle, const char* call)
{
    auto* port = reinterpret_cast<Port*> (const_cast<jack_port_t*> (handle));
    return _use (reinterpret_cast<jack_client_t*> (port->owner), call) != nullptr ? port : nullptr;
}

bool FakeJackServer::_isAlive (const Client& client) const
{
    return running && ! client.closed && client.generation == generation;
}

FakeJackServer::Client& FakeJackServer::_addClient (const std::string& name, bool ofTheProgram)
{
    clients.push_back (std::make_unique<Client>());
    auto& client = *clients.back();
    client.name = name;
    client.ofTheProgram = ofTheProgram;
    client.generation = generation;
    return client;
}

FakeJackServer::Port& FakeJackServer::_addPort (Client& client, const std::string& shortName, unsigned long flags)
{
    ports.push_back (std::make_unique<Port>());
    auto& port = *ports.back();
    port.name = client.name + ":" + shortName;
    port.owner = &client;
    port.flags = flags;
    client.ports.push_back (&port);
    return port;
}

FakeJackServer::Port* FakeJackServer::_findPort (const std::string& name) const
{
    for (auto& port : ports)
        if (port->registered && _isAlive (*port->owner) && port->name == name)
            return port.get();

    return nullptr;
}

void FakeJackServer::_disconnect (const Port& port)
{
    for (auto it = connections.begin(); it != connections.end();)
    {
        if (it->first == &port || it->second == &port)
        {
            _notifyConnection (*it, false);
            it = connections.erase (it);
        }
        else
        {
            ++it;
        }
    }
}

void FakeJackServer::_removeClient (Client& client)
{
    for (auto* port : client.ports)
    {
        _disconnect (*port);
        port->registered = false;
    }

    client.active = false;
    client.generation = -1;
    _notifyRegistration();
}

void FakeJackServer::_notifyRegistration()
{
    pending.push_back ([this]
    {
        for (auto& client : clients)
            if (client->ofTheProgram && _isAlive (*client) && client->active && client->clientRegistration != nullptr)
                client->clientRegistration (client->name.c_str(), 1, client->clientRegistrationArg);
    });
}

void FakeJackServer::_notifyConnection (const Connection& connection, bool made)
{
    pending.push_back ([this, connection, made]
    {
        if (made && connections.count (connection) != 0)
            reportedConnections.insert (connection);
        else if (! made)
            reportedConnections.erase (connection);

        for (auto& client : clients)
            if (client->ofTheProgram && _isAlive (*client) && client->active && client->portConnect != nullptr)
                client->portConnect (0, 0, made ? 1 : 0, client->portConnectArg);
    });
}
