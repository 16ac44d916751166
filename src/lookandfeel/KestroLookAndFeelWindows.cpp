// The theme's drawers for alert boxes and the window's title-bar buttons.
#include "KestroLookAndFeel.h"

#include "ThemeConstants.h"

#include <BinaryData.h>

namespace
{
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
} // namespace

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
    return juce::Font (ThemeConstants::alertFontName, 15.5f, juce::Font::plain);
}

juce::Font KestroLookAndFeel::getAlertWindowFont()
{
    return juce::Font (ThemeConstants::alertFontName, 15.0f, juce::Font::plain);
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
