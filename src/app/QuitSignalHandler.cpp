#include "QuitSignalHandler.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace
{
// Written by the constructor and destructor on the message thread; read by the signal handler.
volatile std::sig_atomic_t s_writeEnd = -1;
struct sigaction s_previousInt {}, s_previousTerm {};

void onQuitSignal (int)
{
    const int fd = s_writeEnd;
    if (fd >= 0)
    {
        const char byte = 1;
        [[maybe_unused]] const auto written = ::write (fd, &byte, 1);
    }
}
} // namespace

QuitSignalHandler::QuitSignalHandler()
{
    jassert (s_writeEnd < 0); // one per process

    if (::pipe (pipeEnds) != 0)
        return;

    for (auto fd : pipeEnds)
        ::fcntl (fd, F_SETFL, ::fcntl (fd, F_GETFL) | O_NONBLOCK);

    juce::LinuxEventLoop::registerFdCallback (pipeEnds[0], [this] (int) { _quitRequested(); });
    s_writeEnd = pipeEnds[1];

    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset (&action.sa_mask);
    sigaction (SIGINT, &action, &s_previousInt);
    sigaction (SIGTERM, &action, &s_previousTerm);
}

QuitSignalHandler::~QuitSignalHandler()
{
    if (pipeEnds[0] < 0)
        return;

    sigaction (SIGINT, &s_previousInt, nullptr);
    sigaction (SIGTERM, &s_previousTerm, nullptr);
    s_writeEnd = -1;

    juce::LinuxEventLoop::unregisterFdCallback (pipeEnds[0]);
    ::close (pipeEnds[0]);
    ::close (pipeEnds[1]);
}

void QuitSignalHandler::_quitRequested()
{
    char bytes[16];
    while (::read (pipeEnds[0], bytes, sizeof (bytes)) > 0) {}

    if (auto* app = juce::JUCEApplicationBase::getInstance())
        app->systemRequestedQuit();
}
