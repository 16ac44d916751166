#pragma once

#include <juce_graphics/juce_graphics.h>

/** The program's own colour palette. The program's components and a few of the theme's drawers
    take their colours from here instead of the look-and-feel's colour table.

    The palette is shared with the maker's other metering displays, so it also holds a metering
    vocabulary (frames, stripes, gradient pairs per hue, markers) that this program does not read.
    Every entry is fully opaque, set during static initialisation and read-only afterwards, so
    any thread may read it without a lock. */
class KestroColors
{
public:
    // Colours the program reads.
    static const juce::Colour dark_grey;
    static const juce::Colour white;
    static const juce::Colour black;
    static const juce::Colour kestro_dock_background;
    static const juce::Colour instrument_background;
    static const juce::Colour menuTabBackgroundNonactive;
    static const juce::Colour menuTabBackgroundActive;      // the same as dark_grey
    static const juce::Colour menuPanelBackgroundActive;    // the same as instrument_background
    static const juce::Colour menuPanelBackgroundNonactive;
    static const juce::Colour menuPanelHeadTextActive;
    static const juce::Colour menuPanelHeadTextNonactive;

    // Basic hues; they also fill identifier_colors, in this order.
    static const juce::Colour red;
    static const juce::Colour cyan;
    static const juce::Colour green;
    static const juce::Colour yellow;
    static const juce::Colour blue;
    static const juce::Colour purple;
    static const juce::Colour light_blue;
    static const juce::Colour light_green;
    static const juce::Colour light_purple;
    static const juce::Colour light_yellow;

    // Gradient pairs: three steps per family, each with a dark and a light end.
    static const juce::Colour gradient_green_1_dark;
    static const juce::Colour gradient_green_1_light;
    static const juce::Colour gradient_green_2_dark;
    static const juce::Colour gradient_green_2_light;
    static const juce::Colour gradient_green_3_dark;
    static const juce::Colour gradient_green_3_light;

    static const juce::Colour gradient_cyan_1_dark;
    static const juce::Colour gradient_cyan_1_light;
    static const juce::Colour gradient_cyan_2_dark;
    static const juce::Colour gradient_cyan_2_light;
    static const juce::Colour gradient_cyan_3_dark;
    static const juce::Colour gradient_cyan_3_light;

    static const juce::Colour gradient_red_1_dark;
    static const juce::Colour gradient_red_1_light;
    static const juce::Colour gradient_red_2_dark;
    static const juce::Colour gradient_red_2_light;
    static const juce::Colour gradient_red_3_dark;
    static const juce::Colour gradient_red_3_light;

    static const juce::Colour gradient_yellow_1_dark;
    static const juce::Colour gradient_yellow_1_light;
    static const juce::Colour gradient_yellow_2_dark;
    static const juce::Colour gradient_yellow_2_light;
    static const juce::Colour gradient_yellow_3_dark;
    static const juce::Colour gradient_yellow_3_light;

    static const juce::Colour gradient_blue_1_dark;
    static const juce::Colour gradient_blue_1_light;
    static const juce::Colour gradient_blue_2_dark;
    static const juce::Colour gradient_blue_2_light;
    static const juce::Colour gradient_blue_3_dark;
    static const juce::Colour gradient_blue_3_light;

    static const juce::Colour gradient_purple_1_dark;
    static const juce::Colour gradient_purple_1_light;
    static const juce::Colour gradient_purple_2_dark;
    static const juce::Colour gradient_purple_2_light;
    static const juce::Colour gradient_purple_3_dark;
    static const juce::Colour gradient_purple_3_light;

    static const juce::Colour gradient_grey_1_dark;
    static const juce::Colour gradient_grey_1_light;
    static const juce::Colour gradient_grey_2_dark;
    static const juce::Colour gradient_grey_2_light;
    static const juce::Colour gradient_grey_3_dark;
    static const juce::Colour gradient_grey_3_light;

    // Meter and display colours.
    static const juce::Colour peakmeterFrameColor;
    static const juce::Colour button_outline;
    static const juce::Colour peakmeter_text_background;
    static const juce::Colour peakmeter_stripe_dark;
    static const juce::Colour peakmeter_stripe_blue;
    static const juce::Colour scale_headroom;
    static const juce::Colour rta_dashed_line_dark;
    static const juce::Colour surround_indicator_1;
    static const juce::Colour surround_indicator_2;
    static const juce::Colour input_color;
    static const juce::Colour output_color;

    // Further named colours.
    static const juce::Colour kestro_red;
    static const juce::Colour kestro_grey;
    static const juce::Colour light_grey;
    static const juce::Colour bright_grey;
    static const juce::Colour dark_blue;
    static const juce::Colour light_pink;
    static const juce::Colour dark_green;   // halfway between the two green step-1 colours
    static const juce::Colour dark_yellow;  // a quarter of the way between the two yellow step-1 colours

    static constexpr int numIdentifierColors = 10;
    static const juce::Colour identifier_colors[numIdentifierColors];

    KestroColors() = delete;
};
