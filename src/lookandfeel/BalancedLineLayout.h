#pragma once

#include <juce_graphics/juce_graphics.h>

/** Word-wrapped text in lines of even length, for the theme's boxes that size themselves to their
    text (tooltips). JUCE's TextLayout::createLayoutWithBalancedLineLengths searches the same widths
    but keeps the width whose last two lines differ most; this keeps the one whose last two lines
    are closest. Any thread; no state. */
namespace BalancedLineLayout
{
/** Lays `text` out at widths from `maxWidth` down in 10 px steps to half of it and returns the
    layout whose last two lines are closest in length, their ratio shorter / longer being the
    measure; it stops at the first width whose last two lines are within 10 % of each other. A text
    that fits on one line at `maxWidth` is laid out at `maxWidth`. No line is longer than `maxWidth`
    unless a single word is. */
juce::TextLayout create (const juce::AttributedString& text, float maxWidth);
} // namespace BalancedLineLayout
