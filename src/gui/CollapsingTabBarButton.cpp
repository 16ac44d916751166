#include "CollapsingTabBarButton.h"

#include "CollapsingTabbedButtonBar.h"

CollapsingTabBarButton::CollapsingTabBarButton (const juce::String& name, CollapsingTabbedButtonBar& bar)
    : juce::TabBarButton (name, bar),
      _bar (bar)
{
}

CollapsingTabBarButton::~CollapsingTabBarButton() = default;

void CollapsingTabBarButton::clicked (const juce::ModifierKeys& modifiers)
{
    _bar.tabClicked (*this, modifiers);
}

void CollapsingTabBarButton::clicked()
{
    clicked (juce::ModifierKeys::currentModifiers);
}
