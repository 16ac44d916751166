#include "SpawnedProcess.h"

#include <csignal>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

SpawnedProcess::SpawnedProcess (const juce::StringArray& arguments, const juce::StringPairArray& environmentOverrides,
                                const juce::File& output)
    : outputFile (output)
{
    const auto program = _findProgram (arguments[0]);
    if (program.isEmpty())
        return;

    juce::StringArray environment;
    for (char** entry = environ; *entry != nullptr; ++entry)
    {
        const juce::String line (*entry);
        if (! environmentOverrides.containsKey (line.upToFirstOccurrenceOf ("=", false, false)))
            environment.add (line);
    }
    for (auto& key : environmentOverrides.getAllKeys())
        environment.add (key + "=" + environmentOverrides[key]);

    // Everything the child needs is made before fork: between fork and exec a child of a threaded
    // process may only make system calls.
    std::vector<char*> envp;
    for (auto& line : environment)
        envp.push_back (const_cast<char*> (line.toRawUTF8()));
    envp.push_back (nullptr);

    std::vector<char*> argv;
    argv.push_back (const_cast<char*> (program.toRawUTF8()));
    for (int i = 1; i < arguments.size(); ++i)
        argv.push_back (const_cast<char*> (arguments[i].toRawUTF8()));
    argv.push_back (nullptr);

    const int input = ::open ("/dev/null", O_RDONLY | O_CLOEXEC);
    const int out = ::open (outputFile.getFullPathName().toRawUTF8(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const pid_t parent = ::getpid();

    if (input >= 0 && out >= 0)
    {
        pid = ::fork();

        if (pid == 0)
        {
            ::prctl (PR_SET_PDEATHSIG, SIGTERM);
            if (::getppid() != parent)
                ::_exit (127);

            ::dup2 (input, 0);
            ::dup2 (out, 1);
            ::dup2 (out, 2);
            ::syscall (SYS_close_range, 3u, ~0u, 0u);
            ::execve (argv[0], argv.data(), envp.data());
            ::_exit (127);
        }
    }

    if (input >= 0)
        ::close (input);
    if (out >= 0)
        ::close (out);
}

SpawnedProcess::~SpawnedProcess()
{
    stop (5000);
}

juce::String SpawnedProcess::_findProgram (const juce::String& name)
{
    if (name.containsChar ('/'))
        return juce::File (name).existsAsFile() ? name : juce::String();

    for (auto& folder : juce::StringArray::fromTokens (juce::SystemStats::getEnvironmentVariable ("PATH", {}), ":", {}))
    {
        const juce::File candidate (juce::File (folder).getChildFile (name));
        if (folder.isNotEmpty() && candidate.existsAsFile() && ::access (candidate.getFullPathName().toRawUTF8(), X_OK) == 0)
            return candidate.getFullPathName();
    }

    return {};
}

bool SpawnedProcess::isRunning()
{
    if (pid <= 0 || exited)
        return false;

    int status = 0;
    const auto result = ::waitpid (pid, &status, WNOHANG);
    if (result == 0)
        return true;

    exited = true;
    exitCode = (result == pid && WIFEXITED (status)) ? WEXITSTATUS (status) : -1;
    return false;
}

bool SpawnedProcess::sendSignal (int signalNumber)
{
    return isRunning() && ::kill (pid, signalNumber) == 0;
}

bool SpawnedProcess::stop (int timeoutMs)
{
    if (! isRunning())
        return true;

    ::kill (pid, SIGTERM);
    if (waitForExit (timeoutMs))
        return true;

    ::kill (pid, SIGKILL);
    waitForExit (5000);
    return false;
}

bool SpawnedProcess::waitForExit (int timeoutMs)
{
    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (isRunning())
    {
        if (juce::Time::getMillisecondCounter() >= deadline)
            return false;

        juce::Thread::sleep (5);
    }

    return true;
}

bool SpawnedProcess::hasWrittenLine (const juce::String& prefix) const
{
    for (auto& line : juce::StringArray::fromLines (readOutput()))
        if (line.startsWith (prefix))
            return true;

    return false;
}
