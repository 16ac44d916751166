#include "BalancedLineLayout.h"

namespace
{
constexpr float widthStep = 10.0f;

// Shorter over longer of the last two lines: 1 when they are equal, near 0 for a lone last word.
float lastTwoLinesBalance (const juce::TextLayout& layout)
{
    const int n = layout.getNumLines();
    const auto last = layout.getLine (n - 1).getLineBoundsX().getLength();
    const auto beforeLast = layout.getLine (n - 2).getLineBoundsX().getLength();
    const auto longest = juce::jmax (last, beforeLast);

    return longest > 0.0f ? juce::jmin (last, beforeLast) / longest : 1.0f;
}
} // namespace

namespace BalancedLineLayout
{
juce::TextLayout create (const juce::AttributedString& text, float maxWidth)
{
    // Last two lines within 10 %: the longer one is less than 1.1 times the shorter one.
    constexpr float goodEnough = 1.0f / 1.1f;

    juce::TextLayout layout;
    layout.createLayout (text, maxWidth);

    if (layout.getNumLines() < 2)
        return layout;

    float bestWidth = maxWidth, laidOutWidth = maxWidth;
    float bestBalance = lastTwoLinesBalance (layout);

    for (float width = maxWidth - widthStep; bestBalance <= goodEnough && width >= maxWidth / 2.0f; width -= widthStep)
    {
        layout.createLayout (text, width);
        laidOutWidth = width;

        if (layout.getNumLines() < 2)
            continue;

        const auto balance = lastTwoLinesBalance (layout);

        if (balance > bestBalance)
        {
            bestBalance = balance;
            bestWidth = width;
        }
    }

    if (laidOutWidth != bestWidth)
        layout.createLayout (text, bestWidth);

    return layout;
}
} // namespace BalancedLineLayout
