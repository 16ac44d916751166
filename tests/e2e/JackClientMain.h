#pragma once

#include <jack/jack.h>

#include <functional>

/** The life of one of the test's JACK clients, shared by the meter and the source client: joins the
    server named by JACK_DEFAULT_SERVER under an exact name (retrying while the server is still
    starting, never starting one), reports "ready" on stdout once active, and ends on SIGTERM or
    SIGINT or when the server goes away. Everything here runs on the client's main thread. */
class JackClientMain
{
public:
    explicit JackClientMain (const char* clientName);
    ~JackClientMain();

    /** Tries for up to 20 seconds; false if the name is taken, no server answers or a signal came. */
    bool connect();
    jack_client_t* get() const noexcept { return client; }

    /** Activates the client and prints "ready <sample rate> <buffer size>". */
    bool activate();

    /** Calls `poll` about every 5 ms until a stop signal arrives or the server shuts down. */
    void runUntilStopped (const std::function<void()>& poll);

private:
    const char* const name;
    jack_client_t* client = nullptr;
};
