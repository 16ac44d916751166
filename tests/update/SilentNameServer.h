#pragma once

#include <juce_core/juce_core.h>

/** A DNS server that reads every query and never answers: a name lookup against it lasts as long
    as the resolver's own time-outs. It listens on UDP port 53 of a random address in 127/8
    (binding port 53 needs root), so that a resolv.conf can name it; it records the name each
    query asks for. */
class SilentNameServer : private juce::Thread
{
public:
    SilentNameServer();
    ~SilentNameServer() override;

    bool isListening() const { return address.isNotEmpty(); }
    const juce::String& getAddress() const { return address; }

    /** The names asked for so far, in the order the queries came. */
    juce::StringArray getQueriedNames() const;

private:
    void run() override;
    static juce::String _questionName (const juce::uint8* packet, int size);

    juce::DatagramSocket socket { false };
    juce::String address;

    mutable juce::CriticalSection lock;
    juce::StringArray queriedNames;

    JUCE_DECLARE_NON_COPYABLE (SilentNameServer)
};
