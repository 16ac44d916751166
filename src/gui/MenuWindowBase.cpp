#include "MenuWindowBase.h"

namespace
{
/** The display whose total area contains the point, else the one whose centre is nearest (the
    earlier one on a tie); null when there is no display at all. */
const juce::Displays::Display* displayContaining (juce::Point<int> point)
{
    const auto& displays = juce::Desktop::getInstance().getDisplays().displays;
    const juce::Displays::Display* nearest = nullptr;
    double nearestDistance = 0.0;

    for (const auto& display : displays)
    {
        if (display.totalArea.contains (point))
            return &display;

        const auto distance = display.totalArea.getCentre().getDistanceFrom (point);
        if (nearest == nullptr || distance < nearestDistance)
        {
            nearest = &display;
            nearestDistance = distance;
        }
    }

    return nearest;
}
} // namespace

MenuWindowBase::MenuWindowBase (juce::Component& ownerComponent, const juce::Image& icon)
    : juce::ResizableWindow ("Settings", juce::Colour (0x01000000), false),
      owner (&ownerComponent),
      windowIcon (icon)
{
    setOpaque (false);
    repaint();
    setDropShadowEnabled (false);
    setResizable (true, true);

    // Applying the limits to the still empty window gives it its first size, 400 x 520.
    const auto* display = displayContaining (getPosition());
    setResizeLimits (400, 520, 600, display != nullptr ? display->totalArea.getHeight() : 520);
    setAlwaysOnTop (true);
    setVisible (false);
}

void MenuWindowBase::setVisible (bool shouldBeVisible)
{
    if (shouldBeVisible && ! isOnDesktop())
        _createNativeWindow();

    juce::ResizableWindow::setVisible (shouldBeVisible);
}

void MenuWindowBase::_createNativeWindow()
{
    // Made while still hidden, so that the window is placed before it is mapped.
    addToDesktop();

    if (auto* peer = getPeer())
    {
        peer->setConstrainer (getConstrainer());
        peer->setIcon (windowIcon);
    }
}

void MenuWindowBase::visibilityChanged()
{
    if (isVisible())
        _placeBesideOwner();
}

void MenuWindowBase::userTriedToCloseWindow()
{
    setVisible (false);
}

void MenuWindowBase::_placeBesideOwner()
{
    const auto editorPosition = owner->getScreenPosition();
    const auto* display = displayContaining (editorPosition);
    if (display == nullptr)
        return;

    const auto d = display->totalArea;
    const auto t = juce::Desktop::getInstance().getDisplays().getTotalBounds (true);
    const int b = getBorderThickness().getTop();
    const int menuW = getWidth() - 2 * b, menuH = getHeight() - 2 * b;
    const int ex = editorPosition.x, ey = editorPosition.y;
    const int ew = owner->getWidth(), eh = owner->getHeight();

    // The editor's x within its display, measured from the display's own left edge: folding the
    // screen x by the display's width would be right only for displays of one width side by side.
    const int xd = ex - d.getX();
    int x;

    if (xd > d.getWidth() - xd - ew)
    {
        // Too little room on the left: the window goes to the left edge of the editor's own
        // display, not of the desktop, which could lie on another display.
        x = menuW + 15 > xd ? d.getX() : ex - 25 - menuW;
    }
    else
    {
        x = ex + ew + 15;
        if (x + menuW > d.getRight())
            x = d.getRight() - menuW - 2 * b;
    }

    int y = ey + eh / 2 - menuH / 2;

    for (const auto& area : { t, d })
    {
        if (y < area.getY())
            y = area.getY();
        else if (y + menuH > area.getBottom())
            y = area.getBottom() - menuH - 2 * b;
    }

    setBounds (x, y, menuW + 2 * b, menuH + 2 * b);
}
