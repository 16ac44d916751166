// The theme's drawers for tabs: flat rounded shapes with an icon beside the translated name.
#include "KestroLookAndFeel.h"

#include "KestroColors.h"
#include "ThemeGeometry.h"

#include <BinaryData.h>

namespace
{
// One row of the tab icon table: the name a tab is added under and its three pictures. The
// rows hold the addresses of the embedded data's pointers, which are only read while painting,
// so the table does not depend on the order in which files are initialised.
struct TabIconRow
{
    const char* tabName;
    const char* const* pressed;
    int pressedSize;
    const char* const* hovered;
    int hoveredSize;
    const char* const* normal;
    int normalSize;
};

const TabIconRow m_tabIcons[] = {
    { "System", &BinaryData::tab_system_pressed_png, BinaryData::tab_system_pressed_pngSize,
      &BinaryData::tab_system_hover_png, BinaryData::tab_system_hover_pngSize,
      &BinaryData::tab_system_normal_png, BinaryData::tab_system_normal_pngSize },
    { "Audio", &BinaryData::tab_audio_pressed_png, BinaryData::tab_audio_pressed_pngSize,
      &BinaryData::tab_audio_hover_png, BinaryData::tab_audio_hover_pngSize,
      &BinaryData::tab_audio_normal_png, BinaryData::tab_audio_normal_pngSize },
};

// The icon of a tab added under `rawName` (exact, case-sensitive), in the given mouse state.
juce::Image _tabIconFor (const juce::String& rawName, bool isMouseOver, bool isMouseDown)
{
    for (const auto& row : m_tabIcons)
    {
        if (rawName != row.tabName)
            continue;

        if (isMouseDown)
            return juce::ImageCache::getFromMemory (*row.pressed, row.pressedSize);
        if (isMouseOver)
            return juce::ImageCache::getFromMemory (*row.hovered, row.hoveredSize);
        return juce::ImageCache::getFromMemory (*row.normal, row.normalSize);
    }

    return {};
}
} // namespace

//==============================================================================
int KestroLookAndFeel::getTabButtonOverlap (int)
{
    return -2;
}

int KestroLookAndFeel::getTabButtonBestWidth (juce::TabBarButton& button, int tabDepth)
{
    // Measured trimmed and then translated; the drawn text is translated and then trimmed.
    const auto name = juce::translate (button.getButtonText().trim());
    const auto textWidth = (int) std::ceil (juce::Font (15.0f).getStringWidthFloat (name));

    int width = textWidth + 2 * getTabButtonOverlap (tabDepth) + 50;
    if (auto* extra = button.getExtraComponent())
        width += button.getTabbedButtonBar().isVertical() ? extra->getHeight() : extra->getWidth();

    const int lower = tabDepth < 9 ? 2 * tabDepth : 70;
    const int upper = 8 * tabDepth;
    return width < lower ? lower : juce::jmin (width, upper);
}

void KestroLookAndFeel::drawTabButton (juce::TabBarButton& button, juce::Graphics& g, bool isMouseOver, bool isMouseDown)
{
    juce::Path shape;
    createTabButtonShape (button, shape, isMouseOver, isMouseDown);
    shape.applyTransform (juce::AffineTransform::translation (button.getActiveArea().getPosition().toFloat()));

    fillTabButtonShape (button, g, shape, isMouseOver, isMouseDown);
    drawTabButtonText (button, g, isMouseOver, isMouseDown);
}

void KestroLookAndFeel::drawTabButtonText (juce::TabBarButton& button, juce::Graphics& g, bool isMouseOver, bool isMouseDown)
{
    const auto area = button.getTextArea().toFloat();
    const auto& bar = button.getTabbedButtonBar();
    const auto orientation = bar.getOrientation();

    float length = area.getWidth(), depth = area.getHeight() - 9.0f;
    if (bar.isVertical())
    {
        length = area.getHeight() - 9.0f;
        depth = area.getWidth();
    }

    juce::Font font (15.0f);
    font.setUnderline (button.hasKeyboardFocus (false));

    juce::GlyphArrangement text;
    text.addFittedText (font, juce::translate (button.getButtonText()).trim(),
                        36.5f, 0.0f, length - 38.5f, depth + 4.0f,
                        juce::Justification::centredLeft, 1, 1.0f);

    juce::AffineTransform transform;
    switch (orientation)
    {
        case juce::TabbedButtonBar::TabsAtLeft:
            transform = juce::AffineTransform::rotation (-juce::MathConstants<float>::halfPi)
                            .translated (area.getX(), area.getBottom());
            break;
        case juce::TabbedButtonBar::TabsAtRight:
            transform = juce::AffineTransform::rotation (juce::MathConstants<float>::halfPi)
                            .translated (area.getRight(), area.getY());
            break;
        case juce::TabbedButtonBar::TabsAtTop:
        case juce::TabbedButtonBar::TabsAtBottom:
        default:
            transform = juce::AffineTransform::translation (area.getX(), area.getY());
            break;
    }

    juce::Colour colour;
    if (button.isFrontTab() && (button.isColourSpecified (juce::TabbedButtonBar::frontTextColourId)
                                || isColourSpecified (juce::TabbedButtonBar::frontTextColourId)))
        colour = findColour (juce::TabbedButtonBar::frontTextColourId);
    else if (button.isColourSpecified (juce::TabbedButtonBar::tabTextColourId)
             || isColourSpecified (juce::TabbedButtonBar::tabTextColourId))
        colour = findColour (juce::TabbedButtonBar::tabTextColourId);
    else
        colour = button.getTabBackgroundColour().contrasting (1.0f);

    const float alpha = ! button.isEnabled() ? 0.3f : (isMouseOver && ! isMouseDown ? 1.0f : 0.9f);
    g.setColour (colour.withMultipliedAlpha (alpha));

    // A tab narrowed to its icon keeps only the framework's shortening of its name, which is
    // not worth showing.
    if (text.getBoundingBox (0, -1, true).getWidth() > 14.0f)
        text.draw (g, transform);

    // The icon follows the tab's untranslated name and is drawn at the text's opacity.
    const auto icon = _tabIconFor (button.getButtonText(), isMouseOver, isMouseDown);
    if (icon.isValid())
    {
        const int x = length < 60.0f ? 13 : 9;
        g.drawImage (icon, x, 4, 21, 21, 0, 0, icon.getWidth(), icon.getHeight());
    }
}

void KestroLookAndFeel::drawTabAreaBehindFrontButton (juce::TabbedButtonBar&, juce::Graphics&, int, int)
{
}

void KestroLookAndFeel::createTabButtonShape (juce::TabBarButton& button, juce::Path& path, bool, bool)
{
    const auto active = button.getActiveArea().toFloat();
    path = ThemeGeometry::tabOutline (button.getTabbedButtonBar().getOrientation(), active.getWidth(), active.getHeight(),
                                      button.isEnabled(), button.isFrontTab());
}

void KestroLookAndFeel::fillTabButtonShape (juce::TabBarButton& button, juce::Graphics& g, const juce::Path& path, bool, bool)
{
    g.setColour (button.isFrontTab() ? KestroColors::dark_grey : juce::Colour (0xff787878));
    g.fillPath (path);
}
