#pragma once

/** The layout of the current input, held in the processor's channelMode. The application sets
    Mono, Stereo and FivePointOne for 1, 2 and 6 active inputs and None for any other count; only
    Stereo and FivePointOne carry audio to the meter. The other layouts exist for a plug-in host's
    channel-mode choice. */
namespace ChannelMode
{
enum : int
{
    None = 0,               ///< no logical channels
    Mono = 1,               ///< M
    Stereo = 3,             ///< L R
    Lcrs = 5,               ///< L R C S
    FivePointZero = 6,      ///< L R C LS RS
    FivePointOne = 7,       ///< L R C LFE LS RS
    SevenPointOneSdds = 12, ///< L R C LFE LS RS LC RC
    SevenPointOne = 13      ///< L R C LFE LSR RSR LSS RSS
};
} // namespace ChannelMode
