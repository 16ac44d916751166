#include "Artwork.h"

namespace
{
enum class Look
{
    normal,
    hover,
    pressed
};

const juce::Colour s_green (0xff3ccf5a);
const juce::Colour s_red (0xffe8423a);
const juce::Colour s_yellow (0xfff2c230);

//==============================================================================
// The main window's bezel: light-grey aluminium with rounded outer corners, 13 px deep at the top
// and the sides and 37 px at the bottom, around a transparent window with slightly rounded
// corners. The editor stretches the edges along their length, so every edge keeps one profile
// across its depth and none along it.
void drawFrame (juce::Graphics& g, float w, float h)
{
    const juce::Rectangle<float> outer (0.0f, 0.0f, w, h);
    const juce::Rectangle<float> window (13.0f, 13.0f, w - 26.0f, h - 50.0f);

    juce::Path bezel;
    bezel.addRoundedRectangle (outer, 7.0f);
    bezel.addRoundedRectangle (window, 4.0f);
    bezel.setUsingNonZeroWinding (false);

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xffdcdee1), 0.0f, 0.0f,
                                             juce::Colour (0xffb4b7bb), 0.0f, h, false));
    g.fillPath (bezel);

    // A lighter lip along the top and the left, a darker one along the bottom and the right.
    g.setColour (juce::Colours::white.withAlpha (0.55f));
    g.drawRoundedRectangle (outer.reduced (1.5f), 6.0f, 1.0f);
    g.setColour (juce::Colour (0xff6b6e72));
    g.drawRoundedRectangle (outer.reduced (0.5f), 7.0f, 1.0f);

    // The window's edge: a dark rim with a soft shadow falling inwards from the bezel.
    g.setColour (juce::Colour (0xff3f4246));
    g.drawRoundedRectangle (window.expanded (0.5f), 4.5f, 1.0f);
    g.setColour (juce::Colour (0xff8d9095));
    g.drawRoundedRectangle (window.expanded (1.5f), 5.5f, 1.0f);

    // The bottom strip carries a faint groove under the window.
    const float grooveY = window.getBottom() + 4.5f;
    g.setColour (juce::Colours::black.withAlpha (0.10f));
    g.drawLine (20.0f, grooveY, w - 20.0f, grooveY, 1.0f);
    g.setColour (juce::Colours::white.withAlpha (0.35f));
    g.drawLine (20.0f, grooveY + 1.0f, w - 20.0f, grooveY + 1.0f, 1.0f);
}

// The maker's mark in the bezel's bottom strip: a red wing beside a dark wordmark.
void drawLogo (juce::Graphics& g, float w, float h)
{
    juce::Path wing;
    wing.startNewSubPath (1.0f, h * 0.70f);
    wing.quadraticTo (6.0f, h * 0.18f, 15.0f, h * 0.12f);
    wing.quadraticTo (10.0f, h * 0.40f, 12.0f, h * 0.62f);
    wing.quadraticTo (7.0f, h * 0.56f, 1.0f, h * 0.70f);
    wing.closeSubPath();
    g.setColour (juce::Colour (0xffdb052b));
    g.fillPath (wing);

    const juce::Rectangle<float> text (17.0f, 2.0f, w - 17.0f, h - 4.0f);
    g.setColour (juce::Colour (0xff2b2d30));
    g.setFont (juce::Font (13.5f, juce::Font::bold).withHorizontalScale (0.9f));
    g.drawText ("KESTRO", text.withHeight (15.0f), juce::Justification::centredLeft, false);

    g.setColour (juce::Colour (0xff55585d));
    g.setFont (juce::Font (7.0f, juce::Font::bold).withExtraKerningFactor (0.28f));
    g.drawText ("VANTREL", text.withTrimmedTop (14.0f).withHeight (9.0f), juce::Justification::centredLeft, false);
}

// A thin highlight above the dock bar, fading out at both ends.
void drawSeparator (juce::Graphics& g, float w, float)
{
    juce::ColourGradient light (juce::Colour (0x00707479), 0.0f, 0.0f, juce::Colour (0x00707479), w, 0.0f, false);
    light.addColour (0.5, juce::Colour (0xff9a9ea4));
    g.setGradientFill (light);
    g.fillRect (0.0f, 0.0f, w, 1.0f);

    juce::ColourGradient shade (juce::Colour (0x00202124), 0.0f, 0.0f, juce::Colour (0x00202124), w, 0.0f, false);
    shade.addColour (0.5, juce::Colour (0xff4a4d52));
    g.setGradientFill (shade);
    g.fillRect (0.0f, 1.0f, w, 1.0f);
}

//==============================================================================
// The settings gear: eight teeth around a hub with a hole, lit from above.
void drawGear (juce::Graphics& g, float w, float h, Look look)
{
    const float shift = look == Look::pressed ? 1.0f : 0.0f;
    const juce::Point<float> centre (w * 0.5f, h * 0.5f + shift);
    const float outerRadius = 14.5f, rootRadius = 11.0f, holeRadius = 4.6f;
    const int teeth = 8;

    juce::Path gear;
    for (int i = 0; i < teeth * 4; ++i)
    {
        // Each tooth: a flat top over a quarter of its pitch, flanks and root over the rest.
        const float angle = juce::MathConstants<float>::twoPi * (float) i / (float) (teeth * 4);
        const int phase = i % 4;
        const float radius = phase == 1 || phase == 2 ? outerRadius : rootRadius;
        const auto point = centre.getPointOnCircumference (radius, angle);

        if (i == 0)
            gear.startNewSubPath (point);
        else
            gear.lineTo (point);
    }
    gear.closeSubPath();
    gear = gear.createPathWithRoundedCorners (1.2f);
    gear.addEllipse (juce::Rectangle<float> (holeRadius * 2.0f, holeRadius * 2.0f).withCentre (centre));
    gear.setUsingNonZeroWinding (false);

    const auto top = look == Look::hover ? juce::Colour (0xfff4f6f8) : look == Look::pressed ? juce::Colour (0xff9fa3a8) : juce::Colour (0xffd9dce0);
    const auto bottom = look == Look::hover ? juce::Colour (0xffb9bec4) : look == Look::pressed ? juce::Colour (0xff6f7378) : juce::Colour (0xff9a9fa5);

    g.setColour (juce::Colours::black.withAlpha (0.45f));
    g.fillPath (gear, juce::AffineTransform::translation (0.0f, 1.0f));

    g.setGradientFill (juce::ColourGradient (top, 0.0f, centre.y - outerRadius, bottom, 0.0f, centre.y + outerRadius, false));
    g.fillPath (gear);

    g.setColour (juce::Colour (0xff2a2c2f));
    g.strokePath (gear, juce::PathStrokeType (0.8f));

    // A ring on the hub.
    g.setColour (juce::Colours::black.withAlpha (0.25f));
    g.drawEllipse (juce::Rectangle<float> (15.0f, 15.0f).withCentre (centre), 1.0f);
}

//==============================================================================
/** Draws the meter: a small dark display in a light housing, with a cable connector bar under it.
    Returns the display's inner area, where the state's picture goes. */
juce::Rectangle<float> drawMeter (juce::Graphics& g, float w, Look look, juce::Colour connector, bool lit)
{
    const float shift = look == Look::pressed ? 1.0f : 0.0f;
    const auto housing = juce::Rectangle<float> (6.0f, 5.0f + shift, w - 12.0f, 23.0f);

    const auto housingTop = look == Look::hover ? juce::Colour (0xffeceff2) : look == Look::pressed ? juce::Colour (0xffa4a8ad) : juce::Colour (0xffcfd2d6);
    const auto housingBottom = look == Look::hover ? juce::Colour (0xffb0b5bb) : look == Look::pressed ? juce::Colour (0xff74787d) : juce::Colour (0xff979ca2);

    g.setColour (juce::Colours::black.withAlpha (0.45f));
    g.fillRoundedRectangle (housing.translated (0.0f, 1.0f), 3.5f);
    g.setGradientFill (juce::ColourGradient (housingTop, 0.0f, housing.getY(), housingBottom, 0.0f, housing.getBottom(), false));
    g.fillRoundedRectangle (housing, 3.5f);
    g.setColour (juce::Colour (0xff2a2c2f));
    g.drawRoundedRectangle (housing.reduced (0.5f), 3.5f, 0.8f);

    const auto display = housing.reduced (3.0f, 3.0f);
    g.setColour (lit ? juce::Colour (0xff0b1a10) : juce::Colour (0xff16181b));
    g.fillRoundedRectangle (display, 1.5f);
    g.setColour (juce::Colours::black.withAlpha (0.6f));
    g.drawRoundedRectangle (display.reduced (0.25f), 1.5f, 0.6f);

    // The cable connector under the housing.
    const auto neck = juce::Rectangle<float> (w * 0.5f - 3.0f, housing.getBottom(), 6.0f, 3.0f);
    g.setColour (juce::Colour (0xff5a5e63));
    g.fillRect (neck);

    const auto bar = juce::Rectangle<float> (11.0f, housing.getBottom() + 3.0f, w - 22.0f, 4.0f);
    const auto barColour = look == Look::hover ? connector.brighter (0.25f) : look == Look::pressed ? connector.darker (0.3f) : connector;
    g.setColour (barColour);
    g.fillRoundedRectangle (bar, 2.0f);
    g.setColour (juce::Colours::white.withAlpha (0.3f));
    g.fillRoundedRectangle (bar.withHeight (1.5f).reduced (1.5f, 0.0f), 0.75f);

    return display.reduced (2.0f, 2.0f);
}

/** A round badge in the picture's lower right corner, with a dark rim that sets it off from the
    meter. Returns its centre. */
juce::Point<float> drawBadge (juce::Graphics& g, float w, float h, Look look, juce::Colour colour)
{
    const float shift = look == Look::pressed ? 1.0f : 0.0f;
    const juce::Point<float> centre (w - 9.5f, h - 12.0f + shift);
    const auto disc = juce::Rectangle<float> (15.0f, 15.0f).withCentre (centre);

    g.setColour (juce::Colour (0xff141414));
    g.fillEllipse (disc.expanded (1.5f));
    g.setColour (look == Look::hover ? colour.brighter (0.2f) : look == Look::pressed ? colour.darker (0.25f) : colour);
    g.fillEllipse (disc);
    return centre;
}

// Disconnected: a meter with an empty display, a grey connector and a red cross.
void drawDisconnected (juce::Graphics& g, float w, float h, Look look)
{
    drawMeter (g, w, look, juce::Colour (0xff6c7075), false);
    const auto centre = drawBadge (g, w, h, look, s_red);

    juce::Path cross;
    cross.startNewSubPath (centre.translated (-3.3f, -3.3f));
    cross.lineTo (centre.translated (3.3f, 3.3f));
    cross.startNewSubPath (centre.translated (3.3f, -3.3f));
    cross.lineTo (centre.translated (-3.3f, 3.3f));
    g.setColour (juce::Colours::white);
    g.strokePath (cross, juce::PathStrokeType (2.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::rounded));
}

// Level bars in the meter's display: lit to the given heights, dim above.
void drawLevelBars (juce::Graphics& g, juce::Rectangle<float> area, const float* levels, int numBars, bool lit)
{
    const float gap = 1.0f;
    const float barWidth = (area.getWidth() - gap * (float) (numBars - 1)) / (float) numBars;

    for (int i = 0; i < numBars; ++i)
    {
        const auto column = juce::Rectangle<float> (area.getX() + (float) i * (barWidth + gap), area.getY(), barWidth, area.getHeight());
        g.setColour (juce::Colour (0xff25292d));
        g.fillRect (column);

        if (! lit)
            continue;

        const float top = column.getBottom() - column.getHeight() * levels[i];
        juce::ColourGradient gradient (s_red, 0.0f, column.getY(), s_green, 0.0f, column.getBottom(), false);
        gradient.addColour (0.45, s_yellow);
        gradient.addColour (0.6, s_green);
        g.setGradientFill (gradient);
        g.fillRect (column.withTop (top));
    }
}

// Ready: a meter with a resting display and a green connector bar.
void drawReady (juce::Graphics& g, float w, float, Look look)
{
    const auto display = drawMeter (g, w, look, s_green, false);
    const float levels[] = { 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f };
    drawLevelBars (g, display, levels, 6, false);

    // A small green standby lamp in the display's corner.
    g.setColour (s_green);
    g.fillEllipse (juce::Rectangle<float> (3.0f, 3.0f).withCentre (display.getTopRight().translated (-2.0f, 2.0f)));
}

// Routing: a meter whose display shows moving levels, with the green connector bar.
void drawRouting (juce::Graphics& g, float w, float, Look look)
{
    const auto display = drawMeter (g, w, look, s_green, true);
    const float levels[] = { 0.62f, 0.78f, 0.95f, 0.7f, 0.52f, 0.84f };
    drawLevelBars (g, display, levels, 6, true);

    if (look == Look::hover)
    {
        g.setColour (juce::Colours::white.withAlpha (0.12f));
        g.fillRect (display);
    }
}

// Unsupported: a meter with a red no-entry sign.
void drawUnsupported (juce::Graphics& g, float w, float h)
{
    drawMeter (g, w, Look::normal, juce::Colour (0xff6c7075), false);
    const auto centre = drawBadge (g, w, h, Look::normal, s_red);
    g.setColour (juce::Colours::white);
    g.fillRoundedRectangle (juce::Rectangle<float> (9.0f, 2.6f).withCentre (centre), 1.0f);
}

// Busy: a meter with a progress ring of fading segments.
void drawBusy (juce::Graphics& g, float w, float h)
{
    drawMeter (g, w, Look::normal, juce::Colour (0xff8a8f95), false);
    const auto centre = drawBadge (g, w, h, Look::normal, juce::Colour (0xff1f6fd1));

    const int segments = 8;
    for (int i = 0; i < segments; ++i)
    {
        const float angle = juce::MathConstants<float>::twoPi * (float) i / (float) segments;
        juce::Path segment;
        segment.addCentredArc (centre.x, centre.y, 4.6f, 4.6f, 0.0f, angle + 0.12f, angle + juce::MathConstants<float>::twoPi / (float) segments - 0.12f, true);
        g.setColour (juce::Colours::white.withAlpha (0.25f + 0.75f * (float) i / (float) (segments - 1)));
        g.strokePath (segment, juce::PathStrokeType (1.9f, juce::PathStrokeType::curved, juce::PathStrokeType::butt));
    }
}

template <typename Draw>
ArtworkItem button (const char* fileName, Look look, Draw draw)
{
    return { fileName, 41, 41, [look, draw] (juce::Graphics& g, float w, float h) { draw (g, w, h, look); } };
}
} // namespace

std::vector<ArtworkItem> editorArtwork()
{
    return {
        { "frame_landscape_large.png", 820, 524, drawFrame },
        { "frame_landscape_small.png", 500, 316, drawFrame },
        { "frame_portrait_large.png", 500, 844, drawFrame },
        { "frame_portrait_small.png", 292, 524, drawFrame },
        { "logo.png", 66, 27, drawLogo },
        { "separator.png", 62, 2, drawSeparator },
        button ("settings_normal.png", Look::normal, drawGear),
        button ("settings_hover.png", Look::hover, drawGear),
        button ("settings_pressed.png", Look::pressed, drawGear),
        button ("routing_disconnected_normal.png", Look::normal, drawDisconnected),
        button ("routing_disconnected_hover.png", Look::hover, drawDisconnected),
        button ("routing_disconnected_pressed.png", Look::pressed, drawDisconnected),
        button ("routing_ready_normal.png", Look::normal, drawReady),
        button ("routing_ready_hover.png", Look::hover, drawReady),
        button ("routing_ready_pressed.png", Look::pressed, drawReady),
        button ("routing_on_normal.png", Look::normal, drawRouting),
        button ("routing_on_hover.png", Look::hover, drawRouting),
        button ("routing_on_pressed.png", Look::pressed, drawRouting),
        { "routing_unsupported.png", 41, 41, drawUnsupported },
        { "routing_busy.png", 41, 41, drawBusy },
    };
}
