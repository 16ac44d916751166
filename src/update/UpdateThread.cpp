#include "UpdateThread.h"

#include "NotifyListenerMessage.h"
#include "ShowDialogMessage.h"
#include "UpdateDownload.h"
#include "VersionNumber.h"
#include "VersionsDocument.h"

#ifndef KESTRO_UPDATE_SERVER
 #error "The build names the update server (KESTRO_UPDATE_SERVER)"
#endif

JUCE_IMPLEMENT_SINGLETON (UpdateThread)

juce::CriticalSection UpdateThread::m_stringLock;
bool UpdateThread::m_hasAlreadyChecked = false;

namespace
{
// The download looks for a stop request every UpdateDownload::pollIntervalMs, so the thread
// ends well within this, whatever the network does.
constexpr int stopTimeoutMs = 1000;
} // namespace

UpdateThread::UpdateThread()
    : juce::Thread ("UpdateThread"),
      server (getDefaultServer())
{
}

UpdateThread::~UpdateThread()
{
    stopThread (stopTimeoutMs);
    clearSingletonInstance();
}

juce::URL UpdateThread::getDefaultServer()
{
    return juce::URL (KESTRO_UPDATE_SERVER);
}

void UpdateThread::setServer (const juce::URL& serverBaseUrl, int timeoutMs)
{
    const juce::ScopedLock sl (settingsLock);
    server = serverBaseUrl;
    connectionTimeoutMs = timeoutMs;
}

void UpdateThread::setCheckDeadline (int milliseconds)
{
    const juce::ScopedLock sl (settingsLock);
    checkDeadlineMs = milliseconds;
}

int UpdateThread::getCheckDeadlineMs() const
{
    const juce::ScopedLock sl (settingsLock);
    return checkDeadlineMs;
}

juce::URL UpdateThread::getServer() const
{
    const juce::ScopedLock sl (settingsLock);
    return server;
}

int UpdateThread::getConnectionTimeoutMs() const
{
    const juce::ScopedLock sl (settingsLock);
    return connectionTimeoutMs;
}

void UpdateThread::run()
{
    const auto document = VersionsDocument::parse (_fetchDocument());

    // Shut down while downloading: nobody is left to tell.
    if (threadShouldExit())
        return;

    _setStatus (juce::translate ("Checking for updates..."));

    const auto lastCheck = "\n" + juce::translate ("lastCheck") + _timeOfCheck (juce::Time::getCurrentTime());

    if (document == nullptr)
    {
        _setStatus (juce::translate ("errorCheckingVersion") + lastCheck);
    }
    else if (const auto newer = VersionsDocument::findNewerEntry (*document, VersionNumber::fromText (JUCE_APPLICATION_VERSION_STRING)))
    {
        // Posted before the status changes, so the dialog is open before the System tab shows it.
        (new ShowDialogMessage (newer->versionText, newer->downloadUrl))->post();
        _setStatus (juce::translate ("newVersionAvailableTitle") + lastCheck);
    }
    else
    {
        _setStatus (juce::translate ("noNewVersionAvailable") + lastCheck);
    }

    (new NotifyListenerMessage())->post();
}

juce::MemoryBlock UpdateThread::_fetchDocument()
{
    const auto requested = juce::Time::getMillisecondCounter();
    const auto deadlineMs = (juce::uint32) juce::jmax (0, getCheckDeadlineMs());

    // Shut down, or the server is too slow: the transfer ends at once.
    return UpdateDownload::fetch (getServer().getChildURL (versionsPath), getConnectionTimeoutMs(), [&]
                                  { return threadShouldExit() || juce::Time::getMillisecondCounter() - requested >= deadlineMs; });
}

void UpdateThread::_setStatus (const juce::String& text)
{
    const juce::ScopedLock sl (m_stringLock);
    m_statusText = text;
}

juce::String UpdateThread::_timeOfCheck (juce::Time time)
{
    // Built by hand: strftime's %b follows the C library's locale and Time::getMonthName the
    // translation table, but the text of the check's time is always English.
    static const char* const monthNames[] = { "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec" };

    return juce::String (monthNames[time.getMonth()]) + " " + juce::String (time.getDayOfMonth()).paddedLeft ('0', 2) + " "
         + juce::String (time.getYear()) + " / " + juce::String (time.getHours()).paddedLeft ('0', 2) + ":"
         + juce::String (time.getMinutes()).paddedLeft ('0', 2) + ":"
         + juce::String (time.getSeconds()).paddedLeft ('0', 2);
}
