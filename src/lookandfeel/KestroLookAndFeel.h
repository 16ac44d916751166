#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** The program's dark theme. One instance is shared by every component of the process; the first
    audio processor creates and installs it as JUCE's default, the last one releases it.

    Framework widgets take their colours from the colour table the constructor fills, and from
    fixed values in the drawers below. Created, used and destroyed on the message thread only;
    no drawer changes the theme. */
class KestroLookAndFeel : public juce::LookAndFeel_V3
{
public:
    KestroLookAndFeel();
    ~KestroLookAndFeel() override;

    /** A face that is not installed (the tooltip and alert fonts ask for "Verdana") is drawn with
        the default sans-serif face, so its glyphs and metrics come from one real face instead of
        per-glyph fallbacks. The Font objects keep the name and height they were given.
        JUCE asks only the default look-and-feel for this. */
    juce::Typeface::Ptr getTypefaceForFont (const juce::Font&) override;

    //==============================================================================
    bool areScrollbarButtonsVisible() override;
    void drawScrollbarButton (juce::Graphics&, juce::ScrollBar&, int width, int height, int buttonDirection,
                              bool isScrollbarVertical, bool shouldDrawButtonAsHighlighted,
                              bool shouldDrawButtonAsDown) override;
    void drawScrollbar (juce::Graphics&, juce::ScrollBar&, int x, int y, int width, int height,
                        bool isScrollbarVertical, int thumbStartPosition, int thumbSize,
                        bool isMouseOver, bool isMouseDown) override;
    int getDefaultScrollbarWidth() override;
    int getScrollbarButtonSize (juce::ScrollBar&) override;

    //==============================================================================
    void drawButtonBackground (juce::Graphics&, juce::Button&, const juce::Colour& backgroundColour,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawButtonText (juce::Graphics&, juce::TextButton&,
                         bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawToggleButton (juce::Graphics&, juce::ToggleButton&,
                           bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawTickBox (juce::Graphics&, juce::Component&, float x, float y, float w, float h,
                      bool ticked, bool isEnabled,
                      bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;
    void drawDrawableButton (juce::Graphics&, juce::DrawableButton&,
                             bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown) override;

    //==============================================================================
    void drawAlertBox (juce::Graphics&, juce::AlertWindow&, const juce::Rectangle<int>& textArea,
                       juce::TextLayout&) override;
    int getAlertBoxWindowFlags() override;
    juce::Font getAlertWindowTitleFont() override;
    juce::Font getAlertWindowMessageFont() override;
    juce::Font getAlertWindowFont() override;

    //==============================================================================
    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
    juce::Font getPopupMenuFont() override;

    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;
    void positionComboBoxText (juce::ComboBox&, juce::Label&) override;

    void drawLabel (juce::Graphics&, juce::Label&) override;
    juce::Font getLabelFont (juce::Label&) override;

    //==============================================================================
    juce::Rectangle<int> getTooltipBounds (const juce::String& tipText, juce::Point<int> screenPos,
                                           juce::Rectangle<int> parentArea) override;
    void drawTooltip (juce::Graphics&, const juce::String& text, int width, int height) override;

    //==============================================================================
    void drawResizableFrame (juce::Graphics&, int w, int h, const juce::BorderSize<int>&) override;
    juce::Button* createDocumentWindowButton (int buttonType) override;

    //==============================================================================
    /** Draws a radio box: a dark circle with a white dot when ticked. Takes the same arguments as
        drawTickBox; drawToggleButton calls it for buttons that belong to a radio group. */
    virtual void drawRadioBox (juce::Graphics&, juce::Component&, float x, float y, float w, float h,
                               bool ticked, bool isEnabled,
                               bool shouldDrawButtonAsHighlighted, bool shouldDrawButtonAsDown);

private:
    const float comboCornerSize;
    const float comboOutlineThickness;
    const juce::Font defaultFont;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (KestroLookAndFeel)
};
