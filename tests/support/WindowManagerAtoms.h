#pragma once

/** Stands in for the one thing of a window manager that JUCE relies on when it creates a window:
    the window-manager protocol atoms must already exist on the X server, or JUCE registers no
    close protocol and never hears the close button. Holds an X connection for its lifetime, so a
    bare Xvfb does not reset and forget the atoms between the test's windows. */
class WindowManagerAtoms
{
public:
    WindowManagerAtoms();
    ~WindowManagerAtoms();

    bool isConnected() const noexcept { return display != nullptr; }

private:
    void* display = nullptr;
};
