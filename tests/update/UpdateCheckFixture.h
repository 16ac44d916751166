#pragma once

#include "LocalHttpServer.h"
#include "MessagePump.h"

#include "update/UpdateThread.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <gtest/gtest.h>

/** Counts the update thread's notifications. */
struct CountingUpdateListener : public UpdateCheckFinishedListener
{
    void finishedUpdateCheck() override { ++count; }

    int count = 0;
};

/** Tests that open the new-version dialog need an X display (xvfb-run). */
inline bool hasDisplay()
{
    return juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() != nullptr;
}

/** Every new-version dialog on the desktop. */
inline juce::Array<juce::DialogWindow*> openDialogWindows()
{
    juce::Array<juce::DialogWindow*> dialogs;
    auto& desktop = juce::Desktop::getInstance();

    for (int i = 0; i < desktop.getNumComponents(); ++i)
        if (auto* dialog = dynamic_cast<juce::DialogWindow*> (desktop.getComponent (i)))
            dialogs.add (dialog);

    return dialogs;
}

/** Dismisses every open dialog and waits until the framework has deleted them. */
inline void dismissOpenDialogs()
{
    for (auto* dialog : openDialogWindows())
        dialog->exitModalState (0);

    pumpMessagesUntil ([] { return openDialogWindows().isEmpty(); }, 5000);
}

/** Points the process-wide update thread at a local server for one test and puts back what the
    test changes: the server, the status text, the listener and the "already checked" flag. Every
    check started in the test has ended, and its messages have been delivered, when it ends. */
class UpdateCheckFixture : public ::testing::Test
{
protected:
    static constexpr int testTimeoutMs = 1000;

    void SetUp() override
    {
        ASSERT_TRUE (server.isListening());
        auto* thread = UpdateThread::getInstance();

        // An automatic check of an earlier test's editor may still be on its way.
        ASSERT_TRUE (thread->waitForThreadToExit (15000));
        pumpMessagesFor (20);

        savedServer = thread->getServer();
        savedTimeoutMs = thread->getConnectionTimeoutMs();
        savedDeadlineMs = thread->getCheckDeadlineMs();
        savedListener = thread->m_listener;
        savedAlreadyChecked = UpdateThread::m_hasAlreadyChecked;
        {
            const juce::ScopedLock sl (UpdateThread::m_stringLock);
            savedStatus = thread->m_statusText;
        }

        thread->setServer (server.getBaseUrl(), testTimeoutMs);
        thread->m_listener = &listener;
    }

    void TearDown() override
    {
        auto* thread = UpdateThread::getInstance();
        EXPECT_TRUE (thread->waitForThreadToExit (10000));
        pumpMessagesFor (50);
        dismissOpenDialogs();

        thread->setServer (savedServer, savedTimeoutMs);
        thread->setCheckDeadline (savedDeadlineMs);
        thread->m_listener = savedListener;
        UpdateThread::m_hasAlreadyChecked = savedAlreadyChecked;
        const juce::ScopedLock sl (UpdateThread::m_stringLock);
        thread->m_statusText = savedStatus;
    }

    /** Starts one check and waits for its notification; returns the status text then. */
    juce::String runCheck (int timeoutMs = 10000)
    {
        const auto before = listener.count;
        UpdateThread::getInstance()->startThread();
        EXPECT_TRUE (pumpMessagesUntil ([&] { return listener.count > before; }, timeoutMs)) << "no notification";
        return statusText();
    }

    static juce::String statusText()
    {
        const juce::ScopedLock sl (UpdateThread::m_stringLock);
        return UpdateThread::getInstance()->m_statusText;
    }

    static juce::String versionsDocument (const juce::String& versionText, const juce::String& downloadUrl = "https://dl.example/new")
    {
        return "<?xml version=\"1.0\"?><products><kestrovantrel><versions><version versionstring=\"" + versionText
             + "\" downloadurl=\"" + downloadUrl + "\"/></versions></kestrovantrel></products>";
    }

    LocalHttpServer server;
    CountingUpdateListener listener;

private:
    juce::URL savedServer;
    int savedTimeoutMs = 0;
    int savedDeadlineMs = 0;
    UpdateCheckFinishedListener* savedListener = nullptr;
    bool savedAlreadyChecked = false;
    juce::String savedStatus;
};
