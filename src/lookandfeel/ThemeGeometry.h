#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The pure geometry behind a few of the theme's drawers, apart from any painting so that it can
    be checked on its own. Any thread; no state. */
namespace ThemeGeometry
{
/** Where a tooltip of the given size stands for a mouse at `screenPos`: beside the mouse and away
    from the nearer edges of `parentArea`, then moved inside it. */
juce::Rectangle<int> tooltipBounds (int width, int height, juce::Point<int> screenPos, juce::Rectangle<int> parentArea);

/** The rounded outline of a tab whose active area is `width` x `height`, in that area's own
    coordinates. A disabled tab on a bar along the top has no outline. */
juce::Path tabOutline (juce::TabbedButtonBar::Orientation, float width, float height, bool isEnabled, bool isFrontTab);

/** A table header column's name in the parts drawn apart: "L_eq" sets "eq" below the line, "x^2"
    sets "2" above it, a script ends at a blank, and the text after the name's last blank follows
    the scripts when the name has a script and a blank after its first character. */
struct ColumnNameParts
{
    juce::String main, subscript, superscript, trailing;
};

ColumnNameParts splitColumnName (const juce::String& columnName);
} // namespace ThemeGeometry
