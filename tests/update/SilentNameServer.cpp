#include "SilentNameServer.h"

SilentNameServer::SilentNameServer()
    : juce::Thread ("SilentNameServer")
{
    juce::Random random;

    for (int attempt = 0; attempt < 20; ++attempt)
    {
        const auto candidate = "127." + juce::String (1 + random.nextInt (254)) + "." + juce::String (1 + random.nextInt (254))
                             + "." + juce::String (1 + random.nextInt (254));

        if (socket.bindToPort (53, candidate))
        {
            address = candidate;
            startThread();
            return;
        }
    }
}

SilentNameServer::~SilentNameServer()
{
    signalThreadShouldExit();
    stopThread (5000);
    socket.shutdown();
}

juce::StringArray SilentNameServer::getQueriedNames() const
{
    const juce::ScopedLock sl (lock);
    return queriedNames;
}

void SilentNameServer::run()
{
    juce::uint8 packet[1500];

    while (! threadShouldExit())
    {
        if (socket.waitUntilReady (true, 50) != 1)
            continue;

        const auto size = socket.read (packet, (int) sizeof (packet), false);

        if (size > 0)
        {
            const juce::ScopedLock sl (lock);
            queriedNames.add (_questionName (packet, size));
        }
    }
}

juce::String SilentNameServer::_questionName (const juce::uint8* packet, int size)
{
    // The question follows the 12-byte header as length-prefixed labels, ending with a zero.
    juce::StringArray labels;

    for (int position = 12; position < size && packet[position] != 0;)
    {
        const int length = packet[position];

        if (length > 63 || position + 1 + length > size)
            return {};

        labels.add (juce::String (reinterpret_cast<const char*> (packet + position + 1), (size_t) length));
        position += 1 + length;
    }

    return labels.joinIntoString (".");
}
