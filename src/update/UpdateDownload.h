#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>

/** One fetch of the versions document, on a thread of its own.

    The fetch is never waited for by anybody who must not wait for the network: libcurl's clean-up
    joins its name-resolver thread, so ending a transfer while the server's name is being looked
    up takes as long as the lookup does, and a stream cannot be cancelled from another thread
    without that wait. The fetch's thread therefore owns everything it touches (this object, held
    by a shared pointer, and the stream); whoever started it may give it up with abandon() and
    go, and the fetch ends by itself on its next chance, or with the process.

    start, waitUntilFinished, getBody and abandon may be called from any thread. */
class UpdateDownload
{
public:
    /** Starts fetching `address`, following up to 5 redirects and giving up on a connection that
        takes longer than `connectionTimeoutMs` to open. */
    static std::shared_ptr<UpdateDownload> start (const juce::URL& address, int connectionTimeoutMs);

    /** Waits up to `timeoutMs` for the fetch to end; returns whether it has. */
    bool waitUntilFinished (int timeoutMs) const;

    /** After the end: the whole body of a 2xx answer of at most maxBodyBytes; empty for any
        failure, an abandoned fetch, or before the end. */
    juce::MemoryBlock getBody() const;

    /** Nobody waits for the result any more: the fetch stops reading at its next chance. */
    void abandon() noexcept { abandoned = true; }

    /** The bodies of versions documents are small; anything longer is not one. */
    static constexpr int maxBodyBytes = 256 * 1024;

    /** Use start(); public only for std::make_shared. */
    UpdateDownload (const juce::URL& address, int connectionTimeoutMs);

private:
    void _run();

    const juce::URL address;
    const int connectionTimeoutMs;

    std::atomic<bool> abandoned { false };
    juce::WaitableEvent finished { true };

    // Written by the fetch's thread before `finished` is signalled, read after it.
    juce::MemoryBlock body;

    JUCE_DECLARE_NON_COPYABLE (UpdateDownload)
};
