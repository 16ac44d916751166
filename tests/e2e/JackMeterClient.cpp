// A stand-in for the meter's USB audio output: a JACK client with input ports only, which the
// program's JACK type lists as an output device named after the client. It measures what arrives on
// each port over windows of a fixed number of frames and prints one line per window:
//
//   window <sequence> <begin> <frames> then, per port, <nonzero count> <lowest nonzero> <highest nonzero>
//
// <begin> is CLOCK_MONOTONIC in microseconds at the window's first process cycle, a clock the test
// shares, so that it can tell windows measured wholly after an event of its own from older ones;
// lowest and highest are 0 for a port that received only zeros. Since every sample the source
// client plays is its channel's level, a port whose nonzero samples are all one level carries
// exactly one source channel, and zeros are what JACK gives an unconnected port.
//
// Usage: kestro_e2e_meter_client <client name> <number of ports>
// Prints "ready <sample rate> <buffer size>" first; ends on SIGTERM or when the server goes away.

#include "JackClientMain.h"

#include <jack/jack.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace
{
constexpr int maxPorts = 8;
constexpr int windowFrames = 4096;
constexpr int numSlots = 64;

struct PortMeasure
{
    int nonzero = 0;
    float lowest = 0.0f;
    float highest = 0.0f;
};

struct Window
{
    long long beginMicroseconds = 0;
    int frames = 0;
    PortMeasure ports[maxPorts];
};

int s_numPorts = 0;
jack_port_t* s_ports[maxPorts] = {};

// Written by JACK's process thread only.
Window s_current;
// Finished windows: the process thread fills slot (n % numSlots) and then publishes n + 1 in
// s_numFinished; the main thread prints them. A main thread more than numSlots windows behind
// notices from s_numFinished that a slot was overwritten while it read it.
Window s_slots[numSlots];
std::atomic<long> s_numFinished { 0 };

void measure (PortMeasure& port, const float* samples, jack_nframes_t numFrames)
{
    for (jack_nframes_t i = 0; i < numFrames; ++i)
    {
        const float x = samples[i];
        if (x == 0.0f)
            continue;

        port.lowest = port.nonzero == 0 ? x : std::min (port.lowest, x);
        port.highest = port.nonzero == 0 ? x : std::max (port.highest, x);
        ++port.nonzero;
    }
}

long long monotonicMicroseconds()
{
    timespec now {};
    clock_gettime (CLOCK_MONOTONIC, &now);
    return (long long) now.tv_sec * 1000000 + now.tv_nsec / 1000;
}

int process (jack_nframes_t numFrames, void*)
{
    if (s_current.frames == 0)
        s_current.beginMicroseconds = monotonicMicroseconds();

    for (int p = 0; p < s_numPorts; ++p)
        measure (s_current.ports[p], static_cast<const float*> (jack_port_get_buffer (s_ports[p], numFrames)), numFrames);

    s_current.frames += (int) numFrames;

    if (s_current.frames >= windowFrames)
    {
        const long n = s_numFinished.load (std::memory_order_relaxed);
        s_slots[n % numSlots] = s_current;
        s_numFinished.store (n + 1, std::memory_order_release);
        s_current = Window {};
    }

    return 0;
}

long s_numPrinted = 0;

void printFinishedWindows()
{
    const long finished = s_numFinished.load (std::memory_order_acquire);

    for (; s_numPrinted < finished; ++s_numPrinted)
    {
        const Window window = s_slots[s_numPrinted % numSlots];

        if (s_numFinished.load (std::memory_order_acquire) - s_numPrinted >= numSlots)
        {
            std::printf ("lost %ld\n", s_numPrinted);
            continue;
        }

        std::string line = "window " + std::to_string (s_numPrinted) + " " + std::to_string (window.beginMicroseconds)
                         + " " + std::to_string (window.frames);
        char field[64];

        for (int p = 0; p < s_numPorts; ++p)
        {
            std::snprintf (field, sizeof (field), " %d %.9g %.9g", window.ports[p].nonzero,
                           (double) window.ports[p].lowest, (double) window.ports[p].highest);
            line += field;
        }

        std::printf ("%s\n", line.c_str());
    }
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf (stderr, "usage: %s <client name> <number of ports>\n", argv[0]);
        return 2;
    }

    s_numPorts = std::atoi (argv[2]);
    if (s_numPorts < 1 || s_numPorts > maxPorts)
    {
        std::fprintf (stderr, "error: 1 to %d ports\n", maxPorts);
        return 2;
    }

    JackClientMain client (argv[1]);
    if (! client.connect())
        return 1;

    for (int p = 0; p < s_numPorts; ++p)
    {
        const auto portName = "in_" + std::to_string (p + 1);
        s_ports[p] = jack_port_register (client.get(), portName.c_str(), JACK_DEFAULT_AUDIO_TYPE, JackPortIsInput, 0);
        if (s_ports[p] == nullptr)
        {
            std::printf ("error cannot register %s\n", portName.c_str());
            return 1;
        }
    }

    jack_set_process_callback (client.get(), process, nullptr);
    if (! client.activate())
        return 1;

    client.runUntilStopped (printFinishedWindows);
    printFinishedWindows();
    return 0;
}
