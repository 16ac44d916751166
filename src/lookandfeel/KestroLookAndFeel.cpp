#include "KestroLookAndFeel.h"

#include "ThemeConstants.h"

namespace
{
bool _isInstalledTypeface (const juce::String& name)
{
    if (name == juce::Font::getDefaultSansSerifFontName()
        || name == juce::Font::getDefaultSerifFontName()
        || name == juce::Font::getDefaultMonospacedFontName())
        return true;

    return juce::Font::findAllTypefaceNames().contains (name);
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
    setColour (Slider::thumbColourId, ThemeConstants::thumb);
    setColour (Slider::backgroundColourId, ThemeConstants::trough);
    setColour (ToggleButton::textColourId, ThemeConstants::text);
    setColour (TextEditor::focusedOutlineColourId, ThemeConstants::outline);
    setColour (ComboBox::textColourId, ThemeConstants::text);
    setColour (ComboBox::outlineColourId, ThemeConstants::outline);
    setColour (ComboBox::backgroundColourId, ThemeConstants::field);
    setColour (ComboBox::arrowColourId, ThemeConstants::text);
    setColour (PopupMenu::backgroundColourId, ThemeConstants::field);
    setColour (PopupMenu::textColourId, ThemeConstants::text);
    setColour (PopupMenu::highlightedTextColourId, ThemeConstants::text);
    setColour (PopupMenu::headerTextColourId, ThemeConstants::text);
    setColour (PopupMenu::highlightedBackgroundColourId, ThemeConstants::outline);
    setColour (TextButton::buttonColourId, Colour (0xffecf4ff));
    setColour (Label::textColourId, ThemeConstants::text);
    setColour (Label::textWhenEditingColourId, ThemeConstants::text);
    setColour (Label::backgroundColourId, ThemeConstants::field);
    setColour (Label::outlineColourId, ThemeConstants::outline);
    setColour (TextEditor::backgroundColourId, ThemeConstants::field);
    setColour (TextEditor::textColourId, ThemeConstants::text);
    setColour (TextEditor::highlightColourId, ThemeConstants::outline);
    setColour (TextEditor::highlightedTextColourId, ThemeConstants::text);
    setColour (TextEditor::outlineColourId, ThemeConstants::outline);
    setColour (CaretComponent::caretColourId, ThemeConstants::text);
    setColour (TooltipWindow::backgroundColourId, ThemeConstants::lightPanel);
    setColour (TooltipWindow::textColourId, ThemeConstants::charcoal);
    setColour (TooltipWindow::outlineColourId, ThemeConstants::line);
    setColour (ListBox::backgroundColourId, ThemeConstants::trough);
    setColour (ListBox::textColourId, ThemeConstants::text);
    setColour (GroupComponent::outlineColourId, ThemeConstants::outline);
    setColour (GroupComponent::textColourId, ThemeConstants::text);
    setColour (TreeView::backgroundColourId, ThemeConstants::field);
    setColour (TreeView::linesColourId, ThemeConstants::line);
    setColour (TreeView::selectedItemBackgroundColourId, ThemeConstants::line);
    setColour (DirectoryContentsDisplayComponent::textColourId, ThemeConstants::text);
    setColour (ListBox::outlineColourId, ThemeConstants::line);
    setColour (ProgressBar::backgroundColourId, ThemeConstants::lightPanel);
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
