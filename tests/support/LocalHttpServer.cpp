#include "LocalHttpServer.h"

#include <sys/socket.h>

LocalHttpServer::LocalHttpServer()
    : juce::Thread ("LocalHttpServer")
{
    if (listener.createListener (0, "127.0.0.1"))
    {
        port = listener.getBoundPort();
        startThread();
    }
}

LocalHttpServer::~LocalHttpServer()
{
    signalThreadShouldExit();
    stopThread (5000);
    listener.close();
}

void LocalHttpServer::respondWith (int statusCode, const juce::String& body)
{
    respondWithBytes (statusCode, body.toStdString());
}

void LocalHttpServer::respondWithBytes (int statusCode, std::string body)
{
    const juce::ScopedLock sl (lock);
    status = statusCode;
    replyBody = std::move (body);
    redirectLocation.clear();
    stalling = false;
    trickleBytes = 0;
}

void LocalHttpServer::redirectEveryRequestTo (const juce::String& location)
{
    respondWithBytes (302, {});
    const juce::ScopedLock sl (lock);
    redirectLocation = location;
}

void LocalHttpServer::stallEveryRequest()
{
    const juce::ScopedLock sl (lock);
    stalling = true;
}

void LocalHttpServer::trickleEveryReply (int bytes, int intervalMs)
{
    const juce::ScopedLock sl (lock);
    stalling = false;
    trickleBytes = bytes;
    trickleIntervalMs = intervalMs;
}

juce::URL LocalHttpServer::getBaseUrl() const
{
    return juce::URL ("http://127.0.0.1:" + juce::String (port));
}

int LocalHttpServer::getRequestCount() const
{
    const juce::ScopedLock sl (lock);
    return requestedPaths.size();
}

juce::StringArray LocalHttpServer::getRequestedPaths() const
{
    const juce::ScopedLock sl (lock);
    return requestedPaths;
}

juce::URL LocalHttpServer::refusingBaseUrl()
{
    juce::StreamingSocket probe;
    probe.createListener (0, "127.0.0.1");
    const auto freePort = probe.getBoundPort();
    probe.close();
    return juce::URL ("http://127.0.0.1:" + juce::String (freePort));
}

void LocalHttpServer::run()
{
    while (! threadShouldExit())
    {
        if (listener.waitUntilReady (true, 50) != 1)
            continue;

        if (auto* connection = listener.waitForNextConnection())
            _serve (std::unique_ptr<juce::StreamingSocket> (connection));
    }

    const juce::ScopedLock sl (lock);
    stalledConnections.clear();
}

void LocalHttpServer::_serve (std::unique_ptr<juce::StreamingSocket> connection)
{
    const auto head = _readRequestHead (*connection);
    const auto path = head.upToFirstOccurrenceOf ("\r\n", false, false)
                          .fromFirstOccurrenceOf (" ", false, false)
                          .upToFirstOccurrenceOf (" ", false, false);

    int bytes = 0, intervalMs = 0;
    {
        const juce::ScopedLock sl (lock);
        requestedPaths.add (path);

        if (stalling)
        {
            stalledConnections.push_back (std::move (connection));
            return;
        }

        bytes = trickleBytes;
        intervalMs = trickleIntervalMs;
    }

    if (bytes > 0)
    {
        _trickle (*connection, bytes, intervalMs);
        return;
    }

    juce::String reply;
    std::string body;
    {
        const juce::ScopedLock sl (lock);
        body = replyBody;
        reply << "HTTP/1.1 " << status << (status == 200 ? " OK" : status == 302 ? " Found" : " Error") << "\r\n";

        if (redirectLocation.isNotEmpty())
            reply << "Location: " << redirectLocation << "\r\n";
    }

    reply << "Content-Type: application/xml\r\n"
          << "Content-Length: " << (int) body.size() << "\r\n"
          << "Connection: close\r\n\r\n";

    // One send() takes only what the socket's buffer holds; a large body needs several.
    const auto message = reply.toStdString() + body;
    _send (*connection, message.data(), message.size());
}

void LocalHttpServer::_trickle (juce::StreamingSocket& connection, int bytes, int intervalMs)
{
    constexpr int bodySize = 256 * 1024;
    const auto head = "HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\nContent-Length: " + std::to_string (bodySize)
                    + "\r\nConnection: close\r\n\r\n";

    if (! _send (connection, head.data(), head.size()))
        return;

    const std::string chunk ((size_t) bytes, ' ');

    for (int sent = 0; sent < bodySize && ! threadShouldExit(); sent += bytes)
    {
        if (! _send (connection, chunk.data(), chunk.size()))
            return;

        wait (intervalMs);
    }
}

bool LocalHttpServer::_send (juce::StreamingSocket& connection, const void* data, size_t size)
{
    // MSG_NOSIGNAL: a client that has closed its end gives an error here, not a SIGPIPE that
    // would end the whole test process.
    const auto* bytes = static_cast<const char*> (data);

    for (size_t sent = 0; sent < size;)
    {
        const auto count = ::send (connection.getRawSocketHandle(), bytes + sent, size - sent, MSG_NOSIGNAL);

        if (count <= 0)
            return false;

        sent += (size_t) count;
    }

    return true;
}

juce::String LocalHttpServer::_readRequestHead (juce::StreamingSocket& connection)
{
    juce::MemoryBlock received;
    char buffer[1024];

    for (int attempt = 0; attempt < 40; ++attempt)
    {
        if (connection.waitUntilReady (true, 50) != 1)
            continue;

        const auto count = connection.read (buffer, (int) sizeof (buffer), false);

        if (count <= 0)
            break;

        received.append (buffer, (size_t) count);

        if (received.toString().contains ("\r\n\r\n"))
            break;
    }

    return received.toString();
}
