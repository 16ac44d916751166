#include "Artwork.h"

namespace
{
//==============================================================================
// The settings window's background: a light grey frame, 40 px deep at the top, 10 px at the sides
// and 24 px at the bottom, around a dark inner area, with transparent rounded outer corners. The
// menu stretches every edge along its length, so each edge keeps one profile; only the 70 px
// centre of the bottom frame, which carries the maker's small mark, is drawn unscaled.
void drawSettingsBackground (juce::Graphics& g, float w, float h)
{
    const juce::Rectangle<float> outer (0.0f, 0.0f, w, h);
    const juce::Rectangle<float> inner (10.0f, 40.0f, w - 20.0f, h - 64.0f);

    g.setColour (juce::Colour (0xffdddee0));
    g.fillRoundedRectangle (outer, 5.0f);

    // A slightly darker rim along the outer edge and a shadow line around the dark area.
    g.setColour (juce::Colour (0xffb9bbbf));
    g.drawRoundedRectangle (outer.reduced (0.5f), 5.0f, 1.0f);

    g.setColour (juce::Colour (0xff131313));
    g.fillRect (inner);
    g.setColour (juce::Colour (0xff8d9095));
    g.drawRect (inner.expanded (1.0f), 1.0f);

    // The maker's mark, centred in the bottom frame: a dark wing and a dark wordmark.
    const float cx = w / 2.0f;
    const float markTop = h - 20.0f;
    juce::Path wing;
    wing.startNewSubPath (cx - 27.0f, markTop + 14.0f);
    wing.quadraticTo (cx - 23.0f, markTop + 3.0f, cx - 16.0f, markTop + 2.0f);
    wing.quadraticTo (cx - 20.0f, markTop + 7.0f, cx - 18.0f, markTop + 12.0f);
    wing.closeSubPath();
    g.setColour (juce::Colour (0xff2b2d30));
    g.fillPath (wing);

    g.setFont (juce::Font (11.0f, juce::Font::bold).withHorizontalScale (0.9f));
    g.drawText ("KESTRO", juce::Rectangle<float> (cx - 14.0f, markTop + 1.0f, 42.0f, 14.0f),
                juce::Justification::centredLeft, false);
}
} // namespace

std::vector<ArtworkItem> settingsWindowArtwork()
{
    return {
        { "settings_background.png", 379, 642, drawSettingsBackground },
    };
}
