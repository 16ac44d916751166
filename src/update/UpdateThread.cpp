#include "UpdateThread.h"

#include "NotifyListenerMessage.h"
#include "ShowDialogMessage.h"
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
// After a cancel the transfer notices within one of curl's waits, which last up to a second.
constexpr int stopTimeoutMs = 3000;
} // namespace

UpdateThread::UpdateThread()
    : juce::Thread ("UpdateThread"),
      server (getDefaultServer())
{
}

UpdateThread::~UpdateThread()
{
    signalThreadShouldExit();

    {
        const juce::ScopedLock sl (streamLock);

        if (stream != nullptr)
            stream->cancel();
    }

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
    const auto document = VersionsDocument::parse (_fetchDocumentText());

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

juce::String UpdateThread::_fetchDocumentText()
{
    const auto address = getServer().getChildURL (versionsPath);

    {
        const juce::ScopedLock sl (streamLock);

        if (threadShouldExit())
            return {};

        stream = std::make_unique<juce::WebInputStream> (address, false);
        stream->withConnectionTimeout (getConnectionTimeoutMs()).withNumRedirectsToFollow (5);
    }

    juce::MemoryOutputStream body;
    bool complete = false;

    if (stream->connect (nullptr))
    {
        const auto status = stream->getStatusCode();

        if (status >= 200 && status < 300)
        {
            char buffer[4096];

            while (! stream->isExhausted() && body.getDataSize() <= (size_t) maxDocumentBytes)
            {
                const auto bytesRead = stream->read (buffer, (int) sizeof (buffer));

                if (bytesRead <= 0)
                    break;

                body.write (buffer, (size_t) bytesRead);
            }

            // A cut-off or stalled transfer leaves isError set; a partial document is no document.
            complete = ! stream->isError() && stream->isExhausted() && body.getDataSize() <= (size_t) maxDocumentBytes;
        }
    }

    {
        const juce::ScopedLock sl (streamLock);
        stream.reset();
    }

    return complete ? body.toString() : juce::String();
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
