#include "USBMenu.h"

#include "AudioSettingsMenuTab.h"
#include "CollapsingTabbedButtonBar.h"
#include "CollapsingTabbedComponent.h"
#include "MenuButton.h"
#include "MenuPanelComponentBase.h"
#include "PanelHead.h"
#include "SystemMenuTab.h"

#include "audio/StandaloneProcessor.h"
#include "lookandfeel/KestroColors.h"

#include <BinaryData.h>

USBMenu::USBMenu (UsbPluginAudioProcessor* processor)
    : backgroundImage (juce::ImageCache::getFromMemory (BinaryData::settings_background_png,
                                                        BinaryData::settings_background_pngSize))
{
    tabbedComponent = new CollapsingTabbedComponent (juce::TabbedButtonBar::TabsAtTop);
    addAndMakeVisible (tabbedComponent);
    tabbedComponent->setTabBarDepth (33);
    tabbedComponent->setName ("tabbedComponent");
    auto& bar = tabbedComponent->getCollapsingBar();
    bar.setMinimumTabScaleFactor (1.0);
    tabbedComponent->setColour (juce::TabbedComponent::outlineColourId, juce::Colours::transparentBlack);
    bar.tabPriorities[0] = 0;

    // Presses on the tabbed component's free area (the bar passes clicks beside its tabs on to
    // it) move the window like presses on the frame.
    tabbedComponent->addMouseListener (this, false);
    addMouseListener (tabbedComponent, false);

    systemTab = new SystemMenuTab();
    systemViewport = _installTab (*systemTab, 0);

    audioTab = new AudioSettingsMenuTab (dynamic_cast<StandaloneProcessor*> (processor));
    audioViewport = _installTab (*audioTab, 1);

    bar.setCurrentTabIndex (1, true);

    okButton = new MenuButton (juce::translate ("OK"));
    addAndMakeVisible (okButton);
    okButton->addListener (this);
}

juce::Viewport* USBMenu::_installTab (MenuTabBase& tab, int index)
{
    for (int i = 0; i < tab.numPanels; ++i)
        tab.panels[i]->resized();

    for (int i = 0; i < tab.numPanels; ++i)
    {
        tab.heads[i]->isOpen = true;
        tab.heads[i]->backgroundColour = KestroColors::menuPanelBackgroundActive;
    }

    tab.updatePanels (false);
    tab.updateTabTooltips();

    auto* viewport = new juce::Viewport (juce::String());
    viewport->setScrollBarsShown (true, false, false, false);
    viewport->setViewedComponent (&tab, true);

    // The tab is added under its untranslated name, which also picks its icon.
    tabbedComponent->addTab (tab.getName(), juce::Colours::lightgrey, viewport, true, index);
    tab.updateWidth (false);
    return viewport;
}

USBMenu::~USBMenu()
{
    // The viewports and the tabbed component only delete what still exists, so the tabs go
    // before the viewports that own them and the viewports before the tabbed component.
    delete systemTab;
    systemTab = nullptr;
    delete systemViewport;
    systemViewport = nullptr;
    delete audioTab;
    audioTab = nullptr;
    delete audioViewport;
    audioViewport = nullptr;
    delete thirdTab;
    thirdTab = nullptr;
    delete thirdViewport;
    thirdViewport = nullptr;

    removeMouseListener (tabbedComponent);
    delete tabbedComponent;
    tabbedComponent = nullptr;
    delete okButton;
    okButton = nullptr;

    backgroundImage = juce::Image();
}

//==============================================================================
void USBMenu::buttonClicked (juce::Button* b)
{
    if (b == okButton)
        if (auto* window = getParentComponent())
            window->setVisible (false);
}

void USBMenu::mouseDown (const juce::MouseEvent&)
{
    if (auto* window = getParentComponent())
        dragOrigin = window->getPosition();
}

void USBMenu::mouseDrag (const juce::MouseEvent& e)
{
    auto* window = getParentComponent();
    if (window == nullptr)
        return;

    // Both positions are relative to the event's component where it is now, so their difference
    // is the mouse's travel on the screen.
    int x = dragOrigin.x + (e.x - juce::roundToInt (e.mouseDownPosition.x));
    int y = dragOrigin.y + (e.y - juce::roundToInt (e.mouseDownPosition.y));
    const auto t = juce::Desktop::getInstance().getDisplays().getTotalBounds (true);
    const int w = getWidth(), h = getHeight();

    // With no screen listed there is nothing to keep the window on.
    if (t.isEmpty())
    {
        window->setTopLeftPosition (x, y);
        return;
    }

    if (x < t.getX())
        x = t.getX() - 4;
    else if (x + w > t.getRight())
        x = t.getRight() - w - 4;

    if (y < t.getY())
        y = t.getY() - 4;
    else if (y + h > t.getBottom())
        y = t.getBottom() - h - 4;

    window->setTopLeftPosition (x, y);
}

bool USBMenu::keyPressed (const juce::KeyPress&)
{
    return false;
}

//==============================================================================
void USBMenu::paint (juce::Graphics& g)
{
    _paintFrame (g);

    auto& bar = tabbedComponent->getTabbedButtonBar();
    const int current = bar.getCurrentTabIndex();

    if (current != lastTabIndex)
    {
        lastTabIndex = current;

        for (int i = 0; i < tabbedComponent->getNumTabs(); ++i)
            tabbedComponent->setTabBackgroundColour (i, i == current ? KestroColors::menuTabBackgroundActive
                                                                     : KestroColors::menuTabBackgroundNonactive);
    }
}

void USBMenu::_paintFrame (juce::Graphics& g)
{
    if (! backgroundImage.isValid())
        return;

    const int w = getWidth(), h = getHeight();
    const int iw = backgroundImage.getWidth(), ih = backgroundImage.getHeight();

    const auto piece = [&] (int dx, int dy, int dw, int dh, int sx, int sy, int sw, int sh)
    {
        g.drawImage (backgroundImage, dx, dy, dw, dh, sx, sy, sw, sh);
    };

    piece (0, 0, 19, 49, 0, 0, 19, 49);
    piece (w - 19, 0, 19, 49, iw - 19, 0, 19, 49);
    piece (0, h - 60, 19, 60, 0, ih - 60, 19, 60);
    piece (w - 19, h - 60, 19, 60, iw - 19, ih - 60, 19, 60);
    piece (0, 49, 19, h - 109, 0, 49, 19, ih - 109);
    piece (w - 19, 49, 19, h - 109, iw - 19, 49, 19, ih - 109);
    piece (19, 0, w - 38, 49, 19, 0, iw - 38, 49);
    piece (19, h - 60, w / 2 - 54, 60, 19, ih - 60, iw / 2 - 54, 60);
    piece (w / 2 - 35, h - 60, 70, 60, iw / 2 - 35, ih - 60, 70, 60);
    piece (w / 2 + 35, h - 60, w / 2 - 53, 60, iw / 2 + 35, ih - 60, iw / 2 - 53, 60);
}

void USBMenu::resized()
{
    const int w = getWidth(), h = getHeight();

    tabbedComponent->setBounds (14, 12, w - 28, h - 67);

    for (MenuTabBase* tab : { static_cast<MenuTabBase*> (systemTab), static_cast<MenuTabBase*> (audioTab), thirdTab })
    {
        if (tab != nullptr)
        {
            tab->updateWidth (false);
            tab->updatePanels (false);
        }
    }

    okButton->setBounds (14, h - 51, w - 28, 22);
    tabbedComponent->getCollapsingBar().updateToolTips();
}
