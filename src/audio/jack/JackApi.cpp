#include "JackApi.h"

#include <algorithm>
#include <cstring>
#include <unistd.h>

namespace
{
/** libjack's messages, printed without stdio. libjack cancels its own threads at any instruction
    when it closes a client whose server has gone, and those threads print as the server goes; one
    cancelled inside fprintf would leave stderr's lock taken for good, and the next message from
    any thread would wait for it forever. */
void printJackMessage (const char* message)
{
    char line[512];
    const auto length = std::min (std::strlen (message), sizeof (line) - 1);
    std::memcpy (line, message, length);
    line[length] = '\n';

    if (::write (STDERR_FILENO, line, length + 1) < 0)
        return;
}

class LibJack final : public JackApi
{
public:
    LibJack()
    {
        jack_set_error_function (printJackMessage);
        jack_set_info_function (printJackMessage);
    }

    jack_client_t* clientOpen (const char* name, jack_status_t* status) override
    {
        return jack_client_open (name, JackNoStartServer, status);
    }

    int clientClose (jack_client_t* client) override { return jack_client_close (client); }
    const char* getClientName (jack_client_t* client) override { return jack_get_client_name (client); }
    int activate (jack_client_t* client) override { return jack_activate (client); }
    int deactivate (jack_client_t* client) override { return jack_deactivate (client); }
    jack_nframes_t getSampleRate (jack_client_t* client) override { return jack_get_sample_rate (client); }
    jack_nframes_t getBufferSize (jack_client_t* client) override { return jack_get_buffer_size (client); }

    void onInfoShutdown (jack_client_t* client, JackInfoShutdownCallback callback, void* arg) override
    {
        jack_on_info_shutdown (client, callback, arg);
    }

    void onShutdown (jack_client_t* client, JackShutdownCallback callback, void* arg) override
    {
        jack_on_shutdown (client, callback, arg);
    }

    int setProcessCallback (jack_client_t* client, JackProcessCallback callback, void* arg) override
    {
        return jack_set_process_callback (client, callback, arg);
    }

    int setXrunCallback (jack_client_t* client, JackXRunCallback callback, void* arg) override
    {
        return jack_set_xrun_callback (client, callback, arg);
    }

    int setPortConnectCallback (jack_client_t* client, JackPortConnectCallback callback, void* arg) override
    {
        return jack_set_port_connect_callback (client, callback, arg);
    }

    int setClientRegistrationCallback (jack_client_t* client, JackClientRegistrationCallback callback, void* arg) override
    {
        return jack_set_client_registration_callback (client, callback, arg);
    }

    int setPortRegistrationCallback (jack_client_t* client, JackPortRegistrationCallback callback, void* arg) override
    {
        return jack_set_port_registration_callback (client, callback, arg);
    }

    int setBufferSizeCallback (jack_client_t* client, JackBufferSizeCallback callback, void* arg) override
    {
        return jack_set_buffer_size_callback (client, callback, arg);
    }

    int setSampleRateCallback (jack_client_t* client, JackSampleRateCallback callback, void* arg) override
    {
        return jack_set_sample_rate_callback (client, callback, arg);
    }

    jack_port_t* portRegister (jack_client_t* client, const char* shortName, unsigned long flags) override
    {
        return jack_port_register (client, shortName, JACK_DEFAULT_AUDIO_TYPE, flags, 0);
    }

    int portDisconnect (jack_client_t* client, jack_port_t* port) override { return jack_port_disconnect (client, port); }

    juce::StringArray getAudioPorts (jack_client_t* client, unsigned long flags) override
    {
        juce::StringArray names;

        if (const char** ports = jack_get_ports (client, nullptr, JACK_DEFAULT_AUDIO_TYPE, flags))
        {
            for (auto** port = ports; *port != nullptr; ++port)
                names.add (juce::CharPointer_UTF8 (*port));

            jack_free (ports);
        }

        return names;
    }

    const char* portName (const jack_port_t* port) override { return jack_port_name (port); }
    int portConnected (const jack_port_t* port) override { return jack_port_connected (port); }

    int connect (jack_client_t* client, const char* sourcePort, const char* destinationPort) override
    {
        return jack_connect (client, sourcePort, destinationPort);
    }

    jack_nframes_t portLatency (jack_port_t* port, jack_latency_callback_mode_t mode) override
    {
        jack_latency_range_t range {};
        jack_port_get_latency_range (port, mode, &range);
        return range.max;
    }

    void* portGetBuffer (jack_port_t* port, jack_nframes_t numFrames) override
    {
        return jack_port_get_buffer (port, numFrames);
    }
};
} // namespace

JackApi& JackApi::getLibJack()
{
    static LibJack libJack;
    return libJack;
}
