#pragma once

#include "audio/jack/JackApi.h"

#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

/** A JACK server of the test's own behind the JackApi seam. The test adds other programs' clients
    with audio ports (in_1..., out_1...; output port i plays 0.125 * (i + 1)), ends and restarts the
    server and runs process cycles. The program's clients, those opened through the API, hear of the
    server's changes when the test delivers its notifications, as they would from libjack's thread.

    The fake notes as a violation every call that reaches a client of a dead server other than its
    close, every use of a closed client, and every client opened while one of a dead server is still
    open (libjack would free that one behind its owner's back).

    Use from the test's message thread only; clientClose may come from another thread while the
    message thread waits for it. */
class FakeJackServer : public JackApi
{
public:
    FakeJackServer() = default;
    ~FakeJackServer() override;

    /** Output ports are named outputPrefix1... ("monitor_" for a PipeWire sink's monitor). */
    void addClient (const std::string& name, int numInputs, int numOutputs, const std::string& outputPrefix = "out_");
    void removeClient (const std::string& name);

    /** The server ends: the program's clients are told at once (libjack tells them from its own
        threads), and every client is dead. */
    void stop();
    /** A new server, with no clients. */
    void start();

    void deliverNotifications();
    /** One process cycle of the program's active clients. */
    void runCycle (int numFrames = 64);
    /** The first sample that reached another program's input port in the last cycle. */
    float lastSampleAt (const std::string& portName) const;

    /** While set, every close waits (up to 10 s) for releaseCloses() before it does anything, as
        libjack's close does for good when it finds its own lock left taken by a thread it cancelled. */
    std::atomic<bool> closesBlock { false };
    void releaseCloses() { closesReleased.signal(); }
    /** Whether a close has begun and not returned. */
    bool isCloseUnderway() const noexcept { return closesUnderway.load() > 0; }

    /** When set, stop() tells each of the program's clients from a thread of its own, as libjack
        does, and that thread goes on for 50 ms after the callback, as libjack's does through its
        own code. A close of a client whose reporting thread has not ended is a violation: libjack
        would cancel that thread where it may not be unwound. */
    bool reportLossFromThreads = false;

    /** Like PipeWire's JACK: the server counts a connection only from the next delivery on. */
    bool reportConnectionsLate = false;
    /** Like PipeWire's JACK: the server's end is told only through the plain shutdown callback. */
    bool reportLossWithoutReason = false;
    /** As when a session manager has linked the ports already: a connect makes the connection and
        answers EEXIST. */
    bool connectAnswersExist = false;

    /** The server changes its sample rate and period; the program's clients hear of it with the
        next delivery. */
    void setFormat (jack_nframes_t sampleRate, jack_nframes_t bufferSize);
    std::vector<std::string> violations;
    /** The names of the program's clients that are open (a dead server's too), and of its ports
        on a live one (all of them, or those connected to anything). */
    std::vector<std::string> getOpenClientsOfTheProgram() const;
    std::vector<std::string> getPortsOfTheProgram (bool connectedOnly = false) const;

    //==============================================================================
    jack_client_t* clientOpen (const char* name, jack_status_t* status) override;
    int clientClose (jack_client_t* client) override;
    const char* getClientName (jack_client_t* client) override;
    int activate (jack_client_t* client) override;
    int deactivate (jack_client_t* client) override;
    jack_nframes_t getSampleRate (jack_client_t* client) override;
    jack_nframes_t getBufferSize (jack_client_t* client) override;
    void onInfoShutdown (jack_client_t* client, JackInfoShutdownCallback callback, void* arg) override;
    void onShutdown (jack_client_t* client, JackShutdownCallback callback, void* arg) override;
    int setProcessCallback (jack_client_t* client, JackProcessCallback callback, void* arg) override;
    int setXrunCallback (jack_client_t* client, JackXRunCallback callback, void* arg) override;
    int setPortConnectCallback (jack_client_t* client, JackPortConnectCallback callback, void* arg) override;
    int setClientRegistrationCallback (jack_client_t* client, JackClientRegistrationCallback callback, void* arg) override;
    int setPortRegistrationCallback (jack_client_t* client, JackPortRegistrationCallback callback, void* arg) override;
    int setBufferSizeCallback (jack_client_t* client, JackBufferSizeCallback callback, void* arg) override;
    int setSampleRateCallback (jack_client_t* client, JackSampleRateCallback callback, void* arg) override;
    jack_port_t* portRegister (jack_client_t* client, const char* shortName, unsigned long flags) override;
    int portDisconnect (jack_client_t* client, jack_port_t* port) override;
    juce::StringArray getAudioPorts (jack_client_t* client, unsigned long flags) override;
    const char* portName (const jack_port_t* port) override;
    int portConnected (const jack_port_t* port) override;
    int connect (jack_client_t* client, const char* sourcePort, const char* destinationPort) override;
    jack_nframes_t portLatency (jack_port_t* port, jack_latency_callback_mode_t mode) override;
    void* portGetBuffer (jack_port_t* port, jack_nframes_t numFrames) override;

private:
    struct Client;

    struct Port
    {
        std::string name;
        Client* owner = nullptr;
        unsigned long flags = 0;
        std::vector<float> buffer;
        float level = 0.0f;
        bool registered = true;
    };

    struct Client
    {
        std::string name;
        bool ofTheProgram = false, active = false, closed = false;
        int generation = 0;
        std::vector<Port*> ports;
        JackProcessCallback process = nullptr;
        void* processArg = nullptr;
        JackInfoShutdownCallback shutdown = nullptr;
        void* shutdownArg = nullptr;
        JackShutdownCallback plainShutdown = nullptr;
        void* plainShutdownArg = nullptr;
        JackBufferSizeCallback bufferSize = nullptr;
        void* bufferSizeArg = nullptr;
        JackSampleRateCallback sampleRate = nullptr;
        void* sampleRateArg = nullptr;
        JackPortConnectCallback portConnect = nullptr;
        void* portConnectArg = nullptr;
        JackClientRegistrationCallback clientRegistration = nullptr;
        void* clientRegistrationArg = nullptr;
        JackPortRegistrationCallback portRegistration = nullptr;
        void* portRegistrationArg = nullptr;
        std::thread lossReporter;
        std::atomic<bool> lossReporterEnded { true };
    };

    using Connection = std::pair<Port*, Port*>;

    int _close (jack_client_t* client);
    Client* _use (jack_client_t* client, const char* call);
    Port* _use (const jack_port_t* port, const char* call);
    bool _isAlive (const Client& client) const;
    Client& _addClient (const std::string& name, bool ofTheProgram);
    Port& _addPort (Client& client, const std::string& shortName, unsigned long flags);
    Port* _findPort (const std::string& name) const;
    void _disconnect (const Port& port);
    void _removeClient (Client& client);
    void _notifyRegistration();
    void _notifyConnection (const Connection& connection, bool made);
    void _tellLoss (Client& client);

    /** Kept to the end, so that a stale pointer is noted rather than followed. */
    std::vector<std::unique_ptr<Client>> clients;
    std::vector<std::unique_ptr<Port>> ports;
    std::set<Connection> connections, reportedConnections;
    std::vector<std::function<void()>> pending;
    bool running = true;
    jack_nframes_t sampleRate = 48000, bufferSize = 64;
    int generation = 0;
    juce::WaitableEvent closesReleased { true };
    std::atomic<int> closesUnderway { 0 };
};
