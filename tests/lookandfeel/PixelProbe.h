#pragma once

#include <juce_graphics/juce_graphics.h>

#include <cstdlib>

// Small helpers for tests that paint into an image and look at what a user would see there.

/** The largest difference of any premultiplied channel, alpha included, between two colours:
    a faint pixel of white ink over a transparent ground counts as faint, not as white. */
inline int colourDistance (juce::Colour a, juce::Colour b)
{
    const auto pa = a.getPixelARGB(), pb = b.getPixelARGB();
    return juce::jmax (std::abs ((int) pa.getAlpha() - (int) pb.getAlpha()), std::abs ((int) pa.getRed() - (int) pb.getRed()),
                       std::abs ((int) pa.getGreen() - (int) pb.getGreen()), std::abs ((int) pa.getBlue() - (int) pb.getBlue()));
}

/** True when the colour lies within `tolerance` of `expected` in every channel. */
inline bool isNear (juce::Colour actual, juce::Colour expected, int tolerance = 3)
{
    return colourDistance (actual, expected) <= tolerance;
}

/** The bounding box of the pixels inside `area` that differ from `background` by more than
    `tolerance`: the ink of text or shapes drawn over a plain background. Empty when none. */
inline juce::Rectangle<int> inkBounds (const juce::Image& image, juce::Rectangle<int> area,
                                       juce::Colour background, int tolerance = 40)
{
    area = area.getIntersection (image.getBounds());
    int left = area.getRight(), right = area.getX() - 1, top = area.getBottom(), bottom = area.getY() - 1;

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (colourDistance (image.getPixelAt (x, y), background) > tolerance)
            {
                left = juce::jmin (left, x);
                right = juce::jmax (right, x);
                top = juce::jmin (top, y);
                bottom = juce::jmax (bottom, y);
            }

    if (right < left)
        return {};

    return juce::Rectangle<int>::leftTopRightBottom (left, top, right + 1, bottom + 1);
}

/** The largest value of the brightest channel inside `area`: the strongest ink of light text. */
inline int brightestChannel (const juce::Image& image, juce::Rectangle<int> area)
{
    int best = 0;
    area = area.getIntersection (image.getBounds());

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto c = image.getPixelAt (x, y);
            best = juce::jmax (best, (int) c.getRed(), (int) c.getGreen(), (int) c.getBlue());
        }

    return best;
}

/** The largest alpha inside `area`. */
inline int strongestAlpha (const juce::Image& image, juce::Rectangle<int> area)
{
    int best = 0;
    area = area.getIntersection (image.getBounds());

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            best = juce::jmax (best, (int) image.getPixelAt (x, y).getAlpha());

    return best;
}

/** True when both images have the same size and the same pixels (juce::Image's operator==
    only compares whether two images share their pixel data). */
inline bool samePixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return false;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;

    return true;
}

/** A transparent ARGB image with `draw` painted into it. */
template <typename DrawFunction>
juce::Image paintIntoImage (int width, int height, DrawFunction&& draw)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    {
        juce::Graphics g (image);
        draw (g);
    }
    return image;
}
