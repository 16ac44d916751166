#include "Artwork.h"

namespace
{
// The application icon: a dark rounded tile with a loudness gauge (a ring of level segments that
// runs from green to red) and a needle.
void drawApplicationIcon (juce::Graphics& g, float w, float h)
{
    const auto tile = juce::Rectangle<float> (w, h).reduced (w * 0.04f);
    const auto corner = w * 0.18f;

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xff3a3d42), tile.getX(), tile.getY(),
                                             juce::Colour (0xff16171a), tile.getX(), tile.getBottom(), false));
    g.fillRoundedRectangle (tile, corner);
    g.setColour (juce::Colour (0xff5a5e66));
    g.drawRoundedRectangle (tile.reduced (1.5f), corner, 3.0f);

    const auto centre = tile.getCentre().translated (0.0f, h * 0.06f);
    const auto radius = w * 0.33f;
    const float start = -juce::MathConstants<float>::pi * 0.75f;
    const float end = juce::MathConstants<float>::pi * 0.75f;
    const int segments = 15;

    for (int i = 0; i < segments; ++i)
    {
        const float t = (float) i / (float) (segments - 1);
        const float a0 = start + (end - start) * ((float) i + 0.12f) / (float) segments;
        const float a1 = start + (end - start) * ((float) i + 0.88f) / (float) segments;

        juce::Path segment;
        segment.addCentredArc (centre.x, centre.y, radius, radius, 0.0f, a0, a1, true);
        const auto colour = t < 0.6f ? juce::Colour (0xff3ccf5a)
                          : t < 0.85f ? juce::Colour (0xfff2c230)
                                      : juce::Colour (0xffe8423a);
        g.setColour (colour);
        g.strokePath (segment, juce::PathStrokeType (w * 0.075f, juce::PathStrokeType::curved,
                                                     juce::PathStrokeType::butt));
    }

    const float needleAngle = start + (end - start) * 0.62f;
    juce::Path needle;
    needle.addTriangle (-w * 0.022f, 0.0f, w * 0.022f, 0.0f, 0.0f, -radius * 0.92f);
    g.setColour (juce::Colour (0xffe9ecef));
    g.fillPath (needle, juce::AffineTransform::rotation (needleAngle).translated (centre));
    g.fillEllipse (juce::Rectangle<float> (w * 0.09f, w * 0.09f).withCentre (centre));

    g.setColour (juce::Colour (0xffb8bec6));
    g.setFont (juce::Font (h * 0.14f, juce::Font::bold));
    g.drawText ("LU", tile.withTrimmedTop (h * 0.66f).withTrimmedBottom (h * 0.06f),
                juce::Justification::centred);
}
} // namespace

std::vector<ArtworkItem> applicationArtwork()
{
    return { { "application_icon.png", 256, 256, drawApplicationIcon } };
}
