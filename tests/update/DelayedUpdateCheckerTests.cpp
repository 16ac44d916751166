// The automatic check five seconds after the editor opens: at most one per process, none when
// the user switched it off, none after the user checked by hand.

#include "UpdateCheckFixture.h"

#include "update/DelayedUpdateChecker.h"
#include "audio/UsbPluginAudioProcessor.h"

namespace
{
class UpdateDelayedStart : public UpdateCheckFixture
{
protected:
    void SetUp() override
    {
        UpdateCheckFixture::SetUp();
        savedSwitch = UsbPluginAudioProcessor::s_enableAutoUpdate;
        UpdateThread::m_hasAlreadyChecked = false;
        server.respondWith (200, versionsDocument ("1.6.0"));
    }

    void TearDown() override
    {
        UsbPluginAudioProcessor::s_enableAutoUpdate = savedSwitch;
        UpdateCheckFixture::TearDown();
    }

    /** Fires the timer as JUCE would, after it was started. */
    void fire()
    {
        checker.startTimer (60000);
        checker.timerCallback();
        EXPECT_FALSE (checker.isTimerRunning()) << "stops itself in every case";
    }

    DelayedUpdateChecker checker;
    bool savedSwitch = true;
};
} // namespace

TEST_F (UpdateDelayedStart, StartsTheCheckOncePerProcess)
{
    UsbPluginAudioProcessor::s_enableAutoUpdate = true;

    fire();
    EXPECT_TRUE (UpdateThread::m_hasAlreadyChecked);
    EXPECT_TRUE (pumpMessagesUntil ([&] { return listener.count == 1; }, 10000));

    fire();
    pumpMessagesFor (300);
    EXPECT_EQ (server.getRequestCount(), 1);
    EXPECT_EQ (listener.count, 1);
}

TEST_F (UpdateDelayedStart, StartsNothingWhileACheckRuns)
{
    UsbPluginAudioProcessor::s_enableAutoUpdate = true;
    server.stallEveryRequest();
    UpdateThread::getInstance()->startThread();

    fire();
    EXPECT_FALSE (UpdateThread::m_hasAlreadyChecked) << "the running check was not its own";
    EXPECT_TRUE (pumpMessagesUntil ([&] { return listener.count == 1; }, 10000));
    EXPECT_EQ (server.getRequestCount(), 1);
}

TEST_F (UpdateDelayedStart, StartsNothingWhenSwitchedOffOrAfterACheckByHand)
{
    for (const bool switchedOn : { false, true })
    {
        UsbPluginAudioProcessor::s_enableAutoUpdate = switchedOn;
        UpdateThread::m_hasAlreadyChecked = switchedOn; // on: the user checked already

        fire();
        EXPECT_FALSE (UpdateThread::getInstance()->isThreadRunning());
        EXPECT_EQ (UpdateThread::m_hasAlreadyChecked, switchedOn) << "a check that did not start is not counted";
    }

    pumpMessagesFor (300);
    EXPECT_EQ (server.getRequestCount(), 0);
    EXPECT_EQ (listener.count, 0);
}
