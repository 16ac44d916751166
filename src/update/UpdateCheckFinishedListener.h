#pragma once

/** Told on the message thread that an update check has ended; the receiver then reads the
    update thread's status text under UpdateThread::m_stringLock. */
class UpdateCheckFinishedListener
{
public:
    virtual ~UpdateCheckFinishedListener() = default;

    virtual void finishedUpdateCheck() = 0;
};
