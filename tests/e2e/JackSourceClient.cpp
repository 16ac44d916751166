// A JACK client with output ports only, which the program's JACK type lists as an input device named
// after the client. Port c plays SourceClientSignal::levelOfChannel (c) in every sample.
//
// Usage: kestro_e2e_source_client <client name> <number of ports>
// Prints "ready <sample rate> <buffer size>" once its ports are registered and it is active, and
// ends on SIGTERM or when the server goes away. It never starts a server.

#include "JackClientMain.h"
#include "SourceClientSignal.h"

#include <jack/jack.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
std::vector<jack_port_t*> s_ports;

// JACK's process thread.
int process (jack_nframes_t numFrames, void*)
{
    for (size_t c = 0; c < s_ports.size(); ++c)
    {
        auto* out = static_cast<float*> (jack_port_get_buffer (s_ports[c], numFrames));
        const float level = SourceClientSignal::levelOfChannel ((int) c);

        for (jack_nframes_t i = 0; i < numFrames; ++i)
            out[i] = level;
    }

    return 0;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf (stderr, "usage: %s <client name> <number of ports>\n", argv[0]);
        return 2;
    }

    const int numPorts = std::atoi (argv[2]);
    if (numPorts < 1 || numPorts > SourceClientSignal::maxChannels)
    {
        std::fprintf (stderr, "error: 1 to %d ports\n", SourceClientSignal::maxChannels);
        return 2;
    }

    JackClientMain client (argv[1]);
    if (! client.connect())
        return 1;

    for (int c = 0; c < numPorts; ++c)
    {
        const auto portName = "out_" + std::to_string (c + 1);
        auto* port = jack_port_register (client.get(), portName.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsOutput, 0);
        if (port == nullptr)
        {
            std::fprintf (stdout, "error cannot register %s\n", portName.c_str());
            return 1;
        }
        s_ports.push_back (port);
    }

    jack_set_process_callback (client.get(), process, nullptr);
    if (! client.activate())
        return 1;

    client.runUntilStopped ({});
    return 0;
}
