#pragma once

#include "MenuTabBase.h"

class SystemMenuPanel;

/** The settings window's "System" tab: one panel, "Info" (`SystemMenuPanel`), under its head.
    Built and deleted by the settings window. Message thread only. */
class SystemMenuTab : public MenuTabBase
{
public:
    SystemMenuTab();
    ~SystemMenuTab() override;

    void updateTabTooltips() override;

    SystemMenuPanel* getInfoPanel() const;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SystemMenuTab)
};
