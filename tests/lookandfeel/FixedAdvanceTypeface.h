#pragma once

#include <juce_graphics/juce_graphics.h>

/** A typeface in which every printable ASCII character, the space too, advances by the font's
    height times `advance`, with ascent 0.8 and descent 0.2 of the height. With it a line is as
    long as its characters times one width, so that tests of line breaking can expect widths
    worked out by hand instead of measured with the font the machine happens to have. */
inline juce::Typeface::Ptr makeFixedAdvanceTypeface (float advance)
{
    auto* face = new juce::CustomTypeface();
    face->setCharacteristics ("Fixed Advance", 0.8f, false, false, ' ');

    juce::Path box;
    box.addRectangle (0.1f * advance, -0.7f, 0.8f * advance, 0.7f);

    face->addGlyph (' ', {}, advance);
    for (juce::juce_wchar c = '!'; c <= '~'; ++c)
        face->addGlyph (c, box, advance);

    return face;
}
