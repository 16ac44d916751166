#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The picture frame that lies over the editor's own painting and under its buttons: a light-grey
    bezel around the editor, with the logo in its deeper bottom strip. The bezel is stretched from
    one of four pictures chosen by the frame's shape and size. It lets every click through to what
    lies above and below it.

    The frame leaves its inside transparent; the editor paints the dark inside itself, under the
    dock, so that the dock bar, the separator and the hover squares stay visible. */
class FrameComponent : public juce::Component
{
public:
    FrameComponent();
    ~FrameComponent() override;

    void paint (juce::Graphics& g) override;

    /** The bezel picture for a frame of the given size. */
    static juce::Image framePictureFor (int width, int height);

    /** Where the logo goes in a frame of the given size. */
    static juce::Rectangle<int> logoBoundsFor (int width, int height);

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (FrameComponent)
};
