// The accordion column of the settings window's tabs: which heads a click opens and closes, how
// heads and panels stack, how wide the column is in its viewport, the slide to the new layout,
// and what a head paints.

#include "MessagePump.h"
#include "lookandfeel/PixelProbe.h"
#include "i18n/ScopedTranslations.h"

#include "gui/MenuPanelComponentBase.h"
#include "gui/MenuTabBase.h"
#include "gui/PanelHead.h"
#include "lookandfeel/KestroColors.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
class FixedHeightPanel : public MenuPanelComponentBase
{
public:
    explicit FixedHeightPanel (int height) : bodyHeight (height) {}

    void resized() override { openHeight = bodyHeight; }
    void updateWholePanelContent() override {}
    void discardPanelChanges() override {}

    const int bodyHeight;
};

/** A column built the way the settings window builds its tabs, with bodies of the given heights. */
class TestTab : public MenuTabBase
{
public:
    explicit TestTab (const std::vector<int>& bodyHeights)
    {
        setName ("Test");

        for (auto height : bodyHeights)
        {
            auto* head = new PanelHead ("Panel " + juce::String (numPanels));
            heads[numPanels] = head;
            addAndMakeVisible (head);
            head->addListener (this);

            auto* panel = new FixedHeightPanel (height);
            panels[numPanels] = panel;
            addAndMakeVisible (panel);
            ++numPanels;
        }

        for (int i = 0; i < numPanels; ++i)
        {
            panels[i]->resized();
            heads[i]->isOpen = true;
            heads[i]->backgroundColour = KestroColors::menuPanelBackgroundActive;
        }

        updatePanels (false);
        updateTabTooltips();
    }

    ~TestTab() override
    {
        for (int i = 0; i < numPanels; ++i)
        {
            delete panels[i];
            delete heads[i];
        }
    }

    void updateTabTooltips() override {}
};

/** A press on head `index` at x (in the head), as the mouse delivers it to the column. */
void pressHead (TestTab& tab, int index, float x)
{
    auto* head = tab.heads[index];
    const juce::Point<float> position (x, 10.0f);
    const auto now = juce::Time::getCurrentTime();
    const juce::MouseEvent e (juce::Desktop::getInstance().getMainMouseSource(), position,
                              juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier), 1.0f, 0.0f, 0.0f, 0.0f, 0.0f,
                              head, head, now, position, now, 1, false);
    tab.mouseDown (e);
}

void clickHead (TestTab& tab, int index, float x)
{
    pressHead (tab, index, x);
    tab.buttonClicked (tab.heads[index]);
}

std::vector<bool> openStates (const TestTab& tab)
{
    std::vector<bool> states;
    for (int i = 0; i < tab.numPanels; ++i)
        states.push_back (tab.heads[i]->isOpen);
    return states;
}

/** The column in a viewport of the given size, as the settings window holds it. */
struct ViewedTab
{
    ViewedTab (const std::vector<int>& bodyHeights, int width, int height)
    {
        viewport.setScrollBarsShown (true, false, false, false);
        viewport.setSize (width, height);
        tab = new TestTab (bodyHeights);
        viewport.setViewedComponent (tab, true);
        tab->updateWidth (false);
    }

    juce::Viewport viewport;
    TestTab* tab = nullptr;
};
} // namespace

//==============================================================================
struct AccordionHeadClickCase
{
    const char* name;
    std::vector<bool> before;
    int head;
    float x;   // in a head 300 px wide: the arrow zone starts after 252
    std::vector<bool> after;
};

class AccordionHeadClicks : public ::testing::TestWithParam<AccordionHeadClickCase>
{
};

TEST_P (AccordionHeadClicks, OpenAndCloseHeadsByWhereTheyAreClicked)
{
    const auto& c = GetParam();
    ViewedTab viewed (std::vector<int> (c.before.size(), 100), 300, 2000);
    auto& tab = *viewed.tab;
    ASSERT_EQ (tab.heads[0]->getWidth(), 300);

    for (size_t i = 0; i < c.before.size(); ++i)
    {
        tab.heads[i]->isOpen = c.before[i];
        tab.heads[i]->backgroundColour = c.before[i] ? KestroColors::menuPanelBackgroundActive : KestroColors::menuPanelBackgroundNonactive;
    }

    clickHead (tab, c.head, c.x);

    EXPECT_EQ (openStates (tab), c.after);
    for (int i = 0; i < tab.numPanels; ++i)
    {
        const bool open = tab.heads[i]->isOpen;
        EXPECT_EQ (tab.heads[i]->backgroundColour, open ? KestroColors::menuPanelBackgroundActive : KestroColors::menuPanelBackgroundNonactive);
        EXPECT_EQ (tab.heads[i]->textColour, open ? KestroColors::menuPanelHeadTextActive : KestroColors::menuPanelHeadTextNonactive);
        EXPECT_EQ (tab.panels[i]->backgroundColour, open ? KestroColors::menuPanelBackgroundActive : KestroColors::menuPanelBackgroundNonactive);
        EXPECT_EQ (tab.panels[i]->currentHeight, open ? 100 : 0);
    }

    juce::Desktop::getInstance().getAnimator().cancelAllAnimations (false);
}

INSTANTIATE_TEST_SUITE_P (
    Cases, AccordionHeadClicks,
    ::testing::Values (
        AccordionHeadClickCase { "LeftPartOfAClosedHeadOpensItAlone", { true, false, true }, 1, 20.0f, { false, true, false } },
        AccordionHeadClickCase { "LeftPartOfAnOpenHeadKeepsItAndClosesTheOthers", { true, true, true }, 0, 20.0f, { true, false, false } },
        AccordionHeadClickCase { "JustLeftOfTheArrowZoneActsOnAllHeads", { true, true }, 1, 252.0f, { false, true } },
        AccordionHeadClickCase { "ArrowZoneClosesOnlyThatHead", { true, true, true }, 1, 253.0f, { true, false, true } },
        AccordionHeadClickCase { "ArrowZoneOpensOnlyThatHead", { false, false, true }, 0, 299.0f, { true, false, true } }),
    [] (const auto& testInfo) { return std::string (testInfo.param.name); });

//==============================================================================
TEST (AccordionLayout, OpenBodiesOverlapTheirHeadsAndClosedPanelsStackByHeadHeightAndGap)
{
    ViewedTab viewed ({ 100, 50, 80 }, 300, 2000);
    auto& tab = *viewed.tab;

    // All open: head 0 at 0, its body from 37; the next head 5 px below that body's end.
    EXPECT_EQ (tab.heads[0]->getBounds(), juce::Rectangle<int> (0, 0, 300, 40));
    EXPECT_EQ (tab.panels[0]->getBounds(), juce::Rectangle<int> (0, 37, 300, 100));
    EXPECT_EQ (tab.heads[1]->getBounds(), juce::Rectangle<int> (0, 142, 300, 40));
    EXPECT_EQ (tab.panels[1]->getBounds(), juce::Rectangle<int> (0, 179, 300, 50));
    EXPECT_EQ (tab.heads[2]->getBounds(), juce::Rectangle<int> (0, 234, 300, 40));
    EXPECT_EQ (tab.panels[2]->getBounds(), juce::Rectangle<int> (0, 271, 300, 80));
    EXPECT_EQ (tab.getBounds(), juce::Rectangle<int> (0, 0, 300, 40 + 234 + 80));

    // Each panel lies above its own head.
    EXPECT_GT (tab.getIndexOfChildComponent (tab.panels[0]), tab.getIndexOfChildComponent (tab.heads[0]));

    for (int i = 0; i < tab.numPanels; ++i)
        tab.heads[i]->isOpen = false;
    tab.updatePanels (false);

    for (int i = 0; i < tab.numPanels; ++i)
    {
        EXPECT_EQ (tab.heads[i]->getY(), 45 * i);
        EXPECT_EQ (tab.panels[i]->getHeight(), 0);
    }
    EXPECT_EQ (tab.getHeight(), 40 + 90);
}

TEST (AccordionLayout, LeavesRoomForTheScrollbarOnlyWhileTheContentIsTallerThanTheViewport)
{
    ViewedTab viewed ({ 300, 300 }, 320, 400);
    auto& tab = *viewed.tab;

    EXPECT_EQ (tab.panelWidth, 302);
    EXPECT_EQ (tab.heads[0]->getWidth(), 302);
    EXPECT_EQ (tab.panels[1]->getWidth(), 302);
    EXPECT_EQ (tab.getWidth(), 302);

    tab.heads[1]->isOpen = false;
    tab.heads[0]->isOpen = false;
    tab.updatePanels (false);

    EXPECT_EQ (tab.panelWidth, 320);
    EXPECT_EQ (tab.heads[0]->getWidth(), 320);
    EXPECT_EQ (tab.panels[0]->getWidth(), 320);
}

TEST (AccordionLayout, AColumnOutsideAViewportKeepsItsOwnBoundsAndLaysOutAtWidthZero)
{
    TestTab tab ({ 100 });
    tab.setBounds (3, 4, 50, 60);
    tab.updatePanels (false);

    EXPECT_EQ (tab.getBounds(), juce::Rectangle<int> (3, 4, 50, 60));
    EXPECT_EQ (tab.panelWidth, 0);
    EXPECT_EQ (tab.heads[0]->getBounds(), juce::Rectangle<int> (0, 0, 0, 40));
    EXPECT_EQ (tab.panels[0]->getBounds(), juce::Rectangle<int> (0, 37, 0, 100));
}

TEST (AccordionLayout, AClickSlidesHeadsAndPanelsToTheNewLayout)
{
    ViewedTab viewed ({ 100, 100 }, 300, 2000);
    auto& tab = *viewed.tab;
    auto& animator = juce::Desktop::getInstance().getAnimator();

    clickHead (tab, 0, 20.0f);   // closes head 1

    EXPECT_TRUE (animator.isAnimating (tab.heads[1]) || animator.isAnimating (tab.panels[1]));
    EXPECT_EQ (animator.getComponentDestination (tab.panels[1]), juce::Rectangle<int> (0, 179, 300, 0));

    ASSERT_TRUE (pumpMessagesUntil ([&] { return ! animator.isAnimating(); }, 3000));
    EXPECT_EQ (tab.heads[1]->getBounds(), juce::Rectangle<int> (0, 142, 300, 40));
    EXPECT_EQ (tab.panels[1]->getBounds(), juce::Rectangle<int> (0, 179, 300, 0));
    EXPECT_EQ (tab.getHeight(), 40 + 142);

    // A layout without animation stops a slide that is still running.
    clickHead (tab, 1, 20.0f);
    tab.updatePanels (false);
    EXPECT_FALSE (animator.isAnimating());
    EXPECT_EQ (tab.heads[1]->getBounds(), juce::Rectangle<int> (0, 45, 300, 40));
    EXPECT_EQ (tab.panels[1]->getBounds(), juce::Rectangle<int> (0, 82, 300, 100));
}

//==============================================================================
TEST (AccordionHead, KeepsTheRawTooltipAndShowsItsTranslation)
{
    ScopedTranslations restore;
    juce::LocalisedStrings::setCurrentMappings (new juce::LocalisedStrings ("language: Test\n\"tt_info\" = \"About this program\"\n", false));

    PanelHead head ("Info");
    EXPECT_EQ (head.getWidth(), 140);
    EXPECT_EQ (head.getHeight(), 36);

    head.setTooltip ("tt_info");
    EXPECT_EQ (head.untranslatedTooltip, "tt_info");
    EXPECT_EQ (head.getTooltip(), "About this program");
}

TEST (AccordionHead, ArrowPointsUpWhenOpenAndTheHoverGlowCoversOnlyTheArrowZone)
{
    const int w = 300, h = 40;
    PanelHead head ("Info");
    head.setSize (w, h);
    head.backgroundColour = juce::Colour (0xff212121);
    head.textColour = juce::Colours::white;

    const auto paint = [&] (bool open, bool over, int mouseX)
    {
        head.isOpen = open;
        head.mousePosition = { mouseX, 20 };
        return paintIntoImage (w, h, [&] (juce::Graphics& g) { head.paintButton (g, over, false); });
    };

    // Just below the upward arrow's apex, and just above the downward arrow's apex.
    const juce::Rectangle<int> belowUpperApex (w - 23, 16, 1, 1), aboveLowerApex (w - 23, 23, 1, 1);
    const auto open = paint (true, false, 0), closed = paint (false, false, 0);
    EXPECT_GT (brightestChannel (open, belowUpperApex), 200);
    EXPECT_LT (brightestChannel (open, aboveLowerApex), 80);
    EXPECT_GT (brightestChannel (closed, aboveLowerApex), 200);
    EXPECT_LT (brightestChannel (closed, belowUpperApex), 80);

    // Right of the arrow inside the zone, and left of the zone.
    const juce::Rectangle<int> inZone (w - 12, 19, 2, 2);
    const juce::Rectangle<int> leftOfZone (w - 70, 4, 4, 3);
    const auto outside = paint (false, true, 100);
    const auto inside = paint (false, true, w - 20);
    EXPECT_GT (brightestChannel (inside, inZone), brightestChannel (outside, inZone) + 6);
    EXPECT_EQ (brightestChannel (inside, leftOfZone), brightestChannel (outside, leftOfZone));
}
