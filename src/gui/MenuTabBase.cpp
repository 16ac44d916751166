#include "MenuTabBase.h"

#include "MenuPanelComponentBase.h"
#include "PanelHead.h"

#include "lookandfeel/KestroColors.h"

MenuTabBase::MenuTabBase()
{
    // Presses on the heads reach the column before the heads' clicks do, so that the click
    // knows whether it hit the arrow zone.
    addMouseListener (this, true);
}

MenuTabBase::~MenuTabBase()
{
    removeMouseListener (this);
}

void MenuTabBase::mouseDown (const juce::MouseEvent& e)
{
    toggleSingle = false;

    for (int i = 0; i < numPanels; ++i)
    {
        auto* head = heads[i];
        if (head == nullptr || e.originalComponent != head)
            continue;

        const int x = juce::roundToInt (e.getEventRelativeTo (head).position.x);
        if (x > head->getWidth() - toggleZoneWidth)
        {
            toggleSingle = true;
            break;
        }
    }
}

void MenuTabBase::paint (juce::Graphics& g)
{
    g.fillAll (KestroColors::dark_grey);
}

void MenuTabBase::resized() {}

void MenuTabBase::buttonClicked (juce::Button* button)
{
    int clicked = -1;
    for (int i = 0; i < numPanels; ++i)
        if (heads[i] == button)
            clicked = i;

    if (clicked < 0)
        return;

    if (toggleSingle)
    {
        auto* head = heads[clicked];
        head->isOpen = ! head->isOpen;
        head->backgroundColour = head->isOpen ? KestroColors::menuPanelBackgroundActive
                                              : KestroColors::menuPanelBackgroundNonactive;
    }
    else
    {
        for (int i = 0; i < numPanels; ++i)
        {
            heads[i]->isOpen = false;
            heads[i]->backgroundColour = KestroColors::menuPanelBackgroundNonactive;
        }

        heads[clicked]->isOpen = true;
        heads[clicked]->backgroundColour = KestroColors::menuPanelBackgroundActive;
    }

    updatePanels (true);
}

void MenuTabBase::updatePanels (bool animate)
{
    for (int i = 0; i < numPanels; ++i)
    {
        auto* head = heads[i];
        auto* panel = panels[i];

        if (head->isOpen)
        {
            panel->backgroundColour = KestroColors::menuPanelBackgroundActive;
            head->textColour = KestroColors::menuPanelHeadTextActive;
            panel->currentHeight = panel->openHeight;
        }
        else
        {
            panel->backgroundColour = KestroColors::menuPanelBackgroundNonactive;
            head->textColour = KestroColors::menuPanelHeadTextNonactive;
            panel->currentHeight = 0;
        }

        // A colour change without a change of bounds would otherwise not be shown.
        head->repaint();
        panel->repaint();
    }

    for (int i = 1; i < numPanels; ++i)
    {
        const auto* previous = panels[i - 1];
        panels[i]->panelTop = previous->panelTop + headHeight + gap + previous->currentHeight
                              - (heads[i - 1]->isOpen ? 3 : 0);
    }

    // An open body overlaps the bottom 3 pixels of its own head.
    for (int i = 0; i < numPanels; ++i)
        panels[i]->contentTop = panels[i]->panelTop + headHeight - 3;

    updateWidth (animate);
}

void MenuTabBase::updateWidth (bool animate)
{
    auto* parent = getParentComponent();
    auto* viewport = parent != nullptr ? parent->getParentComponent() : nullptr;

    int parentHeight = 0;
    if (parent != nullptr)
        parentHeight = parent->getHeight();
    else if (const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay())
        parentHeight = display->userArea.getHeight();

    const auto* last = numPanels > 0 ? panels[numPanels - 1] : nullptr;
    const int contentHeight = last != nullptr ? headHeight + last->panelTop + last->currentHeight : 0;

    if (viewport != nullptr)
    {
        panelWidth = viewport->getWidth() - 2 * marginX;
        if (parentHeight != 0 && contentHeight > parentHeight)
            panelWidth -= scrollbarWidth;

        _placeComponent (*this, { getX(), getY(), panelWidth, contentHeight }, animate);
    }

    for (int i = 0; i < maxPanels; ++i)
    {
        if (animate && i >= numPanels)
            break;

        if (auto* head = heads[i])
            _placeComponent (*head, { marginX, panels[i] != nullptr ? panels[i]->panelTop : 0, panelWidth, headHeight }, animate);

        if (auto* panel = panels[i])
            _placeComponent (*panel, { marginX, panel->contentTop, panelWidth, panel->currentHeight }, animate);
    }
}

void MenuTabBase::_placeComponent (juce::Component& component, juce::Rectangle<int> bounds, bool animate)
{
    auto& animator = juce::Desktop::getInstance().getAnimator();

    if (animate)
    {
        animator.animateComponent (&component, bounds, 1.0f, animationMs, false, 0.0, 1.5);
    }
    else
    {
        // A running slide would otherwise carry the component on past the new layout.
        animator.cancelAnimation (&component, false);
        component.setBounds (bounds);
    }
}
