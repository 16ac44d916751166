#include "DisplayConnection.h"

#include <X11/Xlib.h>

#include <cstdlib>

namespace
{
constexpr int retryIntervalMs = 50;
} // namespace

DisplayConnection::DisplayConnection (int timeoutMs)
{
    const char* environment = std::getenv ("DISPLAY");
    name = environment != nullptr && *environment != 0 ? juce::String::fromUTF8 (environment) : juce::String (":0.0");

    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    for (;;)
    {
        display = XOpenDisplay (name.toRawUTF8());

        if (display != nullptr || juce::Time::getMillisecondCounter() + retryIntervalMs > deadline)
            return;

        juce::Thread::sleep (retryIntervalMs);
    }
}

DisplayConnection::~DisplayConnection()
{
    if (display != nullptr)
        XCloseDisplay (static_cast<Display*> (display));
}
