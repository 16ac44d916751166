#include "DelayedUpdateChecker.h"

#include "audio/UsbPluginAudioProcessor.h"
#include "UpdateThread.h"

void DelayedUpdateChecker::timerCallback()
{
    stopTimer();

    if (! UsbPluginAudioProcessor::s_enableAutoUpdate)
        return;

    auto* updateThread = UpdateThread::getInstance();

    if (! updateThread->isThreadRunning() && ! UpdateThread::m_hasAlreadyChecked)
    {
        updateThread->startThread();
        UpdateThread::m_hasAlreadyChecked = true;
    }
}
