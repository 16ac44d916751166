#include "PixelProbe.h"
#include "ScopedDefaultLookAndFeel.h"

#include <lookandfeel/KestroLookAndFeel.h>

#include <gtest/gtest.h>

namespace
{
struct ColourEntry
{
    int id;
    juce::uint32 argb;
    const char* name;
};

const ColourEntry colourTable[] = {
    { juce::Slider::trackColourId, 0xffdcf0ff, "Slider::track" },
    { juce::Slider::thumbColourId, 0xff494949, "Slider::thumb" },
    { juce::Slider::backgroundColourId, 0xff1d1d1d, "Slider::background" },
    { juce::ToggleButton::textColourId, 0xffffffff, "ToggleButton::text" },
    { juce::TextEditor::focusedOutlineColourId, 0xff686868, "TextEditor::focusedOutline" },
    { juce::ComboBox::textColourId, 0xffffffff, "ComboBox::text" },
    { juce::ComboBox::outlineColourId, 0xff686868, "ComboBox::outline" },
    { juce::ComboBox::backgroundColourId, 0xff1d1d1b, "ComboBox::background" },
    { juce::ComboBox::arrowColourId, 0xffffffff, "ComboBox::arrow" },
    { juce::PopupMenu::backgroundColourId, 0xff1d1d1b, "PopupMenu::background" },
    { juce::PopupMenu::textColourId, 0xffffffff, "PopupMenu::text" },
    { juce::PopupMenu::highlightedTextColourId, 0xffffffff, "PopupMenu::highlightedText" },
    { juce::PopupMenu::headerTextColourId, 0xffffffff, "PopupMenu::headerText" },
    { juce::PopupMenu::highlightedBackgroundColourId, 0xff686868, "PopupMenu::highlightedBackground" },
    { juce::TextButton::buttonColourId, 0xffecf4ff, "TextButton::button" },
    { juce::Label::textColourId, 0xffffffff, "Label::text" },
    { juce::Label::textWhenEditingColourId, 0xffffffff, "Label::textWhenEditing" },
    { juce::Label::backgroundColourId, 0xff1d1d1b, "Label::background" },
    { juce::Label::outlineColourId, 0xff686868, "Label::outline" },
    { juce::TextEditor::backgroundColourId, 0xff1d1d1b, "TextEditor::background" },
    { juce::TextEditor::textColourId, 0xffffffff, "TextEditor::text" },
    { juce::TextEditor::highlightColourId, 0xff686868, "TextEditor::highlight" },
    { juce::TextEditor::highlightedTextColourId, 0xffffffff, "TextEditor::highlightedText" },
    { juce::TextEditor::outlineColourId, 0xff686868, "TextEditor::outline" },
    { juce::CaretComponent::caretColourId, 0xffffffff, "CaretComponent::caret" },
    { juce::TooltipWindow::backgroundColourId, 0xffd6d6d6, "TooltipWindow::background" },
    { juce::TooltipWindow::textColourId, 0xff303030, "TooltipWindow::text" },
    { juce::TooltipWindow::outlineColourId, 0xff646464, "TooltipWindow::outline" },
    { juce::ListBox::backgroundColourId, 0xff1d1d1d, "ListBox::background" },
    { juce::ListBox::textColourId, 0xffffffff, "ListBox::text" },
    { juce::GroupComponent::outlineColourId, 0xff686868, "GroupComponent::outline" },
    { juce::GroupComponent::textColourId, 0xffffffff, "GroupComponent::text" },
    { juce::TreeView::backgroundColourId, 0xff1d1d1b, "TreeView::background" },
    { juce::TreeView::linesColourId, 0xff646464, "TreeView::lines" },
    { juce::TreeView::selectedItemBackgroundColourId, 0xff646464, "TreeView::selectedItemBackground" },
    { juce::DirectoryContentsDisplayComponent::textColourId, 0xffffffff, "DirectoryContentsDisplay::text" },
    { juce::ListBox::outlineColourId, 0xff646464, "ListBox::outline" },
    { juce::ProgressBar::backgroundColourId, 0xffd6d6d6, "ProgressBar::background" },
    // Not set by the theme: the framework base's values, which the alert box drawer reads.
    { juce::AlertWindow::backgroundColourId, 0xffededed, "AlertWindow::background (base)" },
    { juce::AlertWindow::textColourId, 0xff000000, "AlertWindow::text (base)" },
    { juce::AlertWindow::outlineColourId, 0xff666666, "AlertWindow::outline (base)" },
};
} // namespace

TEST (LookAndFeelColourTable, EveryIdHasTheThemesValueOrTheBaseValue)
{
    KestroLookAndFeel lnf;

    for (const auto& entry : colourTable)
        EXPECT_EQ (lnf.findColour (entry.id).getARGB(), entry.argb) << entry.name;
}

TEST (LookAndFeelColourTable, AWidgetsOwnColourWinsOverTheTable)
{
    KestroLookAndFeel lnf;
    juce::Label label;
    label.setLookAndFeel (&lnf);

    EXPECT_EQ (label.findColour (juce::Label::textColourId).getARGB(), 0xffffffffu);
    label.setColour (juce::Label::textColourId, juce::Colours::red);
    EXPECT_EQ (label.findColour (juce::Label::textColourId), juce::Colours::red);

    label.setLookAndFeel (nullptr);
}

TEST (LookAndFeelFonts, AlertAndMenuFontsHaveTheirNamesHeightsAndStyles)
{
    KestroLookAndFeel lnf;

    const auto title = lnf.getAlertWindowTitleFont();
    EXPECT_EQ (title.getTypefaceName(), "Verdana");
    EXPECT_FLOAT_EQ (title.getHeight(), 16.5f);
    EXPECT_TRUE (title.isBold());

    const auto message = lnf.getAlertWindowMessageFont();
    EXPECT_EQ (message.getTypefaceName(), "Verdana");
    EXPECT_FLOAT_EQ (message.getHeight(), 15.5f);
    EXPECT_EQ (message.getStyleFlags(), juce::Font::plain);

    const auto other = lnf.getAlertWindowFont();
    EXPECT_EQ (other.getTypefaceName(), "Verdana");
    EXPECT_FLOAT_EQ (other.getHeight(), 15.0f);

    EXPECT_EQ (lnf.getPopupMenuFont(), juce::Font (15.0f));
}

TEST (LookAndFeelFonts, LabelFontIsTheLabelsOwnFont)
{
    KestroLookAndFeel lnf;
    juce::Label label;

    label.setFont (juce::Font (15.0f));
    EXPECT_EQ (lnf.getLabelFont (label), juce::Font (15.0f));

    label.setFont (juce::Font (21.0f, juce::Font::bold | juce::Font::italic));
    EXPECT_EQ (lnf.getLabelFont (label), juce::Font (21.0f, juce::Font::bold | juce::Font::italic));
}

TEST (LookAndFeelFonts, ComboBoxFontFollowsTheBoxHeightUpTo15)
{
    KestroLookAndFeel lnf;
    juce::ComboBox box;

    box.setSize (200, 24);
    EXPECT_FLOAT_EQ (lnf.getComboBoxFont (box).getHeight(), 15.0f);
    box.setSize (200, 16);
    EXPECT_FLOAT_EQ (lnf.getComboBoxFont (box).getHeight(), 13.6f);
}

TEST (LookAndFeelMetrics, ScrollbarAndAlertWindowMetrics)
{
    KestroLookAndFeel lnf;
    juce::ScrollBar bar (true);

    EXPECT_TRUE (lnf.areScrollbarButtonsVisible());
    EXPECT_EQ (lnf.getDefaultScrollbarWidth(), 18);
    EXPECT_EQ (lnf.getScrollbarButtonSize (bar), 16);
    // Drop shadow only: no title bar, not on the task bar.
    EXPECT_EQ (lnf.getAlertBoxWindowFlags(), 256);
    EXPECT_EQ (lnf.getAlertBoxWindowFlags(), (int) juce::ComponentPeer::windowHasDropShadow);
}

// "Verdana" is not installed on Debian. Without the theme's mapping JUCE would draw it with
// per-glyph fallbacks whose metrics differ from the face it reports.
TEST (LookAndFeelFonts, AMissingFaceIsDrawnWithTheDefaultSansAndKeepsItsName)
{
    if (juce::Font::findAllTypefaceNames().contains ("Verdana"))
        GTEST_SKIP() << "Verdana is installed here; nothing is substituted";

    KestroLookAndFeel lnf;
    const ScopedDefaultLookAndFeel installed (lnf);

    const juce::Font verdana ("Verdana", 15.5f, juce::Font::plain);
    const juce::Font sans (15.5f);

    EXPECT_EQ (verdana.getTypefaceName(), "Verdana");
    EXPECT_FLOAT_EQ (verdana.getHeight(), 15.5f);
    EXPECT_TRUE (verdana.getTypefacePtr()->getName().isNotEmpty());
    EXPECT_EQ (verdana.getTypefacePtr()->getName(), sans.getTypefacePtr()->getName());
    EXPECT_FLOAT_EQ (verdana.getAscent(), sans.getAscent());

    const juce::Font boldVerdana = lnf.getAlertWindowTitleFont();
    EXPECT_EQ (boldVerdana.getTypefacePtr()->getName(), sans.getTypefacePtr()->getName());
    EXPECT_GT (boldVerdana.getStringWidthFloat ("Error"), juce::Font (16.5f).getStringWidthFloat ("Error"))
        << "the bold style survives the substitution";

    // Installed faces pass through unchanged.
    const auto installedName = sans.getTypefacePtr()->getName();
    EXPECT_EQ (juce::Font (installedName, 15.0f, juce::Font::plain).getTypefacePtr()->getName(), installedName);
}

TEST (LookAndFeelFrames, ResizableFrameDrawsNothing)
{
    KestroLookAndFeel lnf;
    const auto image = paintIntoImage (60, 40, [&] (juce::Graphics& g) {
        lnf.drawResizableFrame (g, 60, 40, juce::BorderSize<int> (4));
    });

    EXPECT_EQ (strongestAlpha (image, image.getBounds()), 0);
}
