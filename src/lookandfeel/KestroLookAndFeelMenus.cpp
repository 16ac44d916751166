// The theme's drawers for scrollbars, combo boxes, labels and pop-up menus.
#include "KestroLookAndFeel.h"

#include "ThemeConstants.h"

//==============================================================================
bool KestroLookAndFeel::areScrollbarButtonsVisible()
{
    return true;
}

void KestroLookAndFeel::drawScrollbarButton (juce::Graphics& g, juce::ScrollBar&, int width, int height,
                                             int buttonDirection, bool isScrollbarVertical,
                                             bool /*shouldDrawButtonAsHighlighted*/, bool shouldDrawButtonAsDown)
{
    using juce::MathConstants;

    juce::Path arrow;
    arrow.addTriangle (0.0f, 0.17f, -0.27f, -0.18f, 0.27f, -0.18f);

    // The triangle's apex points down; turn it towards the button's direction.
    float angle = 0.0f;
    switch (buttonDirection)
    {
        case 0:  angle = MathConstants<float>::pi; break;
        case 1:  angle = -MathConstants<float>::halfPi; break;
        case 3:  angle = MathConstants<float>::halfPi; break;
        default: break;
    }

    const auto thickness = (float) (isScrollbarVertical ? width : height);
    const auto transform = juce::AffineTransform::rotation (angle)
                               .scaled (thickness)
                               .translated ((float) width / 2.0f, (float) height / 2.0f);

    g.setColour (ThemeConstants::text);
    if (shouldDrawButtonAsDown)
        g.setOpacity (0.5f);

    g.fillPath (arrow, transform);
}

void KestroLookAndFeel::drawScrollbar (juce::Graphics& g, juce::ScrollBar& scrollbar, int x, int y, int width, int height,
                                       bool isScrollbarVertical, int thumbStartPosition, int thumbSize,
                                       bool /*isMouseOver*/, bool isMouseDown)
{
    // The track covers the whole bar (arrow buttons included). It is drawn from the bar's own
    // bounds, not from the area being repainted, so a partial repaint around a moving thumb
    // leaves no rounded outline in the middle of the bar.
    const auto bar = scrollbar.getLocalBounds().toFloat();
    const juce::Rectangle<float> track (bar.getX() + 0.5f, bar.getY() + 0.5f,
                                        juce::jmax (0.0f, bar.getWidth() - 1.0f),
                                        juce::jmax (0.0f, bar.getHeight() - 1.0f));
    g.setColour (ThemeConstants::trough);
    g.fillRoundedRectangle (track, 4.0f);
    g.setColour (ThemeConstants::line);
    g.drawRoundedRectangle (track, 4.0f, 1.0f);

    juce::Rectangle<float> thumb;
    if (isScrollbarVertical)
        thumb = { (float) x + 1.5f, (float) thumbStartPosition + 0.5f,
                  (float) juce::jmax (0, width - 3), (float) juce::jmax (0, thumbSize - 1) };
    else
        thumb = { (float) thumbStartPosition + 0.5f, (float) y + 1.5f,
                  (float) juce::jmax (0, thumbSize - 1), (float) juce::jmax (0, height - 3) };

    // The gradient runs across the thumb, in the bar's coordinates.
    g.setGradientFill (juce::ColourGradient (juce::Colour (0xff585c5e), 0.0f, 0.0f,
                                             ThemeConstants::thumb,
                                             isScrollbarVertical ? thumb.getWidth() : 0.0f,
                                             isScrollbarVertical ? 0.0f : thumb.getHeight(), false));
    if (isMouseDown)
        g.setOpacity (0.5f);
    g.fillRoundedRectangle (thumb, 4.0f);
    g.setOpacity (1.0f);

    g.setColour (ThemeConstants::trough);
    const float mid = (float) thumbStartPosition + (float) thumbSize / 2.0f;

    for (const float offset : { -3.5f, 0.5f, 4.5f })
    {
        if (isScrollbarVertical)
            g.fillRect (juce::Rectangle<float> (0.2f * (float) width + 0.5f, mid + offset,
                                                juce::jmax (0.0f, 0.6f * (float) width - 1.0f), 1.0f));
        else
            g.fillRect (juce::Rectangle<float> (mid + offset, 0.2f * (float) height + 0.5f,
                                                1.0f, juce::jmax (0.0f, 0.6f * (float) height - 1.0f)));
    }
}

int KestroLookAndFeel::getDefaultScrollbarWidth()
{
    return 18;
}

int KestroLookAndFeel::getScrollbarButtonSize (juce::ScrollBar&)
{
    return 16;
}

//==============================================================================
void KestroLookAndFeel::drawPopupMenuBackground (juce::Graphics& g, int, int)
{
    g.fillAll (findColour (juce::PopupMenu::backgroundColourId));
}

juce::Font KestroLookAndFeel::getPopupMenuFont()
{
    return juce::Font (15.0f);
}

void KestroLookAndFeel::drawComboBox (juce::Graphics& g, int width, int height, bool /*isButtonDown*/,
                                      int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox& box)
{
    const float t = comboOutlineThickness;
    const float r = comboCornerSize;
    const juce::Rectangle<float> body (t, t, (float) width - 2.0f * t, (float) height - 2.0f * t);

    // A disabled box is composed whole and laid down at half opacity, arrow included.
    const bool faded = ! box.isEnabled();
    if (faded)
        g.beginTransparencyLayer (0.5f);

    g.setColour (box.findColour (juce::ComboBox::backgroundColourId));
    g.fillRoundedRectangle (body, r);
    g.setColour (box.findColour (juce::ComboBox::outlineColourId));
    g.drawRoundedRectangle (body, r, t);

    if (box.isMouseOver (true))
    {
        g.setGradientFill (juce::ColourGradient (ThemeConstants::sheenLight,
                                                 8.0f * (float) width / 20.0f, 12.0f * (float) height / 35.0f,
                                                 ThemeConstants::sheenDark,
                                                 13.0f * (float) width / 20.0f, (float) height, true));
        g.fillRoundedRectangle (body, r);
    }

    const float bx = (float) buttonX - 4.0f;
    const float bw = (float) buttonW, by = (float) buttonY, bh = (float) buttonH;
    juce::Path arrow;
    arrow.addTriangle (bx + 0.5f * bw, by + 0.63f * bh,
                       bx + 0.73f * bw, by + 0.4f * bh,
                       bx + 0.27f * bw, by + 0.4f * bh);
    g.setColour (box.findColour (juce::ComboBox::arrowColourId));
    g.fillPath (arrow);

    if (faded)
        g.endTransparencyLayer();
}

void KestroLookAndFeel::positionComboBoxText (juce::ComboBox& box, juce::Label& label)
{
    label.setBounds (4, 1, box.getWidth() - box.getHeight(), box.getHeight() - 2);
    label.setFont (getComboBoxFont (box));
}

void KestroLookAndFeel::drawLabel (juce::Graphics& g, juce::Label& label)
{
    const juce::Rectangle<float> area (0.5f, 0.5f, juce::jmax (0.0f, (float) label.getWidth() - 1.0f),
                                       juce::jmax (0.0f, (float) label.getHeight() - 1.0f));
    const bool editable = label.isEditableOnSingleClick() || label.isEditableOnDoubleClick();

    if (editable)
    {
        g.setColour (label.findColour (juce::Label::backgroundColourId));
        g.fillRoundedRectangle (area, 4.0f);
    }

    if (! label.isBeingEdited())
    {
        const float alpha = label.isEnabled() ? 1.0f : 0.5f;
        const auto font = getLabelFont (label);
        g.setColour (label.findColour (juce::Label::textColourId).withMultipliedAlpha (alpha));
        g.setFont (font);

        const auto textArea = label.getBorderSize().subtractedFrom (label.getLocalBounds());
        g.drawFittedText (label.getText(), textArea, label.getJustificationType(),
                          juce::jmax (1, (int) ((float) textArea.getHeight() / font.getHeight())),
                          label.getMinimumHorizontalScale());
    }

    if (editable)
    {
        g.setColour (label.findColour (juce::Label::outlineColourId));
        g.drawRoundedRectangle (area, 4.0f, 1.0f);
    }
}

juce::Font KestroLookAndFeel::getLabelFont (juce::Label& label)
{
    const auto font = label.getFont();
    return font == defaultFont ? defaultFont : font;
}
