#include "ThemeGeometry.h"

#include <vector>

namespace ThemeGeometry
{
juce::Rectangle<int> tooltipBounds (int width, int height, juce::Point<int> screenPos, juce::Rectangle<int> parentArea)
{
    const auto x = screenPos.x > parentArea.getCentreX() ? screenPos.x - 12 - width : screenPos.x + 24;
    const auto y = screenPos.y > parentArea.getCentreY() ? screenPos.y - 6 - height : screenPos.y + 6;

    return juce::Rectangle<int> (x, y, width, height).constrainedWithin (parentArea);
}

juce::Path tabOutline (juce::TabbedButtonBar::Orientation orientation, float w, float h, bool isEnabled, bool isFrontTab)
{
    std::vector<juce::Point<float>> points;
    switch (orientation)
    {
        case juce::TabbedButtonBar::TabsAtBottom:
            points = { { 0.0f, 0.0f }, { 0.0f, h }, { w, h }, { w, 0.0f }, { w + 7.0f, -7.0f }, { -7.0f, -7.0f } };
            break;
        case juce::TabbedButtonBar::TabsAtLeft:
            points = { { w, 0.0f }, { 0.0f, 0.0f }, { 0.0f, h }, { w, h }, { w + 7.0f, h + 7.0f }, { w + 7.0f, -7.0f } };
            break;
        case juce::TabbedButtonBar::TabsAtRight:
            points = { { 0.0f, 0.0f }, { w, 0.0f }, { w, h }, { 0.0f, h }, { -7.0f, h + 7.0f }, { -7.0f, -7.0f } };
            break;
        case juce::TabbedButtonBar::TabsAtTop:
        default:
            if (! isEnabled)
                break;

            // The front tab's base line runs out past its sides, so the rounding bends its lower
            // corners outwards into small feet; the other tabs repeat a corner and stay square.
            if (isFrontTab)
                points = { { 5.0f, h - 5.0f }, { 5.0f, 0.0f }, { w - 5.0f, 0.0f }, { w - 5.0f, h - 5.0f },
                           { w + 2.0f, h - 5.0f }, { -2.0f, h - 5.0f } };
            else
                points = { { 5.0f, h - 5.0f }, { 5.0f, 0.0f }, { w - 5.0f, 0.0f }, { w - 5.0f, h - 5.0f },
                           { w - 5.0f, h - 5.0f }, { 5.0f, h - 5.0f } };
            break;
    }

    juce::Path outline;
    for (size_t i = 0; i < points.size(); ++i)
    {
        if (i == 0)
            outline.startNewSubPath (points[i]);
        else
            outline.lineTo (points[i]);
    }
    if (! points.empty())
        outline.closeSubPath();

    return outline.createPathWithRoundedCorners (4.5f);
}

ColumnNameParts splitColumnName (const juce::String& columnName)
{
    ColumnNameParts parts { columnName, {}, {}, {} };

    const int underscore = columnName.indexOfChar ('_');
    const int caret = columnName.indexOfChar ('^');
    const int length = columnName.length();

    if (underscore >= 0 && underscore < length - 1)
        parts.main = columnName.substring (0, underscore);
    else if (caret >= 0 && caret < length - 1)
        parts.main = columnName.substring (0, caret);

    if (underscore >= 0)
    {
        parts.subscript = columnName.substring (underscore + 1);
        const int end = parts.subscript.containsChar ('^') ? parts.subscript.indexOfChar ('^')
                                                           : parts.subscript.indexOfChar (' ');
        if (end >= 0)
            parts.subscript = parts.subscript.substring (0, end);
    }
    if (caret >= 0)
    {
        parts.superscript = columnName.substring (caret + 1);
        const int end = parts.superscript.indexOfChar (' ');
        if (end >= 0)
            parts.superscript = parts.superscript.substring (0, end);
    }

    // Names whose scripts have no blank after them have nothing more.
    if ((parts.subscript.isNotEmpty() || parts.superscript.isNotEmpty()) && columnName.indexOf (1, " ") >= 0)
        parts.trailing = columnName.substring (columnName.lastIndexOfChar (' '));

    return parts;
}
} // namespace ThemeGeometry
