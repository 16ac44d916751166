// The editor's picture frame: which bezel picture each frame size takes, and that the frame
// leaves its inside clear for the dock.

#include "lookandfeel/PixelProbe.h"

#include "gui/FrameComponent.h"

#include <BinaryData.h>

#include <gtest/gtest.h>

namespace
{
struct FrameCase
{
    int width, height;
    const char* picture;
    int pictureWidth, pictureHeight;
};

juce::Image framePicture (const juce::String& name)
{
    if (name == "landscape large")
        return juce::ImageCache::getFromMemory (BinaryData::frame_landscape_large_png, BinaryData::frame_landscape_large_pngSize);
    if (name == "landscape small")
        return juce::ImageCache::getFromMemory (BinaryData::frame_landscape_small_png, BinaryData::frame_landscape_small_pngSize);
    if (name == "portrait large")
        return juce::ImageCache::getFromMemory (BinaryData::frame_portrait_large_png, BinaryData::frame_portrait_large_pngSize);
    return juce::ImageCache::getFromMemory (BinaryData::frame_portrait_small_png, BinaryData::frame_portrait_small_pngSize);
}

class EditorFrame : public ::testing::TestWithParam<FrameCase>
{
};
} // namespace

TEST_P (EditorFrame, PictureFollowsTheFramesShapeAndWidth)
{
    const auto& c = GetParam();
    const auto chosen = FrameComponent::framePictureFor (c.width, c.height);

    EXPECT_EQ (chosen, framePicture (c.picture)) << c.width << " x " << c.height;
    EXPECT_EQ (chosen.getWidth(), c.pictureWidth);
    EXPECT_EQ (chosen.getHeight(), c.pictureHeight);
}

INSTANTIATE_TEST_SUITE_P (EditorFrameSizeBoundaries, EditorFrame,
                          ::testing::Values (FrameCase { 220, 300, "portrait small", 292, 524 },
                                             FrameCase { 350, 900, "portrait small", 292, 524 },
                                             FrameCase { 351, 900, "portrait large", 500, 844 },
                                             FrameCase { 350, 350, "portrait small", 292, 524 },
                                             FrameCase { 351, 351, "portrait large", 500, 844 },
                                             FrameCase { 600, 599, "landscape small", 500, 316 },
                                             FrameCase { 601, 600, "landscape large", 820, 524 },
                                             FrameCase { 601, 601, "portrait large", 500, 844 },
                                             FrameCase { 1000, 300, "landscape large", 820, 524 }));

TEST (EditorFrameDrawing, BezelFramesAClearInsideWithTheLogoInTheBottomStrip)
{
    FrameComponent frame;
    frame.setBounds (0, 0, 220, 300);
    const auto image = frame.createComponentSnapshot (frame.getLocalBounds(), true, 1.0f);

    EXPECT_EQ (strongestAlpha (image, { 0, 0, 220, 3 }), 0) << "3 px margin outside the bezel";
    EXPECT_EQ (strongestAlpha (image, { 20, 20, 180, 230 }), 0) << "the inside is the editor's to paint";
    EXPECT_EQ (image.getPixelAt (10, 150).getAlpha(), 255);
    EXPECT_EQ (image.getPixelAt (110, 280).getAlpha(), 255);
    EXPECT_GT (image.getPixelAt (10, 150).getBrightness(), 0.6f) << "a light-grey bezel";

    bool interceptsSelf = true, interceptsChildren = true;
    frame.getInterceptsMouseClicks (interceptsSelf, interceptsChildren);
    EXPECT_FALSE (interceptsSelf || interceptsChildren);
}
