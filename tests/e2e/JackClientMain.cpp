#include "JackClientMain.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace
{
volatile std::sig_atomic_t s_stopSignal = 0;
std::atomic<bool> s_serverGone { false };

void onStopSignal (int) { s_stopSignal = 1; }
void onServerShutdown (void*) { s_serverGone = true; }
void ignoreJackMessage (const char*) {}
void printJackMessage (const char* message) { std::fprintf (stderr, "jack: %s\n", message); }

bool shouldStop()
{
    return s_stopSignal != 0 || s_serverGone;
}
} // namespace

JackClientMain::JackClientMain (const char* clientName) : name (clientName)
{
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset (&action.sa_mask);
    sigaction (SIGTERM, &action, nullptr);
    sigaction (SIGINT, &action, nullptr);
    std::setvbuf (stdout, nullptr, _IOLBF, 0);
}

JackClientMain::~JackClientMain()
{
    // A client whose server has gone has nothing left to close. One stopped while its server goes
    // away may wait for an answer that never comes; the process ends all the same, in bounded time.
    if (client != nullptr && ! s_serverGone)
    {
        std::thread ([]
        {
            std::this_thread::sleep_for (std::chrono::seconds (2));
            std::printf ("stopped without closing\n");
            std::_Exit (0);
        }).detach();
        jack_client_close (client);
    }

    std::printf ("stopped\n");
}

bool JackClientMain::connect()
{
    // Every attempt while the server is not up yet makes libjack complain; only the outcome counts.
    jack_set_error_function (ignoreJackMessage);
    jack_set_info_function (ignoreJackMessage);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds (20);
    jack_status_t status {};

    while (! shouldStop())
    {
        client = jack_client_open (name, static_cast<jack_options_t> (JackNoStartServer | JackUseExactName), &status);
        if (client != nullptr || (status & JackNameNotUnique) != 0 || std::chrono::steady_clock::now() >= deadline)
            break;

        std::this_thread::sleep_for (std::chrono::milliseconds (20));
    }

    jack_set_error_function (printJackMessage);
    jack_set_info_function (printJackMessage);

    if (client == nullptr)
    {
        std::printf ("error cannot open client \"%s\" (status 0x%x)\n", name, (unsigned) status);
        return false;
    }

    jack_on_shutdown (client, onServerShutdown, nullptr);
    return true;
}

bool JackClientMain::activate()
{
    if (jack_activate (client) != 0)
    {
        std::printf ("error cannot activate\n");
        return false;
    }

    std::printf ("ready %u %u\n", (unsigned) jack_get_sample_rate (client), (unsigned) jack_get_buffer_size (client));
    return true;
}

void JackClientMain::runUntilStopped (const std::function<void()>& poll)
{
    while (! shouldStop())
    {
        if (poll)
            poll();

        std::this_thread::sleep_for (std::chrono::milliseconds (5));
    }

    if (s_serverGone)
        std::printf ("server gone\n");
}
