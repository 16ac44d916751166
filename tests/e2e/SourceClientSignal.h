#pragma once

/** What the source client plays: a constant level per port, different for every port, so that the
    meter client can tell from any one sample which source channel it came from. The levels are
    multiples of 1/8, exact in a float, so that a test may compare them with ==. */
namespace SourceClientSignal
{
constexpr int maxChannels = 8;

constexpr float levelOfChannel (int channel) noexcept
{
    return 0.125f * (float) (channel + 1);
}
} // namespace SourceClientSignal
