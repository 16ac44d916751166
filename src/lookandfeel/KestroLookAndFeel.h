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
    // The application shows no progress bar, tree view, text editor or file browser; these give
    // programs built on the theme the same dark look for them.
    void drawProgressBar (juce::Graphics&, juce::ProgressBar&, int width, int height, double progress,
                          const juce::String& textToShow) override;

    void drawTreeviewPlusMinusBox (juce::Graphics&, const juce::Rectangle<float>& area,
                                   juce::Colour backgroundColour, bool isOpen, bool isMouseOver) override;
    bool areLinesDrawnForTreeView (juce::TreeView&) override;
    int getTreeViewIndentSize (juce::TreeView&) override;

    void fillTextEditorBackground (juce::Graphics&, int width, int height, juce::TextEditor&) override;
    void drawTextEditorOutline (juce::Graphics&, int width, int height, juce::TextEditor&) override;

    juce::Button* createFileBrowserGoUpButton() override;

    //==============================================================================
    void drawPopupMenuBackground (juce::Graphics&, int width, int height) override;
    juce::Font getPopupMenuFont() override;

    void drawComboBox (juce::Graphics&, int width, int height, bool isButtonDown,
                       int buttonX, int buttonY, int buttonW, int buttonH, juce::ComboBox&) override;
    void positionComboBoxText (juce::ComboBox&, juce::Label&) override;

    void drawLabel (juce::Graphics&, juce::Label&) override;
    juce::Font getLabelFont (juce::Label&) override;

    //==============================================================================
    // No slider in the application either.
    void drawLinearSlider (juce::Graphics&, int x, int y, int width, int height,
                           float sliderPos, float minSliderPos, float maxSliderPos,
                           const juce::Slider::SliderStyle, juce::Slider&) override;
    void drawLinearSliderBackground (juce::Graphics&, int x, int y, int width, int height,
                                     float sliderPos, float minSliderPos, float maxSliderPos,
                                     const juce::Slider::SliderStyle, juce::Slider&) override;
    void drawLinearSliderThumb (juce::Graphics&, int x, int y, int width, int height,
                                float sliderPos, float minSliderPos, float maxSliderPos,
                                const juce::Slider::SliderStyle, juce::Slider&) override;

    //==============================================================================
    juce::Rectangle<int> getTooltipBounds (const juce::String& tipText, juce::Point<int> screenPos,
                                           juce::Rectangle<int> parentArea) override;
    void drawTooltip (juce::Graphics&, const juce::String& text, int width, int height) override;

    //==============================================================================
    void drawResizableFrame (juce::Graphics&, int w, int h, const juce::BorderSize<int>&) override;
    juce::Button* createDocumentWindowButton (int buttonType) override;

    //==============================================================================
    /** Tabs are flat shapes with rounded upper corners, dark in front and grey behind, with an
        icon chosen by the name the tab was added under and the translated name beside it. */
    int getTabButtonOverlap (int tabDepth) override;
    int getTabButtonBestWidth (juce::TabBarButton&, int tabDepth) override;
    void drawTabButton (juce::TabBarButton&, juce::Graphics&, bool isMouseOver, bool isMouseDown) override;
    void drawTabButtonText (juce::TabBarButton&, juce::Graphics&, bool isMouseOver, bool isMouseDown) override;
    void drawTabAreaBehindFrontButton (juce::TabbedButtonBar&, juce::Graphics&, int w, int h) override;
    void createTabButtonShape (juce::TabBarButton&, juce::Path&, bool isMouseOver, bool isMouseDown) override;
    void fillTabButtonShape (juce::TabBarButton&, juce::Graphics&, const juce::Path&,
                             bool isMouseOver, bool isMouseDown) override;

    //==============================================================================
    // No table header in the application.
    void drawTableHeaderBackground (juce::Graphics&, juce::TableHeaderComponent&) override;
    void drawTableHeaderColumn (juce::Graphics&, juce::TableHeaderComponent&, const juce::String& columnName,
                                int columnId, int width, int height, bool isMouseOver, bool isMouseDown,
                                int columnFlags) override;

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
