#include "CollapsingTabbedComponent.h"

#include "CollapsingTabbedButtonBar.h"

CollapsingTabbedComponent::CollapsingTabbedComponent (juce::TabbedButtonBar::Orientation orientation)
    : juce::TabbedComponent (orientation)
{
    // The framework's own bar is replaced before any tab exists, so no content refers to it.
    tabs.reset (new CollapsingTabbedButtonBar (orientation, this));
    addAndMakeVisible (tabs.get());
}

CollapsingTabbedComponent::~CollapsingTabbedComponent()
{
    // Clearing the tabs tells this component of the deselection; the framework's destructor would
    // do it only after this part of the object is gone.
    clearTabs();
}

CollapsingTabbedButtonBar& CollapsingTabbedComponent::getCollapsingBar() const noexcept
{
    return static_cast<CollapsingTabbedButtonBar&> (*tabs);
}

void CollapsingTabbedComponent::showTab (int newCurrentTabIndex, const juce::String& newCurrentTabName)
{
    auto* newContent = getTabContentComponent (getCurrentTabIndex());

    if (newContent != _shownContent.get())
    {
        if (auto* previous = _shownContent.get())
        {
            previous->setVisible (false);
            removeChildComponent (previous);
        }

        _shownContent = newContent;

        if (newContent != nullptr)
        {
            // Added first and shown afterwards, so that the content has its parent when it is
            // told of its visibility.
            addChildComponent (newContent);
            newContent->sendLookAndFeelChange();
            newContent->setVisible (true);
            newContent->toFront (true);
        }

        repaint();
    }

    resized();
    currentTabChanged (newCurrentTabIndex, newCurrentTabName);
}
