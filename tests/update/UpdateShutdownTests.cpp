// The application's shutdown takes the update thread with it, even in the middle of a download.

#include "UpdateCheckFixture.h"
#include "RecordingMidiPortProvider.h"
#include "ScopedTemporaryHome.h"
#include "VirtualDeviceRegistry.h"

#include "app/InstrumentsStandaloneApplication.h"
#include "app/MainWindow.h"
#include "update/UpdateThread.h"

#include <gtest/gtest.h>

namespace
{
class QuietApplication : public InstrumentsStandaloneApplication
{
public:
    using InstrumentsStandaloneApplication::InstrumentsStandaloneApplication;

    void systemRequestedQuit() override {}
};
} // namespace

TEST (UpdateShutdown, DeletesTheUpdateThreadAfterTheWindowAndAbandonsARunningDownload)
{
    if (! hasDisplay())
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";

    ScopedTemporaryHome home;
    const auto folder = juce::File::createTempFile ("kestro-update");
    ASSERT_TRUE (folder.createDirectory());
    VirtualDeviceRegistry devices;
    devices.addDevice (VirtualDeviceDescription::input ("Studio Interface", 2));
    auto midiPorts = std::make_shared<RecordingMidiPortProvider>();

    LocalHttpServer server;
    server.stallEveryRequest();
    const auto savedAlreadyChecked = UpdateThread::m_hasAlreadyChecked;

    {
        QuietApplication app (ApplicationContext { folder, devices.makeFactory(), midiPorts, {} });
        app.initialise ({});
        ASSERT_NE (app.getMainWindow(), nullptr);

        auto* thread = UpdateThread::getInstance();
        ASSERT_TRUE (thread->waitForThreadToExit (15000));
        thread->setServer (server.getBaseUrl(), 30000);
        thread->startThread();
        ASSERT_TRUE (pumpMessagesUntil ([&] { return server.getRequestCount() == 1; }, 5000));

        const auto started = juce::Time::getMillisecondCounter();
        app.shutdown();
        EXPECT_LT (juce::Time::getMillisecondCounter() - started, 5000u);
        EXPECT_EQ (app.getMainWindow(), nullptr);
        EXPECT_EQ (UpdateThread::getInstanceWithoutCreating(), nullptr);
    }

    pumpMessagesFor (100);
    UpdateThread::m_hasAlreadyChecked = savedAlreadyChecked;
    folder.deleteRecursively();
}
