#include "Artwork.h"

namespace
{
// The three states of a tab icon share one drawing and differ in ink: light grey at rest, white
// with a blue accent while hovered, a dimmer grey while pressed. The icons sit on both tab fills
// (0xff141414 in front, 0xff787878 behind), so each shape gets a thin dark edge for contrast.
struct IconInk
{
    juce::Colour main;
    juce::Colour accent;
};

const IconInk normalInk { juce::Colour (0xffe6e6e6), juce::Colour (0xffbfbfbf) };
const IconInk hoveredInk { juce::Colour (0xffffffff), juce::Colour (0xff5fb4ff) };
const IconInk pressedInk { juce::Colour (0xffa8a8a8), juce::Colour (0xff3d8ad6) };

void fillWithEdge (juce::Graphics& g, const juce::Path& p, juce::Colour colour)
{
    g.setColour (juce::Colour (0x90000000));
    g.strokePath (p, juce::PathStrokeType (1.5f));
    g.setColour (colour);
    g.fillPath (p);
}

// System: a computer screen on a stand, with a small gear on the screen.
void drawSystemIcon (juce::Graphics& g, float w, float h, const IconInk& ink)
{
    const float sx = w / 21.0f, sy = h / 21.0f;

    juce::Path screen;
    screen.addRoundedRectangle (2.0f * sx, 3.0f * sy, 17.0f * sx, 12.0f * sy, 1.5f * sx);
    juce::Path inner;
    inner.addRectangle (3.5f * sx, 4.5f * sy, 14.0f * sx, 9.0f * sy);
    screen.addPath (inner);
    screen.setUsingNonZeroWinding (false);

    juce::Path stand;
    stand.addRectangle (9.0f * sx, 15.0f * sy, 3.0f * sx, 2.5f * sy);
    stand.addRoundedRectangle (6.0f * sx, 17.0f * sy, 9.0f * sx, 1.8f * sy, 0.8f * sx);

    fillWithEdge (g, screen, ink.main);
    fillWithEdge (g, stand, ink.main);

    // Gear: six teeth around a ring, centred on the screen.
    const juce::Point<float> c (10.5f * sx, 9.0f * sy);
    juce::Path gear;
    for (int i = 0; i < 6; ++i)
    {
        juce::Path tooth;
        tooth.addRectangle (-0.8f * sx, -3.4f * sy, 1.6f * sx, 1.6f * sy);
        gear.addPath (tooth, juce::AffineTransform::rotation ((float) i * juce::MathConstants<float>::twoPi / 6.0f)
                                 .translated (c));
    }
    gear.addEllipse (c.x - 2.4f * sx, c.y - 2.4f * sy, 4.8f * sx, 4.8f * sy);
    juce::Path hole;
    hole.addEllipse (c.x - 1.0f * sx, c.y - 1.0f * sy, 2.0f * sx, 2.0f * sy);
    gear.addPath (hole);
    gear.setUsingNonZeroWinding (false);

    g.setColour (ink.accent);
    g.fillPath (gear);
}

// Audio: a loudspeaker with two sound waves.
void drawAudioIcon (juce::Graphics& g, float w, float h, const IconInk& ink)
{
    const float sx = w / 21.0f, sy = h / 21.0f;

    juce::Path speaker;
    speaker.startNewSubPath (2.5f * sx, 7.5f * sy);
    speaker.lineTo (6.0f * sx, 7.5f * sy);
    speaker.lineTo (10.5f * sx, 3.5f * sy);
    speaker.lineTo (10.5f * sx, 17.5f * sy);
    speaker.lineTo (6.0f * sx, 13.5f * sy);
    speaker.lineTo (2.5f * sx, 13.5f * sy);
    speaker.closeSubPath();
    fillWithEdge (g, speaker.createPathWithRoundedCorners (1.0f * sx), ink.main);

    const juce::Point<float> c (10.5f * sx, 10.5f * sy);
    for (const auto& wave : { std::pair<float, juce::Colour> { 4.0f, ink.accent },
                              std::pair<float, juce::Colour> { 7.5f, ink.main } })
    {
        juce::Path arc;
        arc.addCentredArc (c.x, c.y, wave.first * sx, wave.first * sy, 0.0f,
                           juce::MathConstants<float>::pi * 0.22f, juce::MathConstants<float>::pi * 0.78f, true);
        g.setColour (juce::Colour (0x90000000));
        g.strokePath (arc, juce::PathStrokeType (2.8f * sx, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
        g.setColour (wave.second);
        g.strokePath (arc, juce::PathStrokeType (1.6f * sx, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    }
}

// The progress bar's stripe: opaque diagonal bands in two blues, drawn so that tiles join
// seamlessly side by side.
void drawProgressStripe (juce::Graphics& g, float w, float h)
{
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xff5aa6f0), 0.0f, 0.0f,
                                             juce::Colour (0xff2a6fc0), 0.0f, h, false));
    g.fillRect (0.0f, 0.0f, w, h);

    juce::Path band;
    const float bandWidth = w * 0.5f;
    for (float x = -w; x < w * 2.0f; x += w)
    {
        band.startNewSubPath (x, h);
        band.lineTo (x + bandWidth, h);
        band.lineTo (x + bandWidth + h, 0.0f);
        band.lineTo (x + h, 0.0f);
        band.closeSubPath();
    }
    g.setColour (juce::Colour (0x40ffffff));
    g.fillPath (band);
}

ArtworkItem icon (const char* fileName, void (*draw) (juce::Graphics&, float, float, const IconInk&), const IconInk& ink)
{
    return { fileName, 21, 21, [draw, ink] (juce::Graphics& g, float w, float h) { draw (g, w, h, ink); } };
}
} // namespace

std::vector<ArtworkItem> tabArtwork()
{
    return {
        icon ("tab_system_normal.png", drawSystemIcon, normalInk),
        icon ("tab_system_hover.png", drawSystemIcon, hoveredInk),
        icon ("tab_system_pressed.png", drawSystemIcon, pressedInk),
        icon ("tab_audio_normal.png", drawAudioIcon, normalInk),
        icon ("tab_audio_hover.png", drawAudioIcon, hoveredInk),
        icon ("tab_audio_pressed.png", drawAudioIcon, pressedInk),
        { "progress_stripe.png", 20, 16, drawProgressStripe, true },
    };
}
