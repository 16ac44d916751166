#pragma once

#include <juce_graphics/juce_graphics.h>

/** Values the theme's drawers share: the colours that recur across widget families and the face
    that alerts and tooltips ask for. Constant after static initialisation; read on the message
    thread while painting. */
namespace ThemeConstants
{
inline const juce::Colour text { 0xffffffff };         // text and marks on the dark fields
inline const juce::Colour field { 0xff1d1d1b };        // combo boxes, labels, menus, text editors, radio boxes
inline const juce::Colour trough { 0xff1d1d1d };       // slider and scrollbar tracks, list boxes
inline const juce::Colour outline { 0xff686868 };      // outlines of fields, menu and text highlights
inline const juce::Colour line { 0xff646464 };         // tooltip and list outlines, tree lines, separators
inline const juce::Colour lightPanel { 0xffd6d6d6 };   // tooltip and progress bar backgrounds
inline const juce::Colour thumb { 0xff494949 };        // slider and scrollbar thumbs
inline const juce::Colour charcoal { 0xff303030 };     // tooltip text, text editor background
inline const juce::Colour sheenLight { 0x13f1f1f1 };   // the faint radial sheen on combo boxes and text editors
inline const juce::Colour sheenDark { 0x07696969 };

inline const char* const alertFontName = "Verdana";
} // namespace ThemeConstants
