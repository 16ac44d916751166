#include "AudioRingbuffer.h"

#include <algorithm>
#include <cstring>

AudioRingbuffer::AudioRingbuffer (size_t capacity)
    : samples (new float[capacity]()),
      size (capacity)
{
}

size_t AudioRingbuffer::getFill() const noexcept
{
    if (writePosition > readPosition)
        return writePosition - readPosition;

    if (writePosition < readPosition)
        return size + writePosition - readPosition;

    return full ? size : 0;
}

template <typename CopyPiece>
size_t AudioRingbuffer::_append (size_t numSamples, CopyPiece&& copyPiece) noexcept
{
    const auto n = std::min (numSamples, getFreeSpace());

    if (n == 0)
        return 0;

    // At most two pieces: up to the end of the array, then on from index 0.
    const auto first = std::min (n, size - writePosition);
    copyPiece (samples.get() + writePosition, size_t { 0 }, first);

    if (n > first)
        copyPiece (samples.get(), first, n - first);

    writePosition = (writePosition + n) % size;

    if (writePosition == readPosition)
        full = true;

    return n;
}

size_t AudioRingbuffer::write (const float* source, size_t numSamples) noexcept
{
    return _append (numSamples, [source] (float* dest, size_t sourceOffset, size_t count)
    {
        std::memcpy (dest, source + sourceOffset, count * sizeof (float));
    });
}

size_t AudioRingbuffer::writeSilence (size_t numSamples) noexcept
{
    return _append (numSamples, [] (float* dest, size_t, size_t count)
    {
        std::fill (dest, dest + count, 0.0f);
    });
}

size_t AudioRingbuffer::read (float* dest, size_t numSamples) noexcept
{
    const auto n = std::min (numSamples, getFill());

    if (n == 0)
        return 0;

    if (dest != nullptr)
    {
        const auto first = std::min (n, size - readPosition);
        std::memcpy (dest, samples.get() + readPosition, first * sizeof (float));

        if (n > first)
            std::memcpy (dest + first, samples.get(), (n - first) * sizeof (float));
    }

    readPosition = (readPosition + n) % size;
    full = false;
    return n;
}
