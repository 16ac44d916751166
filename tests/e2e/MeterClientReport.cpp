#include "MeterClientReport.h"

#include <ctime>

std::vector<MeterClientReport::Window> MeterClientReport::readNewWindows()
{
    std::vector<Window> windows;

    juce::FileInputStream stream (file);
    if (! stream.openedOk() || ! stream.setPosition (offset))
        return windows;

    juce::MemoryBlock block;
    stream.readIntoMemoryBlock (block);
    offset += (juce::int64) block.getSize();

    auto text = partialLine + block.toString();
    const int lastBreak = text.lastIndexOfChar ('\n');
    partialLine = text.substring (lastBreak + 1);
    text = text.substring (0, lastBreak + 1);

    for (auto& line : juce::StringArray::fromLines (text))
    {
        auto tokens = juce::StringArray::fromTokens (line, " ", {});
        if (tokens.size() < 4 || tokens[0] != "window" || (tokens.size() - 4) % 3 != 0)
            continue;

        Window window;
        window.sequence = (long) tokens[1].getLargeIntValue();
        window.beginMicroseconds = tokens[2].getLargeIntValue();
        window.frames = tokens[3].getIntValue();

        for (int i = 4; i < tokens.size(); i += 3)
            window.ports.push_back ({ tokens[i].getIntValue(), tokens[i + 1].getFloatValue(), tokens[i + 2].getFloatValue() });

        windows.push_back (std::move (window));
    }

    return windows;
}

bool MeterClientReport::carries (const Window& window, size_t port, float level)
{
    if (port >= window.ports.size())
        return false;

    // Zeros are allowed (the meter handler's rings pad an underrun with them), other values are
    // not: they would be another channel's samples.
    const auto& p = window.ports[port];
    return p.nonzero * 2 >= window.frames && p.lowest == level && p.highest == level;
}

juce::int64 MeterClientReport::now()
{
    timespec time {};
    clock_gettime (CLOCK_MONOTONIC, &time);
    return (juce::int64) time.tv_sec * 1000000 + time.tv_nsec / 1000;
}

bool MeterClientReport::isSilent (const Window& window, size_t port)
{
    return port < window.ports.size() && window.ports[port].nonzero == 0;
}

juce::String MeterClientReport::describe (const Window& window)
{
    juce::StringArray parts;

    for (size_t p = 0; p < window.ports.size(); ++p)
        parts.add ("in_" + juce::String ((int) p + 1) + ": " + juce::String (window.ports[p].nonzero) + " x ["
                   + juce::String (window.ports[p].lowest) + ", " + juce::String (window.ports[p].highest) + "]");

    return "window " + juce::String (window.sequence) + " of " + juce::String (window.frames) + " frames: "
         + parts.joinIntoString (" | ");
}
