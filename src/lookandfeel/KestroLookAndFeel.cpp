#include "KestroLookAndFeel.h"

#include "KestroColors.h"

#include <BinaryData.h>

namespace
{
constexpr float tooltipFontHeight = 15.5f;
constexpr float tooltipMaxLineWidth = 400.0f;
const char* const alertFontName = "Verdana";

// The tooltip text in balanced lines; the same layout sizes the window and draws its text.
juce::TextLayout layoutTooltipText (const juce::String& text, const juce::Colour& colour)
{
    juce::AttributedString s;
    s.setJustification (juce::Justification::centredLeft);
    s.setWordWrap (juce::AttributedString::byWord);
    s.setReadingDirection (juce::AttributedString::natural);
    s.setLineSpacing (0.0f);
    s.append (text, juce::Font (alertFontName, tooltipFontHeight, juce::Font::plain), colour);

    juce::TextLayout layout;
    layout.createLayoutWithBalancedLineLengths (s, tooltipMaxLineWidth);
    return layout;
}

bool _isInstalledTypeface (const juce::String& name)
{
    if (name == juce::Font::getDefaultSansSerifFontName()
        || name == juce::Font::getDefaultSerifFontName()
        || name == juce::Font::getDefaultMonospacedFontName())
        return true;

    return juce::Font::findAllTypefaceNames().contains (name);
}

juce::Image _alertIconFor (juce::MessageBoxIconType type)
{
    switch (type)
    {
        case juce::MessageBoxIconType::QuestionIcon:
            return juce::ImageCache::getFromMemory (BinaryData::alert_question_png, BinaryData::alert_question_pngSize);
        case juce::MessageBoxIconType::WarningIcon:
            return juce::ImageCache::getFromMemory (BinaryData::alert_warning_png, BinaryData::alert_warning_pngSize);
        case juce::MessageBoxIconType::InfoIcon:
            return juce::ImageCache::getFromMemory (BinaryData::alert_info_png, BinaryData::alert_info_pngSize);
        case juce::MessageBoxIconType::NoIcon:
        default:
            return {};
    }
}

// Label of a text button; drawn by both drawButtonBackground and drawButtonText.
void _drawTextButtonLabel (juce::Graphics& g, juce::Button& button, bool isDown)
{
    g.setColour (isDown || ! button.isEnabled() ? juce::Colour (0xffd3d3d3) : juce::Colour (0xffffffff));
    g.setFont (juce::Font (15.0f));
    g.drawText (button.getButtonText(), button.getLocalBounds().toFloat(), juce::Justification::centred, true);
}
} // namespace

//==============================================================================
KestroLookAndFeel::KestroLookAndFeel()
    : comboCornerSize (3.0f),
      comboOutlineThickness (1.5f),
      defaultFont (15.0f)
{
    using namespace juce;

    setColour (Slider::trackColourId, Colour (0xffdcf0ff));
    setColour (Slider::thumbColourId, Colour (0xff494949));
    setColour (Slider::backgroundColourId, Colour (0xff1d1d1d));
    setColour (ToggleButton::textColourId, Colour (0xffffffff));
    setColour (TextEditor::focusedOutlineColourId, Colour (0xff686868));
    setColour (ComboBox::textColourId, Colour (0xffffffff));
    setColour (ComboBox::outlineColourId, Colour (0xff686868));
    setColour (ComboBox::backgroundColourId, Colour (0xff1d1d1b));
    setColour (ComboBox::arrowColourId, Colour (0xffffffff));
    setColour (PopupMenu::backgroundColourId, Colour (0xff1d1d1b));
    setColour (PopupMenu::textColourId, Colour (0xffffffff));
    setColour (PopupMenu::highlightedTextColourId, Colour (0xffffffff));
    setColour (PopupMenu::headerTextColourId, Colour (0xffffffff));
    setColour (PopupMenu::highlightedBackgroundColourId, Colour (0xff686868));
    setColour (TextButton::buttonColourId, Colour (0xffecf4ff));
    setColour (Label::textColourId, Colour (0xffffffff));
    setColour (Label::textWhenEditingColourId, Colour (0xffffffff));
    setColour (Label::backgroundColourId, Colour (0xff1d1d1b));
    setColour (Label::outlineColourId, Colour (0xff686868));
    setColour (TextEditor::backgroundColourId, Colour (0xff1d1d1b));
    setColour (TextEditor::textColourId, Colour (0xffffffff));
    setColour (TextEditor::highlightColourId, Colour (0xff686868));
    setColour (TextEditor::highlightedTextColourId, Colour (0xffffffff));
    setColour (TextEditor::outlineColourId, Colour (0xff686868));
    setColour (CaretComponent::caretColourId, Colour (0xffffffff));
    setColour (TooltipWindow::backgroundColourId, Colour (0xffd6d6d6));
    setColour (TooltipWindow::textColourId, Colour (0xff303030));
    setColour (TooltipWindow::outlineColourId, Colour (0xff646464));
    setColour (ListBox::backgroundColourId, Colour (0xff1d1d1d));
    setColour (ListBox::textColourId, Colour (0xffffffff));
    setColour (GroupComponent::outlineColourId, Colour (0xff686868));
    setColour (GroupComponent::textColourId, Colour (0xffffffff));
    setColour (TreeView::backgroundColourId, Colour (0xff1d1d1b));
    setColour (TreeView::linesColourId, Colour (0xff646464));
    setColour (TreeView::selectedItemBackgroundColourId, Colour (0xff646464));
    setColour (DirectoryContentsDisplayComponent::textColourId, Colour (0xffffffff));
    setColour (ListBox::outlineColourId, Colour (0xff646464));
    setColour (ProgressBar::backgroundColourId, Colour (0xffd6d6d6));
}

KestroLookAndFeel::~KestroLookAndFeel() = default;

juce::Typeface::Ptr KestroLookAndFeel::getTypefaceForFont (const juce::Font& font)
{
    if (! _isInstalledTypeface (font.getTypefaceName()))
    {
        juce::Font substitute (font);
        substitute.setTypefaceName (juce::Font::getDefaultSansSerifFontName());
        return LookAndFeel_V3::getTypefaceForFont (substitute);
    }

    return LookAndFeel_V3::getTypefaceForFont (font);
}

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

    g.setColour (juce::Colour (0xffffffff));
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
    g.setColour (juce::Colour (0xff1d1d1d));
    g.fillRoundedRectangle (track, 4.0f);
    g.setColour (juce::Colour (0xff646464));
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
                                             juce::Colour (0xff494949),
                                             isScrollbarVertical ? thumb.getWidth() : 0.0f,
                                             isScrollbarVertical ? 0.0f : thumb.getHeight(), false));
    if (isMouseDown)
        g.setOpacity (0.5f);
    g.fillRoundedRectangle (thumb, 4.0f);
    g.setOpacity (1.0f);

    g.setColour (juce::Colour (0xff1d1d1d));
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
void KestroLookAndFeel::drawButtonBackground (juce::Graphics& g, juce::Button& button, const juce::Colour&,
                                              bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    const auto area = button.getLocalBounds().toFloat();
    const auto h = area.getHeight();
    const bool enabled = button.isEnabled();

    const juce::Colour light (0xff585c5e), dark (0xff4a4a4a);
    juce::Colour top = light, bottom = dark;
    if (! enabled)
        top = bottom = dark;
    else if (shouldDrawButtonAsDown)
        std::swap (top, bottom);

    g.setGradientFill (juce::ColourGradient (top, 0.0f, 0.0f, bottom, 0.0f, h, false));
    g.fillRoundedRectangle (area, 2.5f);

    if (enabled && (shouldDrawButtonAsDown || shouldDrawButtonAsHighlighted))
    {
        const juce::Colour centre (shouldDrawButtonAsDown ? 0x16a7a7a7u : 0x26a7a7a7u);
        g.setGradientFill (juce::ColourGradient (centre, area.getCentreX(), area.getCentreY(),
                                                 juce::Colour (0x00000000), 0.0f, 0.0f, true));
        g.fillRoundedRectangle (area, 2.5f);
    }

    _drawTextButtonLabel (g, button, shouldDrawButtonAsDown);
}

void KestroLookAndFeel::drawButtonText (juce::Graphics& g, juce::TextButton& button,
                                        bool /*shouldDrawButtonAsHighlighted*/, bool shouldDrawButtonAsDown)
{
    _drawTextButtonLabel (g, button, shouldDrawButtonAsDown);
}

void KestroLookAndFeel::drawToggleButton (juce::Graphics& g, juce::ToggleButton& button,
                                          bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown)
{
    const auto width = button.getWidth();
    const auto height = button.getHeight();
    const float fontSize = juce::jmin (15.0f, (float) height * 0.75f);
    const float boxSize = fontSize * 1.1f;
    const auto text = button.getButtonText();

    if (button.getRadioGroupId() != 0)
        drawRadioBox (g, button, 4.0f, ((float) height - boxSize) / 2.0f, boxSize, boxSize,
                      button.getToggleState(), button.isEnabled(),
                      shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);
    else if (text.isEmpty())
    {
        const auto side = (float) juce::jmin (width, height);
        drawTickBox (g, button, 0.0f, 0.0f, side, side, button.getToggleState(), button.isEnabled(),
                     shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);
    }
    else
        drawTickBox (g, button, 4.0f, ((float) height - boxSize) / 2.0f, boxSize, boxSize,
                     button.getToggleState(), button.isEnabled(),
                     shouldDrawButtonAsHighlighted, shouldDrawButtonAsDown);

    if (text.isNotEmpty())
    {
        g.setColour (button.findColour (juce::ToggleButton::textColourId));
        g.setFont (fontSize);
        if (! button.isEnabled())
            g.setOpacity (0.5f);

        const int b = (int) boxSize;
        g.drawFittedText (text, juce::Rectangle<int> (b + 10, 0, width - b - 12, height),
                          juce::Justification::centredLeft, 10);
    }
}

void KestroLookAndFeel::drawTickBox (juce::Graphics& g, juce::Component&, float x, float y, float w, float h,
                                     bool ticked, bool isEnabled,
                                     bool /*shouldDrawButtonAsHighlighted*/, bool shouldDrawButtonAsDown)
{
    const float side = 0.9f * w;
    const juce::Rectangle<float> box (x + (w - side) / 2.0f, y + (h - side) / 2.0f, side, side);

    g.setColour (juce::Colour (isEnabled ? 0xff1d1d1bu : 0x4c1d1d1bu));
    g.fillRoundedRectangle (box, 2.0f);
    g.setColour (juce::Colour (isEnabled ? 0xff646464u : 0x4c646464u));
    g.drawRoundedRectangle (box, 2.0f, 1.0f);

    if (ticked || shouldDrawButtonAsDown)
    {
        // The tick is drawn on a 41 x 41 grid scaled to the box, stroke width included.
        juce::Path tick;
        tick.startNewSubPath (9.0f, 20.0f);
        tick.lineTo (17.0f, 28.0f);
        tick.lineTo (31.0f, 13.0f);

        auto colour = isEnabled ? KestroColors::white : juce::Colours::grey;
        if (shouldDrawButtonAsDown)
            colour = colour.withAlpha ((juce::uint8) 0x4c);

        juce::Graphics::ScopedSaveState saved (g);
        g.addTransform (juce::AffineTransform::scale (side / 41.0f).translated (box.getX(), box.getY()));
        g.setColour (colour);
        g.strokePath (tick, juce::PathStrokeType (2.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));
    }
}

void KestroLookAndFeel::drawDrawableButton (juce::Graphics& g, juce::DrawableButton& button, bool, bool)
{
    if (button.getStyle() != juce::DrawableButton::ImageAboveTextLabel)
        return;

    const int textH = juce::jmin (16, button.proportionOfHeight (0.25f));
    if (textH <= 0)
        return;

    g.setFont ((float) textH);
    g.setColour (button.findColour (button.getToggleState() ? juce::DrawableButton::textColourOnId
                                                            : juce::DrawableButton::textColourId)
                     .withMultipliedAlpha (button.isEnabled() ? 1.0f : 0.4f));
    g.drawFittedText (button.getButtonText(), 2, button.getHeight() - textH - 1, button.getWidth() - 4, textH,
                      juce::Justification::centred, 1);
}

//==============================================================================
void KestroLookAndFeel::drawAlertBox (juce::Graphics& g, juce::AlertWindow& alert,
                                      const juce::Rectangle<int>& textArea, juce::TextLayout& textLayout)
{
    g.fillAll (alert.findColour (juce::AlertWindow::backgroundColourId));

    int iconOffset = 0;
    if (alert.getAlertType() != juce::MessageBoxIconType::NoIcon)
    {
        const auto icon = _alertIconFor (alert.getAlertType());
        if (icon.isValid())
        {
            g.drawImageAt (icon, 10, 10);
            iconOffset = icon.getWidth() + 10;
        }
        else
        {
            iconOffset = 10;
        }
    }

    g.setColour (alert.findColour (juce::AlertWindow::textColourId));
    textLayout.draw (g, juce::Rectangle<int> (textArea.getX() + iconOffset, textArea.getY(),
                                              textArea.getWidth() - iconOffset, textArea.getHeight())
                            .toFloat());

    g.setColour (alert.findColour (juce::AlertWindow::outlineColourId));
    g.drawRect (0.0f, 0.0f, (float) alert.getWidth(), (float) alert.getHeight(), 1.0f);
}

int KestroLookAndFeel::getAlertBoxWindowFlags()
{
    return juce::ComponentPeer::windowHasDropShadow;
}

juce::Font KestroLookAndFeel::getAlertWindowTitleFont()
{
    auto font = getAlertWindowFont();
    return font.withHeight (font.getHeight() * 1.1f).boldened();
}

juce::Font KestroLookAndFeel::getAlertWindowMessageFont()
{
    return juce::Font (alertFontName, 15.5f, juce::Font::plain);
}

juce::Font KestroLookAndFeel::getAlertWindowFont()
{
    return juce::Font (alertFontName, 15.0f, juce::Font::plain);
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
        g.setGradientFill (juce::ColourGradient (juce::Colour (0x13f1f1f1),
                                                 8.0f * (float) width / 20.0f, 12.0f * (float) height / 35.0f,
                                                 juce::Colour (0x07696969),
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

//==============================================================================
juce::Rectangle<int> KestroLookAndFeel::getTooltipBounds (const juce::String& tipText, juce::Point<int> screenPos,
                                                          juce::Rectangle<int> parentArea)
{
    const auto layout = layoutTooltipText (tipText, juce::Colours::black);
    const auto w = (int) (layout.getWidth() + 18.0f);
    const auto h = (int) (layout.getHeight() + 13.0f);

    const auto x = screenPos.x > parentArea.getCentreX() ? screenPos.x - 12 - w : screenPos.x + 24;
    const auto y = screenPos.y > parentArea.getCentreY() ? screenPos.y - 6 - h : screenPos.y + 6;

    return juce::Rectangle<int> (x, y, w, h).constrainedWithin (parentArea);
}

void KestroLookAndFeel::drawTooltip (juce::Graphics& g, const juce::String& text, int width, int height)
{
    const juce::Rectangle<float> box (0.5f, 0.5f, (float) width - 1.0f, (float) height - 1.0f);

    g.setColour (findColour (juce::TooltipWindow::backgroundColourId));
    g.fillRoundedRectangle (box, 4.0f);
    g.setColour (findColour (juce::TooltipWindow::outlineColourId));
    g.drawRoundedRectangle (box, 4.0f, 1.0f);

    layoutTooltipText (text, findColour (juce::TooltipWindow::textColourId))
        .draw (g, { 8.5f, 0.0f, (float) width, (float) height - 2.0f });
}

//==============================================================================
void KestroLookAndFeel::drawResizableFrame (juce::Graphics&, int, int, const juce::BorderSize<int>&)
{
}

juce::Button* KestroLookAndFeel::createDocumentWindowButton (int buttonType)
{
    auto* button = new juce::ImageButton (juce::String());

    juce::Image image;
    if (buttonType == juce::DocumentWindow::minimiseButton)
        image = juce::ImageCache::getFromMemory (BinaryData::window_minimise_png, BinaryData::window_minimise_pngSize);
    else if (buttonType == juce::DocumentWindow::closeButton)
        image = juce::ImageCache::getFromMemory (BinaryData::window_close_png, BinaryData::window_close_pngSize);
    else
        return button;

    button->setImages (false, true, true,
                       image, 1.0f, juce::Colour (0x4cffffff),
                       image, 1.0f, juce::Colour (0x7fffffff),
                       image, 1.0f, juce::Colour (0x4c808080),
                       0.0f);
    return button;
}

//==============================================================================
void KestroLookAndFeel::drawRadioBox (juce::Graphics& g, juce::Component&, float x, float y, float w, float h,
                                      bool ticked, bool isEnabled,
                                      bool /*shouldDrawButtonAsHighlighted*/, bool shouldDrawButtonAsDown)
{
    const float d = 0.9f * w;
    const float top = y + (h - d) / 2.0f;

    g.setColour (juce::Colour (0xff1d1d1b));
    g.fillEllipse (x, top, d, d);
    g.setColour (juce::Colour (0xff646464));
    g.drawEllipse (x, top, d, d, 1.0f);

    if (ticked || shouldDrawButtonAsDown)
    {
        auto colour = isEnabled ? KestroColors::white : juce::Colours::grey;
        if (shouldDrawButtonAsDown)
            colour = colour.withAlpha ((juce::uint8) 0x4c);

        const float s = juce::jmax (0.0f, d - 5.0f);
        g.setColour (colour);
        g.fillEllipse (x + 2.5f, top + 2.5f, s, s);
    }
}
