#pragma once

/** The meter handler's state, as the routing button mirrors it. */
namespace DeviceState
{
enum : int
{
    Inactive = 1,          ///< never entered by the handler; shown like Searching
    Searching = 2,         ///< no usable meter output
    DeviceReady = 3,       ///< meter output found and probed; routing off, device closed
    Routing = 4,           ///< meter output open with the handler as its callback
    UnsupportedFormat = 5, ///< input is not 2 or 6 active channels at 44100 to 96000 Hz
    NotSupported = 6       ///< never entered by the handler
};
} // namespace DeviceState
