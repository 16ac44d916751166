#include "FrameComponent.h"

#include <BinaryData.h>

FrameComponent::FrameComponent()
{
    setInterceptsMouseClicks (false, false);
}

FrameComponent::~FrameComponent() = default;

juce::Image FrameComponent::framePictureFor (int width, int height)
{
    if (width > height)
        return width > 600 ? juce::ImageCache::getFromMemory (BinaryData::frame_landscape_large_png, BinaryData::frame_landscape_large_pngSize)
                           : juce::ImageCache::getFromMemory (BinaryData::frame_landscape_small_png, BinaryData::frame_landscape_small_pngSize);

    return width > 350 ? juce::ImageCache::getFromMemory (BinaryData::frame_portrait_large_png, BinaryData::frame_portrait_large_pngSize)
                       : juce::ImageCache::getFromMemory (BinaryData::frame_portrait_small_png, BinaryData::frame_portrait_small_pngSize);
}

juce::Rectangle<int> FrameComponent::logoBoundsFor (int width, int height)
{
    const auto logo = juce::ImageCache::getFromMemory (BinaryData::logo_png, BinaryData::logo_pngSize);
    const int t = (width - 6) / 2;
    return { t + 3 - logo.getWidth() / 2, height - 10 - logo.getHeight(), logo.getWidth(), logo.getHeight() };
}

void FrameComponent::paint (juce::Graphics& g)
{
    const int w = getWidth(), h = getHeight();
    const auto picture = framePictureFor (w, h);

    if (picture.isValid())
    {
        const int iw = picture.getWidth(), ih = picture.getHeight();
        const int t = (w - 6) / 2, u = iw / 2;

        const auto piece = [&] (int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh)
        {
            g.drawImage (picture, dx, dy, dw, dh, sx, sy, sw, sh);
        };

        piece (3, 3, 16, 16, 0, 0, 16, 16);
        piece (w - 19, 3, 16, 16, iw - 16, 0, 16, 16);
        piece (3, h - 43, 16, 40, 0, ih - 40, 16, 40);
        piece (w - 19, h - 43, 16, 40, iw - 16, ih - 40, 16, 40);
        piece (3, 19, 16, h - 62, 0, 16, 16, ih - 56);
        piece (w - 19, 19, 16, h - 62, iw - 16, 16, 16, ih - 56);
        piece (19, 3, w - 38, 16, 16, 0, iw - 32, 16);
        // The bottom strip stretches in two halves that meet in the middle, so the middle of the
        // picture's strip stays in the middle of the frame.
        piece (19, h - 43, t - 16, 40, 16, ih - 40, u - 16, 40);
        piece (t + 3, h - 43, t - 15, 40, u, ih - 40, u - 15, 40);
    }

    const auto logo = juce::ImageCache::getFromMemory (BinaryData::logo_png, BinaryData::logo_pngSize);
    if (logo.isValid())
        g.drawImageAt (logo, logoBoundsFor (w, h).getX(), logoBoundsFor (w, h).getY());
}
