#include "UpdateDownload.h"

#include <curl/curl.h>

namespace
{
// Every protocol a request or a redirect may use.
const char* const s_webProtocols = "http,https";

struct Received
{
    juce::MemoryOutputStream body;
    bool tooLong = false;
};

size_t writeBody (char* data, size_t size, size_t count, void* user)
{
    auto& received = *static_cast<Received*> (user);
    const auto bytes = size * count;

    // A count other than the one handed over ends the transfer with an error.
    if (received.body.getDataSize() + bytes > (size_t) UpdateDownload::maxBodyBytes)
    {
        received.tooLong = true;
        return 0;
    }

    received.body.write (data, bytes);
    return bytes;
}

// Once per process, never undone: a clean-up at exit gains nothing and would have to wait for
// every other user of the library.
bool initialiseLibrary()
{
    static const bool initialised = curl_global_init (CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return initialised;
}

/** One easy handle in a multi handle of its own; both cleaned up together. */
struct Transfer
{
    Transfer() = default;

    ~Transfer()
    {
        if (added)
            curl_multi_remove_handle (multi, easy);

        if (easy != nullptr)
            curl_easy_cleanup (easy);

        if (multi != nullptr)
            curl_multi_cleanup (multi);
    }

    CURLM* const multi = curl_multi_init();
    CURL* const easy = curl_easy_init();
    bool added = false;

    JUCE_DECLARE_NON_COPYABLE (Transfer)
};

bool configure (CURL* easy, const juce::String& address, int connectionTimeoutMs, Received& received)
{
    // A connection slower than 100 bytes a second for as long as it may take to open is given up.
    const long stallSeconds = juce::jmax (1L, (long) (connectionTimeoutMs + 999) / 1000);

    return curl_easy_setopt (easy, CURLOPT_URL, address.toRawUTF8()) == CURLE_OK
        && curl_easy_setopt (easy, CURLOPT_PROTOCOLS_STR, s_webProtocols) == CURLE_OK
        && curl_easy_setopt (easy, CURLOPT_REDIR_PROTOCOLS_STR, s_webProtocols) == CURLE_OK
        && curl_easy_setopt (easy, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK
        && curl_easy_setopt (easy, CURLOPT_MAXREDIRS, (long) UpdateDownload::maxRedirects) == CURLE_OK
        && curl_easy_setopt (easy, CURLOPT_CONNECTTIMEOUT_MS, (long) juce::jmax (1, connectionTimeoutMs)) == CURLE_OK
        && curl_easy_setopt (easy, CURLOPT_LOW_SPEED_LIMIT, 100L) == CURLE_OK
        && curl_easy_setopt (easy, CURLOPT_LOW_SPEED_TIME, stallSeconds) == CURLE_OK
        && curl_easy_setopt (easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK
        // Removing the handle during a name lookup forgets the resolver thread instead of joining it.
        && curl_easy_setopt (easy, CURLOPT_QUICK_EXIT, 1L) == CURLE_OK
        && curl_easy_setopt (easy, CURLOPT_WRITEFUNCTION, writeBody) == CURLE_OK
        && curl_easy_setopt (easy, CURLOPT_WRITEDATA, &received) == CURLE_OK;
}
} // namespace

juce::MemoryBlock UpdateDownload::fetch (const juce::URL& address, int connectionTimeoutMs,
                                         const std::function<bool()>& shouldStop)
{
    if (! initialiseLibrary())
        return {};

    Transfer transfer;
    Received received;

    if (transfer.multi == nullptr || transfer.easy == nullptr
        || ! configure (transfer.easy, address.toString (true), connectionTimeoutMs, received)
        || curl_multi_add_handle (transfer.multi, transfer.easy) != CURLM_OK)
        return {};

    transfer.added = true;

    for (int running = 1; running > 0;)
    {
        if (shouldStop())
            return {};

        if (curl_multi_perform (transfer.multi, &running) != CURLM_OK)
            return {};

        if (running > 0 && curl_multi_poll (transfer.multi, nullptr, 0, pollIntervalMs, nullptr) != CURLM_OK)
            return {};
    }

    auto result = CURLE_FAILED_INIT;
    int queued = 0;

    while (auto* message = curl_multi_info_read (transfer.multi, &queued))
        if (message->msg == CURLMSG_DONE)
            result = message->data.result;

    long status = 0;

    if (result != CURLE_OK || received.tooLong
        || curl_easy_getinfo (transfer.easy, CURLINFO_RESPONSE_CODE, &status) != CURLE_OK
        || status < 200 || status >= 300)
        return {};

    return received.body.getMemoryBlock();
}
