#pragma once

#include <juce_core/juce_core.h>

#include <functional>

/** One fetch of the versions document, on the calling thread, by libcurl's multi interface.

    Only http and https are fetched, for the first request and for every redirect (libcurl would
    otherwise follow a redirect to ftp or ftps), and at most maxRedirects redirects are followed.
    The transfer never blocks for long: it runs in steps of at most pollIntervalMs, and between
    steps it asks `shouldStop`, which ends it at once. A name lookup still running then is left
    to libcurl's resolver thread, which ends by itself when the lookup returns and touches nothing
    of ours; nothing waits for it. So the caller's thread can be stopped and joined promptly,
    whatever the network does, and no thread of the program's own outlives the call. */
class UpdateDownload
{
public:
    /** The whole body of a 2xx answer of at most maxBodyBytes; empty for any failure (no
        connection within `connectionTimeoutMs`, an answer slower than 100 bytes a second over the
        same time, another status, a body too long or cut off, a refused protocol or too many
        redirects) and when `shouldStop` returned true. Any thread; keeps no state between calls. */
    static juce::MemoryBlock fetch (const juce::URL& address, int connectionTimeoutMs,
                                    const std::function<bool()>& shouldStop);

    /** The bodies of versions documents are small; anything longer is not one. */
    static constexpr int maxBodyBytes = 256 * 1024;

    static constexpr int maxRedirects = 5;

    /** The longest time between two questions to `shouldStop`. */
    static constexpr int pollIntervalMs = 50;

    UpdateDownload() = delete;
};
