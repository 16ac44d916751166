#pragma once

#include <atomic>
#include <cstdint>

/** The channel mapping as the input audio thread reads it: entry i names the input channel that
    feeds logical channel i. All six entries live in one atomic word (three bits each), so the
    audio thread takes the whole mapping in one load and never sees half of a change that moves
    several entries at once (a swap). The storage never moves.

    Message thread only: set() and publish(). The writer changes entries in its own copy with
    set() and makes them visible together with publish(); UsbPluginAudioProcessor does both
    through setChannelMappingEntry, which keeps every entry a valid input index. The reader still
    checks that the mapping names each channel of the block it maps once. */
class RealtimeChannelMapping
{
public:
    static constexpr int numEntries = 6;

    /** One published state of the whole mapping. */
    class Snapshot
    {
    public:
        int operator[] (int entry) const noexcept  { return (int) ((word >> shiftOf (entry)) & entryMask); }

        /** Whether the first n entries (n from 0 to numEntries) name each of 0 to n - 1 once. */
        bool isPermutationOfFirst (int n) const noexcept
        {
            uint32_t seen = 0;

            for (int i = 0; i < n; ++i)
                seen |= 1u << (*this)[i];

            return seen == (1u << n) - 1u;
        }

    private:
        friend class RealtimeChannelMapping;
        static constexpr uint32_t entryMask = 7;
        static constexpr uint32_t shiftOf (int entry) noexcept  { return 3u * (uint32_t) entry; }

        explicit Snapshot (uint32_t bits) noexcept : word (bits) {}

        void set (int entry, int inputChannel) noexcept
        {
            word = (word & ~(entryMask << shiftOf (entry))) | (((uint32_t) inputChannel & entryMask) << shiftOf (entry));
        }

        uint32_t word;
    };

    RealtimeChannelMapping() noexcept
    {
        for (int i = 0; i < numEntries; ++i)
            pending.set (i, i);

        publish();
    }

    /** Changes entry in the writer's copy; the audio thread sees it after the next publish(). */
    void set (int entry, int inputChannel) noexcept  { pending.set (entry, inputChannel); }
    /** Makes every entry set so far visible to the audio thread at once. */
    void publish() noexcept  { published.store (pending.word); }

    /** The audio thread's read: the whole mapping as last published. */
    Snapshot snapshot() const noexcept  { return Snapshot (published.load()); }
    /** One entry as last published. */
    int load (int entry) const noexcept  { return snapshot()[entry]; }

private:
    static_assert (numEntries * 3 <= 32, "the mapping must fit one atomic word");

    Snapshot pending { 0 };
    std::atomic<uint32_t> published { 0 };
    static_assert (std::atomic<uint32_t>::is_always_lock_free, "the audio thread must not take a lock");
};
