#include "JackServer.h"

#include <jack/jack.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace
{
const juce::String s_namePrefix ("kestro-e2e-");

void ignoreJackMessage (const char*) {}
void printJackMessage (const char* message) { std::fprintf (stderr, "%s\n", message); }
} // namespace

JackServer::JackServer (const juce::String& fixedName)
{
    if (usesRunningServer())
    {
        name = "default";
        logFolder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                        .getChildFile (s_namePrefix + juce::String ((int) ::getpid()) + "-log-running-server");
        logFolder.createDirectory();
        return;
    }

    static int s_numServers = 0;
    name = fixedName.isNotEmpty() ? fixedName
                                  : s_namePrefix + juce::String ((int) ::getpid()) + "-" + juce::String (++s_numServers);

    if (const char* previous = std::getenv ("JACK_DEFAULT_SERVER"))
        previousDefaultServer = previous;

    ::setenv ("JACK_DEFAULT_SERVER", name.toRawUTF8(), 1);

    _removeLeftoversOfDeadRuns();
    logFolder = juce::File::getSpecialLocation (juce::File::tempDirectory)
                    .getChildFile (s_namePrefix + juce::String ((int) ::getpid()) + "-log-" + name);
    logFolder.createDirectory();
}

JackServer::~JackServer()
{
    stop();
    process.reset();
    logFolder.deleteRecursively();

    if (usesRunningServer())
        return;

    if (previousDefaultServer)
        ::setenv ("JACK_DEFAULT_SERVER", previousDefaultServer->c_str(), 1);
    else
        ::unsetenv ("JACK_DEFAULT_SERVER");
}

bool JackServer::isRequired()
{
    const char* value = std::getenv ("KESTRO_REQUIRE_JACK");
    return value != nullptr && juce::String (value) == "1";
}

bool JackServer::usesRunningServer()
{
    const char* value = std::getenv ("KESTRO_JACK_SERVER");
    return value != nullptr && juce::String (value) == "pipewire";
}

juce::StringPairArray JackServer::environment() const
{
    juce::StringPairArray values;

    if (! usesRunningServer())
        values.set ("JACK_DEFAULT_SERVER", name);

    values.set ("JACK_NO_AUDIO_RESERVATION", "1");
    return values;
}

juce::String JackServer::start (int timeoutMs)
{
    if (usesRunningServer())
        return _waitUntilServing (timeoutMs) ? juce::String()
                                             : "no JACK server took clients within " + juce::String (timeoutMs)
                                                   + " ms (KESTRO_JACK_SERVER=pipewire: run under scripts/pipewire-session.sh)";

    if (! stop())
        return "the server of this name that ran before ignored SIGTERM";

    process = std::make_unique<SpawnedProcess> (
        juce::StringArray { "jackd", "-n", name, "--no-realtime", "-d", "dummy", "-r", "48000", "-p", "64" },
        environment(), logFolder.getChildFile ("jackd.log"));

    if (! process->started())
        return "jackd cannot start: no jackd in PATH";

    if (_waitUntilServing (timeoutMs))
        return {};

    const auto output = process->readOutput();

    if (! process->isRunning())
        return "jackd ended at start:\n" + output;

    stop();
    return "jackd did not take clients within " + juce::String (timeoutMs) + " ms:\n" + output;
}

juce::String JackServer::restartRunningServer (int timeoutMs)
{
    const auto session = juce::SystemStats::getEnvironmentVariable ("KESTRO_PIPEWIRE_SESSION_PID", {}).getIntValue();
    const juce::File restarts (juce::SystemStats::getEnvironmentVariable ("KESTRO_PIPEWIRE_RESTARTS", {}));

    if (! usesRunningServer() || session <= 0 || restarts.getFullPathName().isEmpty())
        return "no PipeWire session to restart (run under scripts/pipewire-session.sh)";

    // The session counts the restarts it has finished in that file.
    const auto finished = [&restarts] { return restarts.loadFileAsString().trim().getIntValue(); };
    const int before = finished();

    if (::kill (session, SIGUSR1) != 0)
        return "the PipeWire session (process " + juce::String (session) + ") is gone";

    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    while (finished() <= before)
    {
        if (juce::Time::getMillisecondCounter() >= deadline)
            return "the PipeWire session did not restart its servers within " + juce::String (timeoutMs) + " ms";

        juce::Thread::sleep (50);
    }

    const auto remaining = (int) juce::jmax ((juce::int64) 1000, (juce::int64) deadline - (juce::int64) juce::Time::getMillisecondCounter());
    return _waitUntilServing (remaining) ? juce::String() : "the restarted PipeWire took no clients";
}

bool JackServer::_waitUntilServing (int timeoutMs)
{
    // Every attempt made before the server listens makes libjack complain; only the outcome counts.
    // libjack's handlers are process-wide, so its usual printing is put back before JUCE uses it.
    jack_set_error_function (ignoreJackMessage);
    jack_set_info_function (ignoreJackMessage);

    const auto deadline = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;
    bool serving = false;

    const bool running = usesRunningServer();

    while (! serving && (running || process->isRunning()) && juce::Time::getMillisecondCounter() < deadline)
    {
        jack_status_t status {};
        auto* client = running ? jack_client_open ("kestro-e2e-probe", JackNoStartServer, &status)
                               : jack_client_open ("kestro-e2e-probe", static_cast<jack_options_t> (JackNoStartServer | JackServerName),
                                                   &status, name.toRawUTF8());

        if (client != nullptr)
        {
            jack_client_close (client);
            serving = true;
        }
        else
        {
            juce::Thread::sleep (20);
        }
    }

    jack_set_error_function (printJackMessage);
    jack_set_info_function (printJackMessage);
    return serving;
}

bool JackServer::isRunning()
{
    return usesRunningServer() || (process != nullptr && process->isRunning());
}

bool JackServer::stop (int timeoutMs)
{
    if (process == nullptr || process->stop (timeoutMs))
        return true;

    _removeServerFiles();
    return false;
}

void JackServer::_removeServerFiles() const
{
    for (auto& file : juce::File ("/dev/shm").findChildFiles (juce::File::findFiles, false, "jack*"))
        if (file.getFileName().contains ("_" + name + "_"))
            file.deleteFile();
}

void JackServer::_removeLeftoversOfDeadRuns()
{
    // A test process that was killed leaves its log folders, and its servers (ended by the death
    // signal) a few files in /dev/shm. Both carry the dead process's id after the prefix, so they
    // are told apart from those of runs still going.
    const auto isOfDeadRun = [] (const juce::File& file)
    {
        const auto pid = file.getFileName().fromFirstOccurrenceOf (s_namePrefix, false, false)
                             .upToFirstOccurrenceOf ("-", false, false).getIntValue();
        return pid > 0 && ::kill (pid, 0) != 0 && errno == ESRCH;
    };

    for (auto& file : juce::File ("/dev/shm").findChildFiles (juce::File::findFiles, false, "jack*" + s_namePrefix + "*"))
        if (isOfDeadRun (file))
            file.deleteFile();

    const auto temp = juce::File::getSpecialLocation (juce::File::tempDirectory);
    for (auto& folder : temp.findChildFiles (juce::File::findDirectories, false, s_namePrefix + "*"))
        if (isOfDeadRun (folder))
            folder.deleteRecursively();
}
