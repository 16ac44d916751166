// The settings window on the real editor: its content and layout, where it places itself beside
// the editor on the display, how far it can be dragged and from where, the "OK" button and the
// close request that only hide it, and the tab colours that follow the current tab.

#include "EditorFixture.h"
#include "MessagePump.h"
#include "lookandfeel/PixelProbe.h"

#include "gui/AudioSettingsMenuTab.h"
#include "gui/CollapsingTabBarButton.h"
#include "gui/CollapsingTabbedButtonBar.h"
#include "gui/CollapsingTabbedComponent.h"
#include "gui/MenuButton.h"
#include "gui/MenuWindowBase.h"
#include "gui/SystemMenuTab.h"
#include "gui/USBMenu.h"
#include "lookandfeel/KestroColors.h"

#include <gtest/gtest.h>

namespace
{
bool isDisplay1280By1024()
{
    const auto& displays = juce::Desktop::getInstance().getDisplays().displays;
    return displays.size() == 1 && displays.getReference (0).totalArea == juce::Rectangle<int> (0, 0, 1280, 1024)
           && displays.getReference (0).userArea == displays.getReference (0).totalArea;
}
} // namespace

//==============================================================================
using SettingsWindowContent = EditorFixture;

TEST_F (SettingsWindowContent, MenuFillsTheWindowInsideItsBorderWithTwoTabsAboveTheOkButton)
{
    auto* window = editor->menuWindow;
    auto* menu = editor->usbMenu;
    ASSERT_NE (menu, nullptr);

    EXPECT_EQ (window->getContentComponent(), menu);
    EXPECT_EQ (window->getBorderThickness(), juce::BorderSize<int> (1));
    EXPECT_EQ (menu->getBounds(), juce::Rectangle<int> (1, 1, 398, 518));
    EXPECT_FALSE (window->isOpaque());
    // Without a compositor the framework makes the window's colour opaque.
    EXPECT_EQ (window->getBackgroundColour(), juce::Desktop::canUseSemiTransparentWindows() ? juce::Colour (0x01000000)
                                                                                            : juce::Colour (0xff000000));

    auto* tabs = menu->tabbedComponent;
    EXPECT_EQ (tabs->getName(), "tabbedComponent");
    EXPECT_EQ (tabs->getBounds(), juce::Rectangle<int> (14, 12, 370, 451));
    EXPECT_EQ (tabs->getTabBarDepth(), 33);
    EXPECT_EQ (tabs->getTabNames(), juce::StringArray ({ "System", "Audio" }));
    EXPECT_EQ (tabs->getCurrentTabIndex(), 1) << "the Audio tab is shown first";
    EXPECT_EQ (tabs->getCurrentContentComponent(), menu->audioViewport);
    EXPECT_EQ (tabs->getTabContentComponent (0), menu->systemViewport);
    EXPECT_EQ (menu->systemViewport->getViewedComponent(), menu->systemTab);
    EXPECT_EQ (menu->audioViewport->getViewedComponent(), menu->audioTab);
    EXPECT_EQ (menu->systemTab->getName(), "System");
    EXPECT_EQ (menu->audioTab->getName(), "Audio");
    EXPECT_EQ (tabs->getCollapsingBar().tabPriorities[0], 0) << "selecting by program ranks nothing";
    EXPECT_EQ (tabs->getCollapsingBar().tabPriorities[1], 0);
    EXPECT_DOUBLE_EQ (tabs->getCollapsingBar().getMinimumTabScaleFactor(), 1.0);

    EXPECT_EQ (menu->okButton->getButtonText(), "OK");
    EXPECT_EQ (menu->okButton->getBounds(), juce::Rectangle<int> (14, 467, 370, 22));

    for (auto key : { juce::KeyPress (juce::KeyPress::escapeKey), juce::KeyPress (juce::KeyPress::returnKey), juce::KeyPress ('a') })
        EXPECT_FALSE (menu->keyPressed (key));
}

TEST_F (SettingsWindowContent, ResizingWithinTheLimitsReLaysOutTheMenu)
{
    auto* window = editor->menuWindow;
    auto* constrainer = window->getConstrainer();
    ASSERT_NE (constrainer, nullptr);
    EXPECT_EQ (constrainer->getMinimumWidth(), 400);
    EXPECT_EQ (constrainer->getMinimumHeight(), 520);
    EXPECT_EQ (constrainer->getMaximumWidth(), 600);
    const auto* display = juce::Desktop::getInstance().getDisplays().getDisplayForPoint (window->getPosition());
    ASSERT_NE (display, nullptr);
    EXPECT_EQ (constrainer->getMaximumHeight(), std::max (520, display->totalArea.getHeight()));

    window->setSize (600, 700);
    auto* menu = editor->usbMenu;
    EXPECT_EQ (menu->getBounds(), juce::Rectangle<int> (1, 1, 598, 698));
    EXPECT_EQ (menu->tabbedComponent->getBounds(), juce::Rectangle<int> (14, 12, 570, 631));
    EXPECT_EQ (menu->okButton->getBounds(), juce::Rectangle<int> (14, 647, 570, 22));
    EXPECT_EQ (menu->audioTab->getWidth(), menu->audioViewport->getWidth()) << "the tab follows its viewport";
}

TEST_F (SettingsWindowContent, PaintsTheFrameAndGivesTheCurrentTabTheActiveColour)
{
    auto* menu = editor->usbMenu;
    auto* tabs = menu->tabbedComponent;

    const auto first = menu->createComponentSnapshot (menu->getLocalBounds(), true, 1.0f);
    EXPECT_TRUE (isNear (first.getPixelAt (5, 300), juce::Colour (0xffdddee0), 12)) << "the light frame at the side";
    EXPECT_LT (first.getPixelAt (0, 0).getAlpha(), 128) << "the rounded corner shows the desktop";
    EXPECT_EQ (tabs->getTabBackgroundColour (1), KestroColors::menuTabBackgroundActive);
    EXPECT_EQ (tabs->getTabBackgroundColour (0), KestroColors::menuTabBackgroundNonactive);

    auto* systemButton = static_cast<CollapsingTabBarButton*> (tabs->getTabbedButtonBar().getTabButton (0));
    systemButton->clicked (juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier));
    EXPECT_EQ (tabs->getCurrentContentComponent(), menu->systemViewport);
    EXPECT_FALSE (menu->audioViewport->isVisible());
    EXPECT_EQ (tabs->getCollapsingBar().tabPriorities[0], 1);

    menu->createComponentSnapshot (menu->getLocalBounds(), true, 1.0f);
    EXPECT_EQ (menu->lastTabIndex, 0);
    EXPECT_EQ (tabs->getTabBackgroundColour (0), KestroColors::menuTabBackgroundActive);
    EXPECT_EQ (tabs->getTabBackgroundColour (1), KestroColors::menuTabBackgroundNonactive);
}

//==============================================================================
using SettingsWindowHiding = EditorFixture;

TEST_F (SettingsWindowHiding, OkAndTheCloseRequestOnlyHideTheWindowAndKeepItsState)
{
    auto* window = editor->menuWindow;
    auto* menu = editor->usbMenu;
    auto* tabs = menu->tabbedComponent;

    editor->buttonClicked (&editor->settingsButton);
    ASSERT_TRUE (window->isVisible());
    tabs->setCurrentTabIndex (0);

    menu->okButton->triggerClick();
    EXPECT_TRUE (pumpMessagesUntil ([&] { return ! window->isVisible(); }, 2000)) << "OK hides the window";

    editor->buttonClicked (&editor->settingsButton);
    ASSERT_TRUE (window->isVisible());
    window->userTriedToCloseWindow();
    EXPECT_FALSE (window->isVisible());

    EXPECT_EQ (editor->menuWindow, window);
    EXPECT_EQ (editor->usbMenu, menu);
    EXPECT_EQ (window->getContentComponent(), menu);
    EXPECT_EQ (tabs->getCurrentTabIndex(), 0) << "the tabs keep their state while hidden";
    EXPECT_TRUE (window->isAlwaysOnTop());
}

//==============================================================================
struct SettingsWindowPlacementCase
{
    const char* name;
    juce::Point<int> editorPosition;
    int windowWidth;
    juce::Point<int> expected;
};

class SettingsWindowPlacement : public EditorFixture,
                                public ::testing::WithParamInterface<SettingsWindowPlacementCase>
{
};

// On a 1280 x 1024 display, with the 220 x 300 editor and a window of 400 (or 600) x 520.
TEST_P (SettingsWindowPlacement, PlacesTheWindowBesideTheEditorWithinTheDisplay)
{
    if (! isDisplay1280By1024())
        GTEST_SKIP() << "the cases are worked out for one 1280 x 1024 display";

    const auto& c = GetParam();
    auto* window = editor->menuWindow;
    window->setSize (c.windowWidth, 520);
    editor->setTopLeftPosition (c.editorPosition);

    window->setVisible (true);
    EXPECT_EQ (window->getBounds(), juce::Rectangle<int> (c.expected.x, c.expected.y, c.windowWidth, 520));

    // A second show from the same editor position gives the same place.
    window->setVisible (false);
    window->setVisible (true);
    EXPECT_EQ (window->getPosition(), c.expected);
    window->setVisible (false);
}

INSTANTIATE_TEST_SUITE_P (
    Cases, SettingsWindowPlacement,
    ::testing::Values (
        SettingsWindowPlacementCase { "MoreRoomRightGoes15PxRightOfTheEditor", { 100, 300 }, 400, { 335, 191 } },
        SettingsWindowPlacementCase { "EqualRoomGoesRight", { 530, 300 }, 400, { 765, 191 } },
        SettingsWindowPlacementCase { "PushedLeftToEndAtTheDisplaysRightEdge", { 510, 300 }, 600, { 680, 191 } },
        SettingsWindowPlacementCase { "MoreRoomLeftGoes25PxLeftOfTheEditor", { 960, 300 }, 400, { 537, 191 } },
        SettingsWindowPlacementCase { "TooLittleRoomLeftGoesToTheDisplaysLeftEdge", { 580, 300 }, 600, { 0, 191 } },
        SettingsWindowPlacementCase { "EditorPartlyOffTheLeftEdgeGoesRight", { -50, 300 }, 400, { 185, 191 } },
        SettingsWindowPlacementCase { "NearTheTopStaysOnTheDisplay", { 100, -200 }, 400, { 335, 0 } },
        SettingsWindowPlacementCase { "NearTheBottomEndsAtTheDisplaysBottom", { 100, 1000 }, 400, { 335, 504 } }),
    [] (const auto& testInfo) { return std::string (testInfo.param.name); });

//==============================================================================
/** Drives the shown window with mouse events through its native peer, so that hit-testing and
    the mouse listeners decide which component gets them. */
class SettingsWindowDragging : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        if (IsSkipped())
            return;

        window = editor->menuWindow;
        menu = editor->usbMenu;
        editor->setTopLeftPosition (100, 300);
        window->setVisible (true);
        ASSERT_NE (window->getPeer(), nullptr);
    }

    void TearDown() override
    {
        if (window != nullptr)
            window->setVisible (false);
        EditorFixture::TearDown();
    }

    /** Presses at `menuPoint` in the menu, drags by `travel` on the screen in two steps and
        releases. */
    void drag (juce::Point<int> menuPoint, juce::Point<int> travel)
    {
        const auto start = menu->localPointToGlobal (menuPoint);
        const juce::ModifierKeys down (juce::ModifierKeys::leftButtonModifier);
        send (start, down);
        send (start + travel / 2, down);
        send (start + travel, down);
        send (start + travel, juce::ModifierKeys());
    }

    void send (juce::Point<int> screenPoint, juce::ModifierKeys modifiers)
    {
        auto* peer = window->getPeer();
        const auto inPeer = (screenPoint - window->getScreenPosition()).toFloat();
        peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse, inPeer, modifiers,
                                juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                                juce::Time::currentTimeMillis());
    }

    MenuWindowBase* window = nullptr;
    USBMenu* menu = nullptr;
};

TEST_F (SettingsWindowDragging, DragsFromTheFrameAndTheFreePartOfTheTabBarMoveTheWindow)
{
    const auto placed = window->getPosition();

    drag ({ 5, 300 }, { 30, 20 });
    EXPECT_EQ (window->getPosition(), placed + juce::Point<int> (30, 20)) << "frame beside the tabs";

    // The bar passes presses beside its tabs on to the tabbed component.
    const auto bar = menu->tabbedComponent->getBounds().withHeight (33);
    drag ({ bar.getRight() - 10, bar.getCentreY() }, { -40, 10 });
    EXPECT_EQ (window->getPosition(), placed + juce::Point<int> (-10, 30)) << "empty part of the tab bar";
}

TEST_F (SettingsWindowDragging, DragsFromTheOkButtonATabOrAHeadDoNotMoveTheWindow)
{
    const auto placed = window->getPosition();

    drag (menu->okButton->getBounds().getCentre(), { 30, 20 });
    EXPECT_EQ (window->getPosition(), placed);
    EXPECT_TRUE (window->isVisible()) << "the drag ended outside the button";

    const auto* audioTabButton = menu->tabbedComponent->getTabbedButtonBar().getTabButton (1);
    drag (menu->getLocalPoint (audioTabButton, audioTabButton->getLocalBounds().getCentre()), { 30, 20 });
    EXPECT_EQ (window->getPosition(), placed);
}

TEST_F (SettingsWindowDragging, StopsFourPixelsBeyondTheLeftAndTopAndShortOfTheRightAndBottom)
{
    if (! isDisplay1280By1024())
        GTEST_SKIP() << "the limits are worked out for one 1280 x 1024 display";

    drag ({ 5, 300 }, { -3000, -3000 });
    EXPECT_EQ (window->getPosition(), juce::Point<int> (-4, -4));

    drag ({ 5, 300 }, { 5000, 5000 });
    EXPECT_EQ (window->getPosition(), juce::Point<int> (1280 - 398 - 4, 1024 - 518 - 4)) << "measured with the content's size";

    // The placement on the next show gives the dragged position up.
    window->setVisible (false);
    window->setVisible (true);
    EXPECT_EQ (window->getPosition(), juce::Point<int> (335, 191));
}
