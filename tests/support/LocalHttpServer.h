#pragma once

#include <juce_core/juce_core.h>

#include <memory>
#include <vector>

/** A tiny HTTP server on 127.0.0.1 for tests of code that fetches from the web. It listens on a
    port the system chooses, answers every request on its own thread with the reply last chosen,
    and records the paths it was asked for. With stalling on it accepts connections, reads the
    request and never answers, holding the connection open until the server is destroyed. With
    trickling on it answers 200 with a long body sent a few bytes at a time. A client that goes
    away never costs the test process a SIGPIPE. */
class LocalHttpServer : private juce::Thread
{
public:
    LocalHttpServer();
    ~LocalHttpServer() override;

    /** Every following request gets this status and body (served as XML). */
    void respondWith (int statusCode, const juce::String& body);

    /** The same with a body of raw bytes, which need not be text. */
    void respondWithBytes (int statusCode, std::string body);

    /** Every following request gets a 302 to `location`, with an empty body. */
    void redirectEveryRequestTo (const juce::String& location);

    /** Every following request is accepted and never answered. */
    void stallEveryRequest();

    /** Every following request gets the headers of a 256 KiB body at once, then `bytes` bytes of
        it every `intervalMs`, until the client goes or the server is destroyed. */
    void trickleEveryReply (int bytes, int intervalMs);

    bool isListening() const { return port > 0; }
    juce::URL getBaseUrl() const;

    int getRequestCount() const;
    juce::StringArray getRequestedPaths() const;

    /** An address on 127.0.0.1 where nothing listens: a port that was free a moment ago. */
    static juce::URL refusingBaseUrl();

private:
    void run() override;
    void _serve (std::unique_ptr<juce::StreamingSocket> connection);
    void _trickle (juce::StreamingSocket& connection, int bytes, int intervalMs);
    static bool _send (juce::StreamingSocket& connection, const void* data, size_t size);
    static juce::String _readRequestHead (juce::StreamingSocket& connection);

    juce::StreamingSocket listener;
    int port = 0;

    mutable juce::CriticalSection lock;
    int status = 200;
    std::string replyBody;
    juce::String redirectLocation;
    bool stalling = false;
    int trickleBytes = 0;
    int trickleIntervalMs = 0;
    juce::StringArray requestedPaths;
    std::vector<std::unique_ptr<juce::StreamingSocket>> stalledConnections;

    JUCE_DECLARE_NON_COPYABLE (LocalHttpServer)
};
