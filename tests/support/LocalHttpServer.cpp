#include "LocalHttpServer.h"

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
    const juce::ScopedLock sl (lock);
    status = statusCode;
    replyBody = body;
    stalling = false;
}

void LocalHttpServer::stallEveryRequest()
{
    const juce::ScopedLock sl (lock);
    stalling = true;
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

    const juce::ScopedLock sl (lock);
    requestedPaths.add (path);

    if (stalling)
    {
        stalledConnections.push_back (std::move (connection));
        return;
    }

    const auto body = replyBody.toStdString();
    juce::String reply;
    reply << "HTTP/1.1 " << status << (status == 200 ? " OK" : " Error") << "\r\n"
          << "Content-Type: application/xml\r\n"
          << "Content-Length: " << (int) body.size() << "\r\n"
          << "Connection: close\r\n\r\n";

    // One send() takes only what the socket's buffer holds; a large body needs several.
    const auto message = reply.toStdString() + body;

    for (size_t sent = 0; sent < message.size();)
    {
        const auto count = connection->write (message.data() + sent, (int) (message.size() - sent));

        if (count <= 0)
            break;

        sent += (size_t) count;
    }
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
