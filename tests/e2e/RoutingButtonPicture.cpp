#include "RoutingButtonPicture.h"

#include <BinaryData.h>
#include <juce_graphics/juce_graphics.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <vector>

namespace
{
struct Candidate
{
    const char* state;
    juce::Image picture;
    bool enabled;
};

juce::Image embedded (const void* data, int size)
{
    return juce::ImageFileFormat::loadFrom (data, (size_t) size).convertedToFormat (juce::Image::ARGB);
}

std::vector<Candidate> candidates()
{
    using namespace BinaryData;
    std::vector<Candidate> all;
    const auto add = [&all] (const char* state, bool enabled, std::initializer_list<juce::Image> pictures)
    {
        for (auto& picture : pictures)
            all.push_back ({ state, picture, enabled });
    };

    // The three pictures of a set: the mouse rests on the button after a click, so the hovered
    // one is what shows then.
    add ("ready", true, { embedded (routing_ready_normal_png, routing_ready_normal_pngSize),
                          embedded (routing_ready_hover_png, routing_ready_hover_pngSize),
                          embedded (routing_ready_pressed_png, routing_ready_pressed_pngSize) });
    add ("routing", true, { embedded (routing_on_normal_png, routing_on_normal_pngSize),
                            embedded (routing_on_hover_png, routing_on_hover_pngSize),
                            embedded (routing_on_pressed_png, routing_on_pressed_pngSize) });
    add ("busy", true, { embedded (routing_busy_png, routing_busy_pngSize) });
    // A disabled button draws only its normal picture.
    add ("disconnected", false, { embedded (routing_disconnected_normal_png, routing_disconnected_normal_pngSize) });
    add ("unsupported", false, { embedded (routing_unsupported_png, routing_unsupported_pngSize) });
    return all;
}

/** The button's pixels as 0xRRGGBB, row by row; empty when the window cannot be read. */
std::vector<juce::uint32> capture (const juce::String& windowId)
{
    std::vector<juce::uint32> pixels;
    auto* display = XOpenDisplay (nullptr);
    if (display == nullptr)
        return pixels;

    // A window that went away makes XGetImage fail with an X error, whose default handler would
    // end this process.
    auto* previousHandler = XSetErrorHandler ([] (Display*, XErrorEvent*) { return 0; });
    const auto window = (Window) std::strtoul (windowId.toRawUTF8(), nullptr, 0);
    constexpr int size = RoutingButtonPicture::size;

    if (auto* image = XGetImage (display, window, RoutingButtonPicture::left, RoutingButtonPicture::top,
                                 size, size, AllPlanes, ZPixmap))
    {
        const auto channel = [] (unsigned long pixel, unsigned long mask)
        {
            if (mask == 0)
                return 0u;
            int shift = 0;
            while (((mask >> shift) & 1) == 0)
                ++shift;
            const auto value = (pixel & mask) >> shift;
            const auto maximum = mask >> shift;
            return (unsigned) (value * 255 / maximum);
        };

        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
            {
                const auto pixel = XGetPixel (image, x, y);
                pixels.push_back ((channel (pixel, image->red_mask) << 16) | (channel (pixel, image->green_mask) << 8)
                                  | channel (pixel, image->blue_mask));
            }

        XDestroyImage (image);
    }

    XSync (display, False);
    XSetErrorHandler (previousHandler);
    XCloseDisplay (display);
    return pixels;
}

/** The share of the picture's opaque pixels that the screen shows as the button draws them: the
    picture itself when enabled, or 30 % of it over the background when disabled. The background
    is taken from the button's corner, where every picture is transparent. */
double match (const Candidate& candidate, const std::vector<juce::uint32>& screen)
{
    constexpr int size = RoutingButtonPicture::size;
    constexpr int tolerance = 12;
    const auto background = juce::Colour (0xff000000 | screen[0]);
    const float opacity = candidate.enabled ? 1.0f : 0.3f;
    int opaque = 0, matching = 0;

    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
        {
            const auto colour = candidate.picture.getPixelAt (x, y);
            if (colour.getAlpha() != 255)
                continue;

            ++opaque;
            const auto expected = background.interpolatedWith (colour, opacity);
            const auto shown = juce::Colour (0xff000000 | screen[(size_t) (y * size + x)]);

            if (std::abs (expected.getRed() - shown.getRed()) <= tolerance
                && std::abs (expected.getGreen() - shown.getGreen()) <= tolerance
                && std::abs (expected.getBlue() - shown.getBlue()) <= tolerance)
                ++matching;
        }

    return opaque == 0 ? 0.0 : (double) matching / opaque;
}
} // namespace

juce::String RoutingButtonPicture::read (const juce::String& windowId)
{
    const auto screen = capture (windowId);
    if (screen.size() != (size_t) (size * size))
        return "unreadable";

    static const auto all = candidates();
    const Candidate* best = nullptr;
    double bestMatch = 0.0;

    for (auto& candidate : all)
        if (const auto m = match (candidate, screen); m > bestMatch)
        {
            bestMatch = m;
            best = &candidate;
        }

    // Pictures of different states differ in a fifth of their opaque pixels or more.
    return best != nullptr && bestMatch >= 0.95 ? juce::String (best->state) : juce::String ("unreadable");
}
