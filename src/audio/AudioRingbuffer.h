#pragma once

#include <cstddef>
#include <memory>

/** One channel of the meter path: a fixed ring of samples between the input audio thread, which
    appends, and the meter's audio thread, which consumes. It has no lock of its own; its owner
    holds the handler's ringLock around every call. The storage is allocated once, zeroed, by the
    constructor, so no call but the constructor allocates.

    The ring holds up to `size` samples: a write that makes writePosition meet readPosition sets
    `full`, which tells a full ring from an empty one. */
class AudioRingbuffer
{
public:
    explicit AudioRingbuffer (size_t capacity);

    /** Samples available to read. */
    size_t getFill() const noexcept;
    size_t getFreeSpace() const noexcept  { return size - getFill(); }

    /** Appends as many of the numSamples samples as fit; the rest is dropped. Returns how many
        were stored. */
    size_t write (const float* source, size_t numSamples) noexcept;

    /** Appends as many zeros as fit, for a channel the block does not have. */
    size_t writeSilence (size_t numSamples) noexcept;

    /** Moves up to numSamples samples, oldest first, to dest (null: drops them). Returns how
        many were read. */
    size_t read (float* dest, size_t numSamples) noexcept;

    size_t getSize() const noexcept           { return size; }
    size_t getReadPosition() const noexcept   { return readPosition; }
    size_t getWritePosition() const noexcept  { return writePosition; }
    bool isFull() const noexcept              { return full; }

private:
    template <typename CopyPiece>
    size_t _append (size_t numSamples, CopyPiece&& copyPiece) noexcept;

    std::unique_ptr<float[]> samples;
    size_t size;
    size_t readPosition = 0;
    size_t writePosition = 0;
    bool full = false;
};
