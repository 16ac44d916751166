#include "DelayedUpdateChecker.h"

#include "UsbPluginAudioProcessor.h"

void DelayedUpdateChecker::timerCallback()
{
    stopTimer();

    if (! UsbPluginAudioProcessor::s_enableAutoUpdate)
        return;

    // The update thread is started here once it exists.
}
