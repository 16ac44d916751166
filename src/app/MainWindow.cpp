#include "MainWindow.h"

#include "audio/StandaloneProcessor.h"
#include "gui/UsbPluginAudioProcessorEditor.h"

MainWindow::MainWindow()
    : juce::DocumentWindow ("Kestro Vantrel Standalone", juce::Colour (0x00000000),
                            juce::DocumentWindow::minimiseButton, true)
{
}

MainWindow::~MainWindow()
{
    clearContentComponent();

    if (processor != nullptr && editor != nullptr)
        processor->editorBeingDeleted (editor.get());

    // The editor points to the processor, and the processor holds the look-and-feel the editor
    // draws with: the editor goes first.
    editor.reset();
    processor.reset();
}

void MainWindow::userTriedToCloseWindow()
{
    closeButtonPressed();
}

void MainWindow::closeButtonPressed()
{
    if (auto* app = juce::JUCEApplicationBase::getInstance())
        app->systemRequestedQuit();
}
