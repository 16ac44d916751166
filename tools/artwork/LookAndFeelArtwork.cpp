#include "Artwork.h"

namespace
{
// A round badge with a soft top-down gradient, a darker rim and a faint upper gloss.
void drawBadge (juce::Graphics& g, float w, float h, juce::Colour top, juce::Colour bottom, juce::Colour rim)
{
    const auto disc = juce::Rectangle<float> (w, h).reduced (2.0f);
    g.setGradientFill (juce::ColourGradient (top, disc.getX(), disc.getY(), bottom, disc.getX(), disc.getBottom(), false));
    g.fillEllipse (disc);

    g.setColour (rim);
    g.drawEllipse (disc.reduced (0.75f), 1.5f);

    const auto gloss = disc.reduced (w * 0.14f, h * 0.08f).withHeight (h * 0.36f);
    g.setGradientFill (juce::ColourGradient (juce::Colours::white.withAlpha (0.35f), gloss.getX(), gloss.getY(),
                                             juce::Colours::white.withAlpha (0.0f), gloss.getX(), gloss.getBottom(), false));
    g.fillEllipse (gloss);
}

// Question alert: an orange-yellow badge with a white question mark.
void drawQuestionIcon (juce::Graphics& g, float w, float h)
{
    drawBadge (g, w, h, juce::Colour (0xffffc53d), juce::Colour (0xffef8a00), juce::Colour (0xffb86200));

    const float cx = w * 0.5f;
    juce::Path hook;
    hook.startNewSubPath (cx - w * 0.13f, h * 0.37f);
    hook.cubicTo (cx - w * 0.13f, h * 0.20f, cx + w * 0.15f, h * 0.19f, cx + w * 0.15f, h * 0.36f);
    hook.cubicTo (cx + w * 0.15f, h * 0.47f, cx, h * 0.48f, cx, h * 0.60f);

    g.setColour (juce::Colour (0x40000000));
    g.strokePath (hook, juce::PathStrokeType (w * 0.12f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded),
                  juce::AffineTransform::translation (0.0f, 1.5f));
    g.fillEllipse (juce::Rectangle<float> (w * 0.14f, w * 0.14f).withCentre ({ cx, h * 0.765f + 1.5f }));

    g.setColour (juce::Colours::white);
    g.strokePath (hook, juce::PathStrokeType (w * 0.12f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    g.fillEllipse (juce::Rectangle<float> (w * 0.14f, w * 0.14f).withCentre ({ cx, h * 0.765f }));
}

// Info alert: a blue badge with a white letter i.
void drawInfoIcon (juce::Graphics& g, float w, float h)
{
    drawBadge (g, w, h, juce::Colour (0xff4aa3ff), juce::Colour (0xff0a5fd0), juce::Colour (0xff07449a));

    const float cx = w * 0.5f;
    const auto stem = juce::Rectangle<float> (w * 0.13f, h * 0.36f).withCentre ({ cx, h * 0.62f });
    const auto dot = juce::Rectangle<float> (w * 0.15f, w * 0.15f).withCentre ({ cx, h * 0.30f });

    g.setColour (juce::Colour (0x40000000));
    g.fillRoundedRectangle (stem.translated (0.0f, 1.5f), w * 0.03f);
    g.fillEllipse (dot.translated (0.0f, 1.5f));

    g.setColour (juce::Colours::white);
    g.fillRoundedRectangle (stem, w * 0.03f);
    g.fillEllipse (dot);
}

// Warning alert: a yellow triangle with rounded corners and a black exclamation mark.
void drawWarningIcon (juce::Graphics& g, float w, float h)
{
    juce::Path triangle;
    triangle.addTriangle (w * 0.5f, 3.0f, w - 3.0f, h - 3.0f, 3.0f, h - 3.0f);
    triangle = triangle.createPathWithRoundedCorners (5.0f);

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xffffe45c), 0.0f, 0.0f,
                                             juce::Colour (0xfff5b800), 0.0f, h, false));
    g.fillPath (triangle);
    g.setColour (juce::Colour (0xff9a6a00));
    g.strokePath (triangle, juce::PathStrokeType (2.0f, juce::PathStrokeType::curved));

    const float cx = w * 0.5f;
    juce::Path bar;
    bar.addTriangle (cx - w * 0.065f, h * 0.30f, cx + w * 0.065f, h * 0.30f, cx, h * 0.70f);
    bar = bar.createPathWithRoundedCorners (2.5f);

    g.setColour (juce::Colour (0xff1a1a1a));
    g.fillPath (bar);
    g.fillRoundedRectangle (juce::Rectangle<float> (w * 0.13f, w * 0.10f).withCentre ({ cx, h * 0.30f + w * 0.02f }), w * 0.05f);
    g.fillEllipse (juce::Rectangle<float> (w * 0.13f, w * 0.13f).withCentre ({ cx, h * 0.81f }));
}

// Title-bar buttons: a dark rounded square in the middle of the 21 x 25 picture.
juce::Rectangle<float> drawWindowButtonBody (juce::Graphics& g, float w, float h)
{
    const auto side = juce::jmin (w, h) - 2.0f;
    const auto body = juce::Rectangle<float> (side, side).withCentre ({ w * 0.5f, h * 0.5f });

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xff3a3d40), 0.0f, body.getY(),
                                             juce::Colour (0xff1d1d1b), 0.0f, body.getBottom(), false));
    g.fillRoundedRectangle (body, 3.0f);
    g.setColour (juce::Colour (0xff646464));
    g.drawRoundedRectangle (body.reduced (0.5f), 3.0f, 1.0f);
    return body;
}

void drawMinimiseButton (juce::Graphics& g, float w, float h)
{
    const auto body = drawWindowButtonBody (g, w, h);
    g.setColour (juce::Colours::white);
    g.fillRoundedRectangle (juce::Rectangle<float> (body.getWidth() * 0.56f, 2.0f)
                                .withCentre ({ body.getCentreX(), body.getY() + body.getHeight() * 0.68f }),
                            1.0f);
}

void drawCloseButton (juce::Graphics& g, float w, float h)
{
    const auto body = drawWindowButtonBody (g, w, h);
    const auto cross = body.reduced (body.getWidth() * 0.28f);

    juce::Path p;
    p.startNewSubPath (cross.getTopLeft());
    p.lineTo (cross.getBottomRight());
    p.startNewSubPath (cross.getTopRight());
    p.lineTo (cross.getBottomLeft());

    g.setColour (juce::Colours::white);
    g.strokePath (p, juce::PathStrokeType (2.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::rounded));
}
} // namespace

std::vector<ArtworkItem> lookAndFeelArtwork()
{
    return {
        { "alert_question.png", 64, 64, drawQuestionIcon },
        { "alert_warning.png", 64, 59, drawWarningIcon },
        { "alert_info.png", 64, 64, drawInfoIcon },
        { "window_minimise.png", 21, 25, drawMinimiseButton },
        { "window_close.png", 21, 25, drawCloseButton },
    };
}
