#include "UpdateDownload.h"

#include <thread>

UpdateDownload::UpdateDownload (const juce::URL& addressToFetch, int timeoutMs)
    : address (addressToFetch),
      connectionTimeoutMs (timeoutMs)
{
}

std::shared_ptr<UpdateDownload> UpdateDownload::start (const juce::URL& address, int connectionTimeoutMs)
{
    auto download = std::make_shared<UpdateDownload> (address, connectionTimeoutMs);

    // Detached: nothing ever joins it. It holds its own reference, so the object outlives
    // whoever gave up waiting.
    std::thread ([download] { download->_run(); }).detach();

    return download;
}

bool UpdateDownload::waitUntilFinished (int timeoutMs) const
{
    return finished.wait ((double) timeoutMs);
}

juce::MemoryBlock UpdateDownload::getBody() const
{
    if (! finished.wait (0.0) || abandoned)
        return {};

    return body;
}

void UpdateDownload::_run()
{
    juce::WebInputStream stream (address, false);
    stream.withConnectionTimeout (connectionTimeoutMs).withNumRedirectsToFollow (5);

    juce::MemoryOutputStream received;
    bool complete = false;

    if (! abandoned && stream.connect (nullptr))
    {
        const auto status = stream.getStatusCode();

        if (status >= 200 && status < 300)
        {
            char buffer[4096];

            while (! abandoned && ! stream.isExhausted() && received.getDataSize() <= (size_t) maxBodyBytes)
            {
                const auto bytesRead = stream.read (buffer, (int) sizeof (buffer));

                if (bytesRead <= 0)
                    break;

                received.write (buffer, (size_t) bytesRead);
            }

            // A cut-off or stalled transfer leaves isError set; a partial document is no document.
            complete = ! abandoned && ! stream.isError() && stream.isExhausted()
                    && received.getDataSize() <= (size_t) maxBodyBytes;
        }
    }

    if (complete)
        body = received.getMemoryBlock();

    finished.signal();
}
