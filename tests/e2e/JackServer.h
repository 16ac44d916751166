#pragma once

#include "SpawnedProcess.h"

#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

#include <memory>
#include <optional>
#include <string>

/** A JACK server with the dummy backend (48000 Hz, 64-sample periods) for one test, run as a child
    process of the test. While the object lives, the test process and every child given
    `environment()` talk to this server only (JACK_DEFAULT_SERVER, restored by the destructor).

    The server can be started again under the same name after it ended, which is how a server that
    was killed gives its entry in JACK's registry back: the registry in /dev/shm holds eight servers,
    and one that dies without unregistering keeps its entry until a server of its name starts again.
    A test that kills a server must therefore use a fixed name.

    Where the server cannot run, START_JACK_SERVER_OR_SKIP fails the test when the environment
    variable KESTRO_REQUIRE_JACK is "1" (the project's test script, and so CI, sets it) and skips it
    otherwise. Use from the test's thread.

    With KESTRO_JACK_SERVER=pipewire (scripts/pipewire-session.sh sets it) no jackd is started:
    the object stands for the JACK server already running, PipeWire's through its JACK library
    (pw-jack), under its default name. start() then only waits until it takes clients, stop() and
    the destructor leave it running, and there is no process to signal (getProcess() is null): a
    test ends and restarts that server with restartRunningServer() instead. */
class JackServer
{
public:
    /** @param fixedName the server's name; empty gives a name of this process's own, different at
                         every construction, so that no two tests share a registry entry */
    explicit JackServer (const juce::String& fixedName = {});
    /** Stops the server (see stop), removes its log folder and restores JACK_DEFAULT_SERVER. */
    ~JackServer();

    /** Starts jackd and waits until it takes clients. Returns an empty string once it does, else
        why it did not (no jackd installed, or its output when it ended or did not answer). */
    juce::String start (int timeoutMs = 30000);

    /** SIGTERM, then a wait for the server to end. A server that ignores SIGTERM is killed and its
        files in /dev/shm removed; returns false then. True when it was not running. */
    bool stop (int timeoutMs = 10000);

    /** KESTRO_JACK_SERVER=pipewire only: restarts pipewire and wireplumber in the session that
        scripts/pipewire-session.sh runs (its KESTRO_PIPEWIRE_SESSION_PID and
        KESTRO_PIPEWIRE_RESTARTS), and waits until the session reports them back and the server
        takes clients. Every client of the old server has lost it then. Returns an empty string
        once it does, else why not. */
    juce::String restartRunningServer (int timeoutMs = 30000);

    bool isRunning();
    /** The running server's process, or null before the first start; for tests that signal it. */
    SpawnedProcess* getProcess() const noexcept { return process.get(); }

    const juce::String& getName() const noexcept { return name; }
    /** Where the server's log goes; also a place for the logs of the test's other children. */
    const juce::File& getLogFolder() const noexcept { return logFolder; }
    /** What a child process needs to use this server. */
    juce::StringPairArray environment() const;

    /** Whether a server that cannot start fails the test (KESTRO_REQUIRE_JACK=1) rather than skips it. */
    static bool isRequired();

    /** Whether the tests use the JACK server already running (KESTRO_JACK_SERVER=pipewire)
        instead of a jackd of their own. */
    static bool usesRunningServer();

private:
    bool _waitUntilServing (int timeoutMs);
    void _removeServerFiles() const;
    static void _removeLeftoversOfDeadRuns();

    juce::String name;
    juce::File logFolder;
    std::unique_ptr<SpawnedProcess> process;
    std::optional<std::string> previousDefaultServer;

    JUCE_DECLARE_NON_COPYABLE (JackServer)
};

/** Starts `server` in a test body or SetUp; where it cannot start, fails (JACK required) or skips
    the test and returns from the calling function. */
#define START_JACK_SERVER_OR_SKIP(server)                                                          \
    do                                                                                             \
    {                                                                                              \
        if (const auto jackServerProblem = (server).start(); jackServerProblem.isNotEmpty())       \
        {                                                                                          \
            if (JackServer::isRequired())                                                          \
                FAIL() << "KESTRO_REQUIRE_JACK is set, but " << jackServerProblem;                 \
            else                                                                                   \
                GTEST_SKIP() << jackServerProblem;                                                 \
        }                                                                                          \
    } while (false)
