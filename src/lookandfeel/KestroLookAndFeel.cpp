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

bool _isVerticalLinearStyle (juce::Slider::SliderStyle style)
{
    return style == juce::Slider::LinearVertical || style == juce::Slider::LinearBarVertical;
}

// Distance in pixels between the positions of two neighbouring values of the slider's interval;
// never positive for the vertical styles, whose positions fall as values rise.
float _tickSpacing (juce::Slider& slider)
{
    const auto start = (float) slider.getMinimum();
    const auto interval = (float) slider.getInterval();
    return (float) (slider.getPositionOfValue ((double) (start + interval)) - slider.getPositionOfValue ((double) start));
}

int _textWidth (const juce::Font& font, const juce::String& text)
{
    return (int) std::ceil (font.getStringWidthFloat (text));
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
void KestroLookAndFeel::drawProgressBar (juce::Graphics& g, juce::ProgressBar& progressBar, int width, int height,
                                         double progress, const juce::String& textToShow)
{
    const auto stripe = juce::ImageCache::getFromMemory (BinaryData::progress_stripe_png, BinaryData::progress_stripe_pngSize);
    const int s = stripe.isValid() ? stripe.getHeight() : 0;

    // A bar one stripe high (plus a pixel above and below) in the middle of a tall component;
    // the outline lies on half pixels.
    juce::Rectangle<float> bar;
    if (s + 2 < height)
        bar = juce::Rectangle<float> ((float) width - 1.0f, (float) (s + 2))
                  .withCentre ({ (float) width / 2.0f, (float) height / 2.0f })
                  .translated (0.5f, 0.5f);
    else
        bar = { 0.5f, 0.5f, (float) width, (float) height };

    if (bar.getX() == std::floor (bar.getX()))
        bar.setX (bar.getX() - 0.5f);
    if (bar.getY() == std::floor (bar.getY()))
        bar.setY (bar.getY() - 0.5f);
    bar.setSize (juce::jmax (0.0f, bar.getWidth() - 1.0f), juce::jmax (0.0f, bar.getHeight() - 1.0f));

    g.setColour (progressBar.findColour (juce::ProgressBar::backgroundColourId));
    g.fillRoundedRectangle (bar, 4.0f);

    if (stripe.isValid())
    {
        // A progress outside 0 to 1 fills nothing or the whole bar, never beyond its outline.
        const auto filledWidth = juce::jlimit (0.0f, bar.getWidth(), (float) progress * bar.getWidth() - bar.getX());
        if (filledWidth > 0.0f)
        {
            g.setTiledImageFill (stripe, 1, (height - s) / 2, 1.0f);
            g.fillRoundedRectangle (bar.withWidth (filledWidth), 4.0f);
        }
    }

    g.setColour (juce::Colour (0xff646464));
    g.drawRoundedRectangle (bar, 4.0f, 1.0f);

    g.setColour (KestroColors::black);
    g.drawText (textToShow, bar, juce::Justification::centred, false);
}

void KestroLookAndFeel::drawTreeviewPlusMinusBox (juce::Graphics& g, const juce::Rectangle<float>& area,
                                                  juce::Colour backgroundColour, bool isOpen, bool /*isMouseOver*/)
{
    juce::Path triangle;
    if (isOpen)
        triangle.addTriangle (0.0f, 0.0f, 1.0f, 0.0f, 0.5f, 1.0f);
    else
        triangle.addTriangle (0.0f, 0.0f, 1.0f, 0.5f, 0.0f, 1.0f);

    const auto r = backgroundColour.getFloatRed(), gr = backgroundColour.getFloatGreen(), b = backgroundColour.getFloatBlue();
    const bool lightBackground = std::sqrt (0.241f * r * r + 0.691f * gr * gr + 0.068f * b * b) > 0.5f;

    const auto colour = lightBackground ? KestroColors::black : KestroColors::white;
    g.setColour (isOpen ? colour : colour.withAlpha ((juce::uint8) 0x4c));

    const auto box = area.reduced (2.0f, area.getHeight() / 4.0f);
    g.strokePath (triangle, juce::PathStrokeType (1.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt),
                  triangle.getTransformToScaleToFit (box, true));
}

bool KestroLookAndFeel::areLinesDrawnForTreeView (juce::TreeView&)
{
    return false;
}

int KestroLookAndFeel::getTreeViewIndentSize (juce::TreeView&)
{
    return 20;
}

void KestroLookAndFeel::fillTextEditorBackground (juce::Graphics& g, int width, int height, juce::TextEditor& editor)
{
    const auto w = (float) width, h = (float) height;

    g.setColour (juce::Colour (0xff303030));
    g.fillRect (0, 0, width, height);
    g.setColour (editor.findColour (juce::TextEditor::backgroundColourId));
    g.fillRoundedRectangle (0.75f, 0.75f, w - 1.5f, h - 1.5f, 2.5f);

    const bool editing = editor.hasKeyboardFocus (true) && ! editor.isReadOnly() && editor.isEnabled();
    if (editor.isMouseOver (true) || editing)
    {
        g.setGradientFill (juce::ColourGradient (juce::Colour (0x13f1f1f1), 0.4f * w, 12.0f * h / 35.0f,
                                                 juce::Colour (0x07696969), 0.65f * w, h, true));
        g.fillRoundedRectangle (1.5f, 1.5f, w - 3.0f, h - 3.0f, 2.5f);
    }
}

void KestroLookAndFeel::drawTextEditorOutline (juce::Graphics& g, int width, int height, juce::TextEditor& editor)
{
    if (! editor.isEnabled())
        return;

    const bool editing = editor.hasKeyboardFocus (true) && ! editor.isReadOnly();
    g.setColour (editor.findColour (editing ? juce::TextEditor::focusedOutlineColourId : juce::TextEditor::outlineColourId));
    g.drawRoundedRectangle (0.75f, 0.75f, (float) width - 1.5f, (float) height - 1.5f, 2.5f, 1.5f);
}

juce::Button* KestroLookAndFeel::createFileBrowserGoUpButton()
{
    auto* button = new juce::DrawableButton (juce::String(), juce::DrawableButton::ImageOnButtonBackground);

    juce::Path arrow;
    arrow.addArrow ({ 50.0f, 100.0f, 50.0f, 0.0f }, 40.0f, 100.0f, 50.0f);

    juce::DrawablePath image;
    image.setPath (arrow);
    image.setFill (juce::Colours::white);

    button->setImages (&image);
    return button;
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
void KestroLookAndFeel::drawLinearSlider (juce::Graphics& g, int x, int y, int width, int height,
                                          float sliderPos, float minSliderPos, float maxSliderPos,
                                          const juce::Slider::SliderStyle style, juce::Slider& slider)
{
    if (style != juce::Slider::LinearBar && style != juce::Slider::LinearBarVertical)
    {
        drawLinearSliderBackground (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
        drawLinearSliderThumb (g, x, y, width, height, sliderPos, minSliderPos, maxSliderPos, style, slider);
        return;
    }

    const auto base = slider.findColour (juce::Slider::thumbColourId)
                          .withMultipliedSaturation (slider.isEnabled() ? 1.0f : 0.5f)
                          .withMultipliedAlpha (0.8f);

    g.setColour (slider.findColour (juce::Slider::backgroundColourId));
    g.fillRect (slider.getLocalBounds());

    const bool vertical = style == juce::Slider::LinearBarVertical;
    const auto fx = (float) x, fy = (float) y, fw = (float) width, fh = (float) height;
    const auto bar = vertical ? juce::Rectangle<float> (fx, sliderPos, fw, 1.0f + fh - sliderPos)
                              : juce::Rectangle<float> (fx, fy, sliderPos - fx, fh);

    g.setGradientFill (juce::ColourGradient (base.brighter (0.08f), 0.0f, 0.0f, base.darker (0.08f), 0.0f, fh, false));
    g.fillRect (bar);

    g.setColour (base.darker (0.2f));
    g.fillRect (vertical ? juce::Rectangle<float> (fx, sliderPos, fw, 1.0f)
                         : juce::Rectangle<float> (sliderPos, fy, 1.0f, fh));
}

void KestroLookAndFeel::drawLinearSliderBackground (juce::Graphics& g, int x, int y, int width, int height,
                                                    float, float, float,
                                                    const juce::Slider::SliderStyle style, juce::Slider& slider)
{
    constexpr float lineWidth = 2.3f;
    const auto enabledColour = slider.isEnabled() ? juce::Colour (0xc3ffffff)
                                                  : findColour (juce::PopupMenu::backgroundColourId);
    g.setColour (enabledColour);

    const auto start = (float) slider.getMinimum(), end = (float) slider.getMaximum();
    const auto interval = (float) slider.getInterval();
    const auto suffix = slider.getTextValueSuffix();
    const auto font = g.getCurrentFont();
    const int cx = x + width / 2, cy = y + height / 2;
    const auto fx = (float) x, fw = (float) width, fcy = (float) cy;

    if (juce::roundToInt (_tickSpacing (slider)) < 35)
    {
        if (_isVerticalLinearStyle (style))
        {
            g.drawLine ((float) cx, (float) y - 2.0f, (float) cx, (float) (y + height) + 2.0f, lineWidth);
            return;
        }

        auto startLabel = juce::String (slider.getMinimum());
        if (suffix.toLowerCase().endsWith ("samples") && slider.getMinimum() == 1.0)
            startLabel << " s";
        else if (suffix.isNotEmpty())
            startLabel << suffix;
        const auto endLabel = juce::String (slider.getMaximum()) + suffix;

        g.drawLine (fx - 2.0f, fcy, fx + fw + 2.0f, fcy, lineWidth);

        const int startWidth = _textWidth (font, startLabel), endWidth = _textWidth (font, endLabel);
        if (startWidth + endWidth < width)
        {
            g.drawText (startLabel, x - 2, cy + 4, startWidth, 20, juce::Justification::left, true);
            g.drawText (endLabel, x + width + 2 - endWidth, cy + 4, endWidth, 20, juce::Justification::right, true);
        }
        return;
    }

    const auto position = [&slider] (float v) { return (float) slider.getPositionOfValue ((double) v); };
    g.drawLine (position (start) - 7.0f, fcy, position (end) + 7.0f, fcy, lineWidth);

    for (float v = start; v < end + interval;)
    {
        const auto label = juce::String (v);
        const auto p = (int) position (v);
        const int n = label.length();

        g.drawText (label, p - 5 * n, cy + 4, 10 * n, 20, juce::Justification::centredTop, true);
        g.setColour (juce::Colour (0xff5b5b5b));
        g.drawLine ((float) (p - 7), fcy, (float) (p + 7), fcy, lineWidth);
        g.setColour (enabledColour);

        // With a range far from zero a float step can round away; stop rather than loop forever.
        const auto next = v + interval;
        if (! (next > v))
            break;
        v = next;
    }
}

void KestroLookAndFeel::drawLinearSliderThumb (juce::Graphics& g, int x, int y, int width, int height,
                                               float sliderPos, float, float,
                                               const juce::Slider::SliderStyle style, juce::Slider& slider)
{
    const bool vertical = _isVerticalLinearStyle (style);
    const float tx = vertical ? (float) x + 0.5f * (float) width : sliderPos;
    const float ty = vertical ? sliderPos : (float) y + 0.5f * (float) height;
    const auto body = juce::Rectangle<float> (12.0f, 12.0f).withCentre ({ tx, ty });
    constexpr float rimWidth = 1.92f;

    if (! slider.isEnabled())
    {
        const auto background = findColour (juce::PopupMenu::backgroundColourId);
        g.setColour (background);
        g.fillEllipse (body);
        g.setGradientFill (juce::ColourGradient (findColour (juce::PopupMenu::highlightedBackgroundColourId), tx, ty - 6.0f,
                                                 background, tx, ty + 6.0f, false));
        g.drawEllipse (body, rimWidth);
    }
    else
    {
        const bool lit = slider.isMouseOverOrDragging();

        g.setGradientFill (juce::ColourGradient (juce::Colour (0xaa000000), tx, ty,
                                                 juce::Colour (0x00000000), tx, ty + 12.0f, true));
        g.fillEllipse (juce::Rectangle<float> (24.0f, 24.0f).withCentre ({ tx, ty }));

        g.setGradientFill (juce::ColourGradient (juce::Colour (lit ? 0xff666666u : 0xff444444u), tx, ty - 6.0f,
                                                 juce::Colour (lit ? 0xffffffffu : 0xffddddddu), tx, ty + 6.0f, false));
        g.fillEllipse (body);

        g.setGradientFill (juce::ColourGradient (juce::Colour (lit ? 0xffffffffu : 0xfff3f3f3u), tx, ty - 6.0f,
                                                 juce::Colour (0xffcccccc), tx, ty + 6.0f, false));
        g.drawEllipse (body, rimWidth);
    }

    if (vertical)
        return;

    // The value label above the thumb is drawn with the rim's fill.
    const auto suffix = slider.getTextValueSuffix();
    juce::String label;
    if ((int) _tickSpacing (slider) > 34)
    {
        label = suffix;
    }
    else
    {
        auto unit = suffix;
        if ((unit == " samples" || unit == " Samples") && slider.getValue() == 1.0)
            unit = unit.dropLastCharacters (1);
        label = juce::String (slider.getValue(), slider.getNumDecimalPlacesToDisplay()) + unit;
    }

    const int w = _textWidth (g.getCurrentFont(), label);
    int boxX = (int) tx - w / 2;
    if (boxX < x - 3)
        boxX = x - 3;
    else
        boxX = juce::jmin (boxX, x + width + 3 - w);

    g.drawText (label, boxX, (int) ty - 26, w, 20, juce::Justification::centredTop, false);
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
    const float w = active.getWidth(), h = active.getHeight();

    std::vector<juce::Point<float>> points;
    switch (button.getTabbedButtonBar().getOrientation())
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
            if (! button.isEnabled())
                break;

            // The front tab's base line runs out past its sides, so the rounding bends its lower
            // corners outwards into small feet; the other tabs repeat a corner and stay square.
            if (button.isFrontTab())
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

    path = outline.createPathWithRoundedCorners (4.5f);
}

void KestroLookAndFeel::fillTabButtonShape (juce::TabBarButton& button, juce::Graphics& g, const juce::Path& path, bool, bool)
{
    g.setColour (button.isFrontTab() ? KestroColors::dark_grey : juce::Colour (0xff787878));
    g.fillPath (path);
}

//==============================================================================
void KestroLookAndFeel::drawTableHeaderBackground (juce::Graphics& g, juce::TableHeaderComponent& header)
{
    const auto width = (float) header.getWidth(), height = (float) header.getHeight();

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xffa1a6a9), 0.0f, 0.0f,
                                             juce::Colour (0xff808080), 0.0f, height + 1.0f, false));
    g.fillRoundedRectangle (-0.5f, -0.5f, juce::jmax (0.0f, width + 1.0f), juce::jmax (0.0f, height + 1.0f), 4.0f);

    g.setColour (juce::Colour (0xff646464));
    g.fillRect (header.getLocalBounds().removeFromBottom (1));

    // A header that stretches its columns to its width ends at its own edge, without a line.
    const int numColumns = header.getNumColumns (true);
    const int lastWithLine = header.isStretchToFitActive() ? numColumns - 1 : numColumns;
    for (int i = 0; i < lastWithLine; ++i)
        g.fillRect (header.getColumnPosition (i).removeFromRight (1));
}

void KestroLookAndFeel::drawTableHeaderColumn (juce::Graphics& g, juce::TableHeaderComponent&, const juce::String& columnName,
                                               int /*columnId*/, int width, int height, bool isMouseOver, bool isMouseDown,
                                               int columnFlags)
{
    if (isMouseDown || isMouseOver)
    {
        g.setColour (juce::Colour (isMouseDown ? 0x8899aaddu : 0x5599aaddu));
        g.fillRect (g.getClipBounds().toFloat().expanded (0.5f));
    }

    int w = juce::jmax (width - 8, 0);
    const int h = juce::jmax (height, 0);

    if ((columnFlags & (juce::TableHeaderComponent::sortedForwards | juce::TableHeaderComponent::sortedBackwards)) != 0)
    {
        juce::Path arrow;
        arrow.addTriangle (0.0f, 0.0f,
                           0.5f, (columnFlags & juce::TableHeaderComponent::sortedForwards) != 0 ? -0.8f : 0.8f,
                           1.0f, 0.0f);

        const int s = juce::jmin (height / 2, w);
        const juce::Rectangle<float> strip ((float) (w + 6 - s), 2.0f,
                                            (float) juce::jmax (0, s - 4), (float) juce::jmax (0, height - 4));
        g.setColour (juce::Colour (0x99000000));
        g.fillPath (arrow, arrow.getTransformToScaleToFit (strip, true));
        w -= s;
    }

    const juce::Font mainFont ((float) height * 0.5f, juce::Font::bold);
    const juce::Font subFont (mainFont.getHeight() * 0.9f, juce::Font::bold);
    const juce::Font superFont (mainFont.getHeight() * 0.8f, juce::Font::plain);
    g.setColour (juce::Colours::black);

    // "L_eq" puts "eq" below the line, "x^2" puts "2" above it; a script ends at a blank.
    const int underscore = columnName.indexOfChar ('_');
    const int caret = columnName.indexOfChar ('^');
    const int length = columnName.length();

    juce::String mainText = columnName, subText, superText;
    if (underscore >= 0 && underscore < length - 1)
        mainText = columnName.substring (0, underscore);
    else if (caret >= 0 && caret < length - 1)
        mainText = columnName.substring (0, caret);

    if (underscore >= 0)
    {
        subText = columnName.substring (underscore + 1);
        const int end = subText.containsChar ('^') ? subText.indexOfChar ('^') : subText.indexOfChar (' ');
        if (end >= 0)
            subText = subText.substring (0, end);
    }
    if (caret >= 0)
    {
        superText = columnName.substring (caret + 1);
        const int end = superText.indexOfChar (' ');
        if (end >= 0)
            superText = superText.substring (0, end);
    }

    const int mainWidth = _textWidth (mainFont, mainText);
    const juce::Rectangle<int> scriptBox (mainWidth + 4, (int) (0.2f * mainFont.getHeight()), w, h);

    if (subText.isNotEmpty())
    {
        g.setFont (subFont);
        g.drawText (subText, scriptBox, juce::Justification::centredLeft, false);
    }
    if (superText.isNotEmpty())
    {
        g.setFont (superFont);
        g.drawText (superText, scriptBox, juce::Justification::topLeft, false);
    }

    g.setFont (mainFont);
    g.drawText (mainText, 4, 0, w, h, juce::Justification::centredLeft, false);

    // Names whose scripts have no blank after them draw nothing more.
    if ((subText.isNotEmpty() || superText.isNotEmpty()) && columnName.indexOf (1, " ") >= 0)
    {
        const int scriptWidth = juce::jmax (_textWidth (subFont, subText), _textWidth (superFont, superText));
        g.drawText (columnName.substring (columnName.lastIndexOfChar (' ')),
                    mainWidth + scriptWidth + 4, 0, w, h, juce::Justification::centredLeft, false);
    }
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
