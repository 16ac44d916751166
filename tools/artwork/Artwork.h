#pragma once

#include <juce_graphics/juce_graphics.h>

#include <functional>
#include <vector>

/** One picture the program embeds: its file name under resources/images, its pixel size and the
    code that draws it onto a transparent ARGB image of that size, or, for an opaque picture, onto
    an RGB image that is written without an alpha channel. */
struct ArtworkItem
{
    juce::String fileName;
    int width = 0;
    int height = 0;
    std::function<void (juce::Graphics&, float width, float height)> draw;
    bool opaque = false;
};

// Each group of pictures lives in its own file.
std::vector<ArtworkItem> applicationArtwork();
std::vector<ArtworkItem> lookAndFeelArtwork();
std::vector<ArtworkItem> editorArtwork();
std::vector<ArtworkItem> tabArtwork();
std::vector<ArtworkItem> settingsWindowArtwork();
