#include "NotifyListenerMessage.h"

#include "UpdateThread.h"

void NotifyListenerMessage::messageCallback()
{
    if (auto* thread = UpdateThread::getInstanceWithoutCreating())
        if (thread->m_listener != nullptr)
            thread->m_listener->finishedUpdateCheck();
}
