#include "ChildApplication.h"

#include <X11/Xlib.h>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

ChildApplication::ChildApplication (const juce::String& executable, const juce::StringPairArray& environmentOverrides,
                                    const juce::File& output)
    : outputFile (output)
{
    juce::StringArray environment;
    for (char** entry = environ; *entry != nullptr; ++entry)
    {
        const juce::String line (*entry);
        if (! environmentOverrides.containsKey (line.upToFirstOccurrenceOf ("=", false, false)))
            environment.add (line);
    }
    for (auto& key : environmentOverrides.getAllKeys())
        environment.add (key + "=" + environmentOverrides[key]);

    std::vector<char*> envp;
    for (auto& line : environment)
        envp.push_back (const_cast<char*> (line.toRawUTF8()));
    envp.push_back (nullptr);

    const juce::String program (executable);
    char* argv[] = { const_cast<char*> (program.toRawUTF8()), nullptr };

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init (&actions);
    posix_spawn_file_actions_addopen (&actions, 1, outputFile.getFullPathName().toRawUTF8(),
                                      O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2 (&actions, 1, 2);

    if (posix_spawn (&pid, argv[0], &actions, nullptr, argv, envp.data()) != 0)
        pid = -1;

    posix_spawn_file_actions_destroy (&actions);
}

ChildApplication::~ChildApplication()
{
    if (isRunning())
    {
        sendSignal (SIGKILL);
        waitForExit (5000);
    }
}

bool ChildApplication::isRunning()
{
    if (pid <= 0 || exited)
        return false;

    int status = 0;
    const auto result = waitpid (pid, &status, WNOHANG);
    if (result == 0)
        return true;

    exited = true;
    exitCode = (result == pid && WIFEXITED (status)) ? WEXITSTATUS (status) : -1;
    return false;
}

bool ChildApplication::sendSignal (int signalNumber)
{
    return isRunning() && ::kill (pid, signalNumber) == 0;
}

int ChildApplication::waitForExit (int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (isRunning())
    {
        if (juce::Time::getMillisecondCounter() >= deadline)
            return -1;

        juce::Thread::sleep (10);
    }

    return exitCode;
}

juce::StringArray ChildApplication::_findWindows()
{
    // JUCE marks its windows with _NET_WM_PID, which xdotool searches by.
    juce::ChildProcess search;
    if (! search.start ("xdotool search --onlyvisible --pid " + juce::String (pid), juce::ChildProcess::wantStdOut))
        return {};

    return juce::StringArray::fromLines (search.readAllProcessOutput().trim());
}

bool ChildApplication::waitForWindow (int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (isRunning())
    {
        if (! _findWindows().isEmpty())
            return true;

        if (juce::Time::getMillisecondCounter() >= deadline)
            return false;

        juce::Thread::sleep (50);
    }

    return false;
}

bool ChildApplication::closeWindows()
{
    const auto windows = _findWindows();
    auto* display = XOpenDisplay (nullptr);
    if (display == nullptr || windows.isEmpty())
    {
        if (display != nullptr)
            XCloseDisplay (display);
        return false;
    }

    const Atom protocols = XInternAtom (display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom (display, "WM_DELETE_WINDOW", False);

    for (auto& id : windows)
    {
        XEvent event {};
        event.xclient.type = ClientMessage;
        event.xclient.window = (Window) id.getLargeIntValue();
        event.xclient.message_type = protocols;
        event.xclient.format = 32;
        event.xclient.data.l[0] = (long) deleteWindow;
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent (display, event.xclient.window, False, NoEventMask, &event);
    }

    XFlush (display);
    XCloseDisplay (display);
    return true;
}
