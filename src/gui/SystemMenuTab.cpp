#include "SystemMenuTab.h"

#include "PanelHead.h"
#include "SystemMenuPanel.h"

SystemMenuTab::SystemMenuTab()
{
    setName ("System");

    heads[0] = new PanelHead ("Info");
    addAndMakeVisible (heads[0]);
    heads[0]->addListener (this);

    panels[0] = new SystemMenuPanel();
    addAndMakeVisible (panels[0]);
    numPanels = 1;
}

SystemMenuTab::~SystemMenuTab()
{
    for (int i = 0; i < numPanels; ++i)
    {
        delete panels[i];
        panels[i] = nullptr;
        delete heads[i];
        heads[i] = nullptr;
    }
}

void SystemMenuTab::updateTabTooltips()
{
    heads[0]->setTooltip (juce::translate ("tt_info"));
}

SystemMenuPanel* SystemMenuTab::getInfoPanel() const
{
    return dynamic_cast<SystemMenuPanel*> (panels[0]);
}
