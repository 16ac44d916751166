#pragma once

#include <array>
#include <atomic>

/** The channel mapping as the input audio thread reads it: entry i names the input channel that
    feeds logical channel i. Each entry is read and written whole, and the storage never moves, so
    the audio thread may read while the message thread writes. Written only through
    UsbPluginAudioProcessor::setChannelMappingEntry, which keeps every entry a valid input index;
    the reader still checks each entry against the block it maps. */
class RealtimeChannelMapping
{
public:
    static constexpr int numEntries = 6;

    RealtimeChannelMapping() noexcept
    {
        for (int i = 0; i < numEntries; ++i)
            entries[(size_t) i].store (i);
    }

    void store (int entry, int inputChannel) noexcept { entries[(size_t) entry].store (inputChannel, std::memory_order_relaxed); }
    int load (int entry) const noexcept { return entries[(size_t) entry].load (std::memory_order_relaxed); }

private:
    std::array<std::atomic<int>, numEntries> entries;
};
