// The theme's drawers for widgets the application itself never shows (progress bar, tree view,
// text editor, file browser, sliders, table header), in the same dark look for programs built on it.
#include "KestroLookAndFeel.h"

#include "KestroColors.h"
#include "ThemeConstants.h"
#include "ThemeGeometry.h"

#include <BinaryData.h>

namespace
{
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

    g.setColour (ThemeConstants::line);
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

    g.setColour (ThemeConstants::charcoal);
    g.fillRect (0, 0, width, height);
    g.setColour (editor.findColour (juce::TextEditor::backgroundColourId));
    g.fillRoundedRectangle (0.75f, 0.75f, w - 1.5f, h - 1.5f, 2.5f);

    const bool editing = editor.hasKeyboardFocus (true) && ! editor.isReadOnly() && editor.isEnabled();
    if (editor.isMouseOver (true) || editing)
    {
        g.setGradientFill (juce::ColourGradient (ThemeConstants::sheenLight, 0.4f * w, 12.0f * h / 35.0f,
                                                 ThemeConstants::sheenDark, 0.65f * w, h, true));
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
                                                 juce::Colours::transparentBlack, tx, ty + 12.0f, true));
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
void KestroLookAndFeel::drawTableHeaderBackground (juce::Graphics& g, juce::TableHeaderComponent& header)
{
    const auto width = (float) header.getWidth(), height = (float) header.getHeight();

    g.setGradientFill (juce::ColourGradient (juce::Colour (0xffa1a6a9), 0.0f, 0.0f,
                                             juce::Colour (0xff808080), 0.0f, height + 1.0f, false));
    g.fillRoundedRectangle (-0.5f, -0.5f, juce::jmax (0.0f, width + 1.0f), juce::jmax (0.0f, height + 1.0f), 4.0f);

    g.setColour (ThemeConstants::line);
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

    const auto parts = ThemeGeometry::splitColumnName (columnName);

    const int mainWidth = _textWidth (mainFont, parts.main);
    const juce::Rectangle<int> scriptBox (mainWidth + 4, (int) (0.2f * mainFont.getHeight()), w, h);

    if (parts.subscript.isNotEmpty())
    {
        g.setFont (subFont);
        g.drawText (parts.subscript, scriptBox, juce::Justification::centredLeft, false);
    }
    if (parts.superscript.isNotEmpty())
    {
        g.setFont (superFont);
        g.drawText (parts.superscript, scriptBox, juce::Justification::topLeft, false);
    }

    g.setFont (mainFont);
    g.drawText (parts.main, 4, 0, w, h, juce::Justification::centredLeft, false);

    if (parts.trailing.isNotEmpty())
    {
        const int scriptWidth = juce::jmax (_textWidth (subFont, parts.subscript), _textWidth (superFont, parts.superscript));
        g.drawText (parts.trailing, mainWidth + scriptWidth + 4, 0, w, h, juce::Justification::centredLeft, false);
    }
}
