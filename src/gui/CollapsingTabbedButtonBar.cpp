#include "CollapsingTabbedButtonBar.h"

#include "CollapsingTabBarButton.h"
#include "CollapsingTabbedComponent.h"

#include <algorithm>

CollapsingTabbedButtonBar::CollapsingTabbedButtonBar (Orientation barOrientation, CollapsingTabbedComponent* ownerComponent)
    : juce::TabbedButtonBar (barOrientation),
      _owner (ownerComponent)
{
    std::fill (std::begin (tabWidths), std::end (tabWidths), collapsedTabWidth);

    // The framework's bar makes the component behind the front tab as its only child; this bar's
    // own layout has to place it.
    if (getNumChildComponents() > 0)
        _behindFrontTab = getChildComponent (0);
}

CollapsingTabbedButtonBar::~CollapsingTabbedButtonBar()
{
    _extrasButton.reset();
}

juce::TabBarButton* CollapsingTabbedButtonBar::createTabButton (const juce::String& tabName, int)
{
    return new CollapsingTabBarButton (tabName, *this);
}

void CollapsingTabbedButtonBar::setMinimumTabScaleFactor (double newMinimumScale)
{
    _minimumScale = newMinimumScale;
    juce::TabbedButtonBar::setMinimumTabScaleFactor (newMinimumScale);
}

void CollapsingTabbedButtonBar::lookAndFeelChanged()
{
    // The extras button comes from the theme, so a new theme makes a new one.
    _extrasButton.reset();
    juce::TabbedButtonBar::lookAndFeelChanged();
}

void CollapsingTabbedButtonBar::currentTabChanged (int newCurrentTabIndex, const juce::String& newCurrentTabName)
{
    if (_owner != nullptr)
        _owner->showTab (newCurrentTabIndex, newCurrentTabName);
}

void CollapsingTabbedButtonBar::popupMenuClickOnTab (int tabIndex, const juce::String& tabName)
{
    if (_owner != nullptr)
        _owner->popupMenuClickOnTab (tabIndex, tabName);
}

void CollapsingTabbedButtonBar::tabClicked (juce::TabBarButton& button, const juce::ModifierKeys& modifiers)
{
    const int n = std::min (getNumTabs(), maxTabs);
    const int index = indexOfTabButton (&button);
    if (index < 0)
        return;

    // The right button or the control key, on every platform (the framework's own test leaves
    // the control key out on Linux).
    if ((modifiers.getRawFlags() & (juce::ModifierKeys::rightButtonModifier | juce::ModifierKeys::ctrlModifier)) != 0)
    {
        popupMenuClickOnTab (index, button.getButtonText());
        return;
    }

    setCurrentTabIndex (index, true);

    // A tab beyond the rank table is selected but keeps no rank.
    const int rank = index < maxTabs ? tabPriorities[index] : n - 1;
    if (rank != n - 1)
    {
        for (int i = 0; i < n; ++i)
            if (tabPriorities[i] > rank)
                --tabPriorities[i];

        tabPriorities[index] = n - 1;
        resized();
    }

    updateToolTips();
}

void CollapsingTabbedButtonBar::updateToolTips()
{
    for (int i = 0; i < getNumTabs(); ++i)
        if (auto* tab = getTabButton (i))
            tab->setTooltip (tab->getWidth() > tooltipWidthLimit ? juce::String() : tab->getButtonText());
}

void CollapsingTabbedButtonBar::resized()
{
    auto& lf = getLookAndFeel();
    const int w = getWidth(), h = getHeight();
    const int depth = isVertical() ? w : h;
    const int length = isVertical() ? h : w;
    const int n = std::min (getNumTabs(), maxTabs);

    // The theme's overlap plus 10 px: neighbouring tabs overlap by this much.
    const int overlap = lf.getTabButtonOverlap (depth) + 2 * lf.getTabButtonSpaceAroundImage() + 10;

    int total = std::max (0, overlap);
    for (int i = 0; i < n; ++i)
    {
        auto* tab = static_cast<CollapsingTabBarButton*> (getTabButton (i));
        total += tab->getBestTabLength (depth) - overlap;
        tab->setOverlapPixels (std::max (0, overlap / 2));
        tabWidths[i] = tab->getBestTabLength (depth);
    }

    // Collapse the least recently clicked tabs first, all tabs of one rank at once.
    if (total > length)
    {
        for (int k = 0;; ++k)
        {
            total = std::max (0, overlap);
            for (int rank = 0; rank < n; ++rank)
            {
                for (int i = 0; i < n; ++i)
                {
                    if (tabPriorities[i] != rank)
                        continue;

                    const int width = rank <= k ? collapsedTabWidth : getTabButton (i)->getBestTabLength (depth);
                    tabWidths[i] = width;
                    total += width - overlap;
                }
            }

            if (k >= n || total <= length)
                break;
        }
    }

    int numVisible = n;
    double scale = 1.0;

    if (total > length)
    {
        if (_extrasButton == nullptr)
        {
            _extrasButton.reset (lf.createTabBarExtrasButton());
            addAndMakeVisible (_extrasButton.get());
            _extrasButton->setAlwaysOnTop (true);
            _extrasButton->setTriggeredOnMouseDown (true);
            _extrasButton->onClick = [this] { _showExtraItemsMenu(); };
        }

        const int buttonSize = std::min (proportionOfWidth (0.7f), proportionOfHeight (0.7f));
        _extrasButton->setSize (buttonSize, buttonSize);

        int extrasPosition;
        if (isVertical())
        {
            extrasPosition = h - buttonSize / 2 - 1;
            _extrasButton->setCentrePosition (w / 2, extrasPosition);
        }
        else
        {
            extrasPosition = w - buttonSize / 2 - 1;
            _extrasButton->setCentrePosition (extrasPosition, h / 2);
        }

        // Which tabs still fit beside the extras button is judged by their best lengths.
        const double minimumTabScale = getMinimumTabScaleFactor();
        int running = 0;
        for (int i = 0; i < n; ++i)
        {
            const int candidate = running + getTabButton (i)->getBestTabLength (depth);
            if (i > 0 && candidate * minimumTabScale > extrasPosition)
            {
                running += overlap;
                break;
            }

            numVisible = i + 1;
            running = candidate - overlap;
        }

        scale = std::max (minimumTabScale, extrasPosition / (double) running);
    }
    else
    {
        _extrasButton.reset();
    }

    auto& animator = juce::Desktop::getInstance().getAnimator();
    juce::TabBarButton* frontTab = nullptr;
    int position = 0;

    for (int i = 0; i < n; ++i)
    {
        auto* tab = getTabButton (i);
        const int scaled = juce::roundToInt (scale * tab->getBestTabLength (depth));

        if (i < numVisible)
        {
            juce::Rectangle<int> bounds;
            if (isVertical())
            {
                bounds = { 0, position, w, scaled };
                position += scaled - overlap;
            }
            else
            {
                bounds = { position, 0, tabWidths[i], h };
                position += tabWidths[i] - overlap;
            }

            animator.cancelAnimation (tab, false);
            tab->setBounds (bounds);
            tab->toBack();

            if (i == getCurrentTabIndex())
                frontTab = tab;

            tab->setVisible (true);
        }
        else
        {
            tab->setVisible (false);
            position += scaled - overlap;
        }
    }

    if (_behindFrontTab != nullptr)
    {
        _behindFrontTab->setBounds (getLocalBounds());

        if (frontTab != nullptr)
        {
            frontTab->toFront (false);
            _behindFrontTab->toBehind (frontTab);
        }
    }
}

void CollapsingTabbedButtonBar::_showExtraItemsMenu()
{
    juce::PopupMenu menu;

    for (int i = 0; i < getNumTabs(); ++i)
    {
        auto* tab = getTabButton (i);
        if (! tab->isVisible())
            menu.addItem (juce::PopupMenu::Item (tab->getButtonText())
                              .setTicked (i == getCurrentTabIndex())
                              .setAction ([this, i] { setCurrentTabIndex (i); }));
    }

    menu.showMenuAsync (juce::PopupMenu::Options()
                            .withDeletionCheck (*this)
                            .withTargetComponent (_extrasButton.get()));
}
