#pragma once

#include "UpdateCheckFinishedListener.h"

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

/** Asks the maker's web server whether a newer version of the program exists.

    A process-wide singleton created on first use. Each startThread runs one check: fetch the
    versions document, set the status text, post a ShowDialogMessage when a newer version is
    listed, then post a NotifyListenerMessage. Callers start it on the message thread and only
    when it is not running. The check reports back through those two messages and the status
    text only; it never touches a component.

    The fetch runs on this thread (UpdateDownload) and ends at once when the thread is asked to
    stop; a check ends with the error status when the whole check takes longer than its deadline.

    Deleted by the application's shutdown, or with everything else the framework deletes at
    shutdown: the destructor stops the thread and joins it, ending a download still in progress
    without waiting for the network, so no thread of the check outlives the program's shutdown. */
class UpdateThread : public juce::Thread,
                     private juce::DeletedAtShutdown
{
public:
    ~UpdateThread() override;

    void run() override;

    JUCE_DECLARE_SINGLETON (UpdateThread, false)

    /** The address the versions document is fetched from, below the configured server. */
    static constexpr const char* versionsPath = "Software_Versions/software-versions.xml";

    /** The maker's web server, as the build configured it (KESTRO_UPDATE_SERVER), used unless
        setServer chose another. */
    static juce::URL getDefaultServer();

    /** Points the checks at another server (tests use a local one) and sets how long opening a
        connection may take. Message thread, while no check runs. */
    void setServer (const juce::URL& serverBaseUrl, int connectionTimeoutMs);
    juce::URL getServer() const;
    int getConnectionTimeoutMs() const;

    static constexpr int defaultConnectionTimeoutMs = 10000;

    /** How long a check may take from its request to its result, however slowly the server
        answers; tests shorten it. Message thread, while no check runs. */
    void setCheckDeadline (int milliseconds);
    int getCheckDeadlineMs() const;

    static constexpr int defaultCheckDeadlineMs = 30000;

    /** The status of the last check, "" until one ended. Written by run only, always under
        m_stringLock; readers copy it under the same lock. */
    juce::String m_statusText;

    /** The one party told on the message thread that a check has ended (the System tab's panel);
        not owned. Set and cleared on the message thread only. */
    UpdateCheckFinishedListener* m_listener = nullptr;

    /** Guards m_statusText and nothing else. */
    static juce::CriticalSection m_stringLock;

    /** Some check has been started in this process. Message thread only. */
    static bool m_hasAlreadyChecked;

private:
    UpdateThread();

    juce::MemoryBlock _fetchDocument();
    void _setStatus (const juce::String& text);
    static juce::String _timeOfCheck (juce::Time time);

    mutable juce::CriticalSection settingsLock;
    juce::URL server;
    int connectionTimeoutMs = defaultConnectionTimeoutMs;
    int checkDeadlineMs = defaultCheckDeadlineMs;

    JUCE_DECLARE_NON_COPYABLE (UpdateThread)
};
