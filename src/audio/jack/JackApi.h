#pragma once

#include <jack/jack.h>
#include <juce_core/juce_core.h>

/** The part of libjack's client API that the program's JACK device type uses, behind an interface so
    that tests can put a server of their own in place of a real one. getLibJack() is libjack itself.

    The calls mean what libjack's functions of the same names mean. Every call but clientClose and
    portGetBuffer is made on the message thread (or a thread that holds the message-manager lock);
    clientClose is made on a thread of its own while that thread waits for it, for a bounded time;
    portGetBuffer is made from the client's process callback and must stay real-time safe. */
class JackApi
{
public:
    virtual ~JackApi() = default;

    /** The real libjack, which the program links. */
    static JackApi& getLibJack();

    /** Opens a client without ever starting a server; null when no server takes it. */
    virtual jack_client_t* clientOpen (const char* name, jack_status_t* status) = 0;
    virtual int clientClose (jack_client_t* client) = 0;
    virtual const char* getClientName (jack_client_t* client) = 0;
    virtual int activate (jack_client_t* client) = 0;
    virtual int deactivate (jack_client_t* client) = 0;
    virtual jack_nframes_t getSampleRate (jack_client_t* client) = 0;
    virtual jack_nframes_t getBufferSize (jack_client_t* client) = 0;

    /** Both shutdown callbacks are set: jackd's libjack calls the one with the reason, PipeWire's
        only the plain one. */
    virtual void onInfoShutdown (jack_client_t* client, JackInfoShutdownCallback callback, void* arg) = 0;
    virtual void onShutdown (jack_client_t* client, JackShutdownCallback callback, void* arg) = 0;
    virtual int setProcessCallback (jack_client_t* client, JackProcessCallback callback, void* arg) = 0;
    virtual int setXrunCallback (jack_client_t* client, JackXRunCallback callback, void* arg) = 0;
    virtual int setPortConnectCallback (jack_client_t* client, JackPortConnectCallback callback, void* arg) = 0;
    virtual int setClientRegistrationCallback (jack_client_t* client, JackClientRegistrationCallback callback, void* arg) = 0;
    virtual int setPortRegistrationCallback (jack_client_t* client, JackPortRegistrationCallback callback, void* arg) = 0;
    virtual int setBufferSizeCallback (jack_client_t* client, JackBufferSizeCallback callback, void* arg) = 0;
    virtual int setSampleRateCallback (jack_client_t* client, JackSampleRateCallback callback, void* arg) = 0;

    /** Registers an audio port of the client; flags as jack_port_register's. */
    virtual jack_port_t* portRegister (jack_client_t* client, const char* shortName, unsigned long flags) = 0;
    /** Breaks every connection of the client's port. */
    virtual int portDisconnect (jack_client_t* client, jack_port_t* port) = 0;
    /** The full names ("client:port") of the server's audio ports with all of the given flags, in
        the server's order. */
    virtual juce::StringArray getAudioPorts (jack_client_t* client, unsigned long flags) = 0;
    virtual const char* portName (const jack_port_t* port) = 0;
    /** How many connections the server reports for the port. */
    virtual int portConnected (const jack_port_t* port) = 0;
    /** 0 on success, EEXIST when the ports are connected already, another value on failure. */
    virtual int connect (jack_client_t* client, const char* sourcePort, const char* destinationPort) = 0;
    /** The largest latency in frames of the port's latency range in the given direction. */
    virtual jack_nframes_t portLatency (jack_port_t* port, jack_latency_callback_mode_t mode) = 0;
    virtual void* portGetBuffer (jack_port_t* port, jack_nframes_t numFrames) = 0;
};
