// One update check against a local server: what the status text says afterwards, whether the
// new-version dialog opens, how often the listener hears of it, and how the check ends when the
// server misbehaves or the program shuts down during the download.

#include "UpdateCheckFixture.h"
#include "i18n/ScopedTranslations.h"

#include "i18n/TranslationTable.h"
#include "update/UpdateComponent.h"
#include "update/UpdateDownload.h"

#include <regex>

namespace
{
enum class ServerBehaviour { respond, refuse, stall };

struct CheckCase
{
    const char* name;
    ServerBehaviour behaviour;
    int status;
    juce::String body;
    const char* statusKey;
    bool opensDialog;
};

juce::String document (const juce::String& versionText)
{
    return "<?xml version=\"1.0\"?><products><kestrovantrel><versions><version versionstring=\"" + versionText
         + "\" downloadurl=\"https://dl.example/" + versionText + "\"/></versions></kestrovantrel></products>";
}

/** A versions document listing only the running version, filled with blanks after its root to
    `size` bytes. */
juce::String documentOfSize (int size)
{
    const auto text = document ("1.6.0");
    return text + juce::String::repeatedString (" ", size - (int) text.getNumBytesAsUTF8());
}

std::vector<CheckCase> checkCases()
{
    return {
        { "Newer", ServerBehaviour::respond, 200, document ("1.6.1"), "newVersionAvailableTitle", true },
        { "Same", ServerBehaviour::respond, 200, document ("1.6.0"), "noNewVersionAvailable", false },
        { "Older", ServerBehaviour::respond, 200, document ("1.5.2"), "noNewVersionAvailable", false },
        { "AbsurdVersion", ServerBehaviour::respond, 200, document ("1.99999999999.0"), "noNewVersionAvailable", false },
        { "WellFormedWithoutProduct", ServerBehaviour::respond, 200, "<html><body>maintenance</body></html>", "noNewVersionAvailable", false },
        { "Malformed", ServerBehaviour::respond, 200, document ("1.7.0").dropLastCharacters (20), "errorCheckingVersion", false },
        { "EmptyBody", ServerBehaviour::respond, 200, "", "errorCheckingVersion", false },
        { "BodyOfTheLongestLength", ServerBehaviour::respond, 200, documentOfSize (UpdateDownload::maxBodyBytes), "noNewVersionAvailable", false },
        { "BodyOneByteTooLong", ServerBehaviour::respond, 200, documentOfSize (UpdateDownload::maxBodyBytes + 1), "errorCheckingVersion", false },
        // An error page is no answer from the versions document, even a well-formed one listing a newer version.
        { "NotFound", ServerBehaviour::respond, 404, document ("1.7.0"), "errorCheckingVersion", false },
        { "ServerError", ServerBehaviour::respond, 500, "<error/>", "errorCheckingVersion", false },
        { "Refused", ServerBehaviour::refuse, 0, "", "errorCheckingVersion", false },
        { "Stalled", ServerBehaviour::stall, 0, "", "errorCheckingVersion", false },
    };
}

/** How many threads of this process carry the name (threads a thread starts inherit its name). */
int threadsNamed (const juce::String& name)
{
    int count = 0;

    for (const auto& task : juce::File ("/proc/self/task").findChildFiles (juce::File::findDirectories, false))
        if (task.getChildFile ("comm").loadFileAsString().trim() == name)
            ++count;

    return count;
}

/** "May 11 2020 / 17:14:53" */
bool isTimeOfCheck (const juce::String& text)
{
    static const std::regex pattern ("(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) [0-3][0-9] [0-9]{4} / [0-2][0-9]:[0-5][0-9]:[0-5][0-9]");
    return std::regex_match (text.toStdString(), pattern);
}

class UpdateThreadCheck : public UpdateCheckFixture,
                          public ::testing::WithParamInterface<CheckCase>
{
};
} // namespace

TEST_P (UpdateThreadCheck, ReportsTheResultInTheStatusAndOpensTheDialogOnlyForANewerVersion)
{
    const auto& c = GetParam();

    if (c.opensDialog && ! hasDisplay())
        GTEST_SKIP() << "opens a window: needs an X display (run under xvfb-run)";

    ScopedTranslations savedTranslations;
    TranslationTable::installForLanguage ("en-GB");

    if (c.behaviour == ServerBehaviour::respond)
        server.respondWith (c.status, c.body);
    else if (c.behaviour == ServerBehaviour::stall)
        server.stallEveryRequest();
    else
        UpdateThread::getInstance()->setServer (LocalHttpServer::refusingBaseUrl(), testTimeoutMs);

    const auto started = juce::Time::getMillisecondCounter();
    const auto status = runCheck();
    const auto elapsed = juce::Time::getMillisecondCounter() - started;

    const auto lines = juce::StringArray::fromLines (status);
    ASSERT_EQ (lines.size(), 2) << status;
    EXPECT_EQ (lines[0], juce::translate (c.statusKey));
    EXPECT_TRUE (lines[1].startsWith ("Last check ")) << lines[1];
    EXPECT_TRUE (isTimeOfCheck (lines[1].fromFirstOccurrenceOf ("Last check ", false, false))) << lines[1];

    pumpMessagesFor (100);
    EXPECT_EQ (listener.count, 1) << "notified once per check";
    EXPECT_EQ (openDialogWindows().size(), c.opensDialog ? 1 : 0);

    if (c.behaviour != ServerBehaviour::refuse)
    {
        EXPECT_EQ (server.getRequestedPaths(), juce::StringArray ("/Software_Versions/software-versions.xml"));
    }

    if (c.behaviour == ServerBehaviour::stall)
    {
        EXPECT_LT (elapsed, 5000u) << "the connection time-out ends a stalled download";
    }
}

INSTANTIATE_TEST_SUITE_P (UpdateServer, UpdateThreadCheck, ::testing::ValuesIn (checkCases()),
                          [] (const ::testing::TestParamInfo<CheckCase>& caseInfo) { return std::string (caseInfo.param.name); });

//==============================================================================
using UpdateThreadStatus = UpdateCheckFixture;

TEST_F (UpdateThreadStatus, StatusTextsFollowTheInstalledLanguage)
{
    ScopedTranslations savedTranslations;

    struct LanguageCase
    {
        const char* tag;
        const char* noNewVersion;
        const char* error;
        const char* lastCheck;
    };

    const LanguageCase languages[] = {
        { "en-US", "No new version.", "There was an error checking for the latest version.", "Last check " },
        { "de-DE", "Keine neue Version.", "Es ist ein Fehler aufgetreten bei der \xc3\x9c" "berpr\xc3\xbc" "fung auf eine neue Version.",
          "Letzte \xc3\x9c" "berpr\xc3\xbc" "fung " },
    };

    for (const auto& language : languages)
    {
        TranslationTable::installForLanguage (language.tag);

        server.respondWith (200, versionsDocument ("1.6.0"));
        auto lines = juce::StringArray::fromLines (runCheck());
        ASSERT_EQ (lines.size(), 2);
        EXPECT_EQ (lines[0], juce::CharPointer_UTF8 (language.noNewVersion)) << language.tag;
        EXPECT_TRUE (lines[1].startsWith (juce::CharPointer_UTF8 (language.lastCheck))) << lines[1];
        EXPECT_TRUE (isTimeOfCheck (lines[1].fromFirstOccurrenceOf (juce::CharPointer_UTF8 (language.lastCheck), false, false)))
            << "the time stays English: " << lines[1];

        ASSERT_TRUE (UpdateThread::getInstance()->waitForThreadToExit (5000));
        server.respondWith (404, "");
        lines = juce::StringArray::fromLines (runCheck());
        EXPECT_EQ (lines[0], juce::CharPointer_UTF8 (language.error)) << language.tag;
        ASSERT_TRUE (UpdateThread::getInstance()->waitForThreadToExit (5000));
    }
}

TEST_F (UpdateThreadStatus, TheStatusKeepsTheLastResultUntilTheNextCheckEnds)
{
    server.respondWith (200, versionsDocument ("1.5.0"));
    const auto first = runCheck();
    ASSERT_TRUE (UpdateThread::getInstance()->waitForThreadToExit (5000));
    pumpMessagesFor (50);
    EXPECT_EQ (statusText(), first);

    server.respondWith (500, "");
    const auto second = runCheck();
    EXPECT_TRUE (second.startsWith (juce::translate ("errorCheckingVersion"))) << second;
    EXPECT_EQ (server.getRequestCount(), 2) << "each start fetches once";
}

TEST_F (UpdateThreadStatus, AServerTooSlowForTheDeadlineEndsTheCheckWithTheErrorStatus)
{
    // Each fast enough for the connection's own time-outs: a body trickling in above curl's
    // low-speed limit, and a request never answered within the (long) connection time-out.
    for (const bool trickle : { true, false })
    {
        auto* thread = UpdateThread::getInstance();
        ASSERT_TRUE (thread->waitForThreadToExit (5000));
        thread->setServer (server.getBaseUrl(), 60000);
        thread->setCheckDeadline (1500);

        if (trickle)
            server.trickleEveryReply (64, 100);
        else
            server.stallEveryRequest();

        const auto before = listener.count;
        const auto status = runCheck (15000);
        EXPECT_TRUE (status.startsWith (juce::translate ("errorCheckingVersion"))) << (trickle ? "trickle: " : "stall: ") << status;
        pumpMessagesFor (50);
        EXPECT_EQ (listener.count, before + 1);
    }
}

TEST_F (UpdateThreadStatus, AServerWithAPathIsAskedBelowThatPath)
{
    server.respondWith (200, versionsDocument ("1.6.0"));
    UpdateThread::getInstance()->setServer (server.getBaseUrl().getChildURL ("mirror/kestro/"), testTimeoutMs);

    EXPECT_TRUE (runCheck().startsWith (juce::translate ("noNewVersionAvailable")));
    EXPECT_EQ (server.getRequestedPaths(), juce::StringArray ("/mirror/kestro/Software_Versions/software-versions.xml"));
}

namespace
{
/** A port on 127.0.0.1 that never accepts; a connection made to it waits in its backlog, so
    whether anything connected can be asked afterwards. */
class ConnectionRecorder
{
public:
    ConnectionRecorder() { listener.createListener (0, "127.0.0.1"); }

    juce::String address() const { return "127.0.0.1:" + juce::String (listener.getBoundPort()); }
    bool wasConnected() { return listener.waitUntilReady (true, 0) == 1; }

private:
    juce::StreamingSocket listener;
};
} // namespace

TEST_F (UpdateThreadStatus, OnlyWebAddressesAreFetchedForTheRequestAndEveryRedirect)
{
    auto* thread = UpdateThread::getInstance();
    thread->setCheckDeadline (3000);

    struct ProtocolCase
    {
        const char* scheme;
        bool redirected; ///< the server redirects there, or the check is pointed there
    };

    for (const auto& protocol : { ProtocolCase { "ftp", true }, ProtocolCase { "ftps", true },
                                  ProtocolCase { "ftp", false }, ProtocolCase { "telnet", false } })
    {
        ConnectionRecorder other;
        const auto target = juce::String (protocol.scheme) + "://" + other.address() + "/";
        server.redirectEveryRequestTo (target + UpdateThread::versionsPath);

        if (! protocol.redirected)
            thread->setServer (juce::URL (target), testTimeoutMs);

        const auto status = runCheck();
        ASSERT_TRUE (thread->waitForThreadToExit (5000));
        EXPECT_TRUE (status.startsWith (juce::translate ("errorCheckingVersion"))) << target << ": " << status;
        EXPECT_FALSE (other.wasConnected()) << target << (protocol.redirected ? " reached by a redirect" : " asked");
        thread->setServer (server.getBaseUrl(), testTimeoutMs);
    }
}

TEST_F (UpdateThreadStatus, FollowsRedirectsBetweenWebServersAtMostFiveTimes)
{
    LocalHttpServer mirror;
    mirror.respondWith (200, versionsDocument ("1.6.1"));
    server.redirectEveryRequestTo (mirror.getBaseUrl().getChildURL ("moved.xml").toString (false));

    EXPECT_TRUE (runCheck().startsWith (juce::translate ("newVersionAvailableTitle")));
    EXPECT_EQ (mirror.getRequestedPaths(), juce::StringArray ("/moved.xml"));
    ASSERT_TRUE (UpdateThread::getInstance()->waitForThreadToExit (5000));
    pumpMessagesFor (50);
    dismissOpenDialogs();

    // Round and round: the first request and five redirects.
    const auto before = server.getRequestCount();
    server.redirectEveryRequestTo (server.getBaseUrl().getChildURL ("again").toString (false));
    EXPECT_TRUE (runCheck().startsWith (juce::translate ("errorCheckingVersion")));
    EXPECT_EQ (server.getRequestCount() - before, 6) << server.getRequestedPaths().joinIntoString (" ");
}

TEST_F (UpdateThreadStatus, TheDialogOffersTheChosenVersionAndItsDownloadAddress)
{
    if (! hasDisplay())
        GTEST_SKIP() << "opens a window: needs an X display (run under xvfb-run)";

    server.respondWith (200, "<r><kestrovantrel><versions>"
                             "<v versionstring=\"1.7.0\" downloadurl=\"https://dl.example/first\"/>"
                             "<v versionstring=\"1.7.0\" downloadurl=\"https://dl.example/second\"/>"
                             "</versions></kestrovantrel></r>");
    runCheck();
    ASSERT_TRUE (pumpMessagesUntil ([] { return openDialogWindows().size() == 1; }, 5000));

    auto* content = dynamic_cast<UpdateComponent*> (openDialogWindows()[0]->getContentComponent());
    ASSERT_NE (content, nullptr);
    auto* link = dynamic_cast<juce::HyperlinkButton*> (content->getChildComponent (1));
    ASSERT_NE (link, nullptr);
    EXPECT_EQ (link->getButtonText(), "Kestro Vantrel - version 1.7.0");
    EXPECT_EQ (link->getURL().toString (false), "https://dl.example/first");
}

//==============================================================================
TEST (UpdateThreadSingleton, IsOneThreadNamedUpdateThreadThatFetchesFromTheServerTheBuildNames)
{
    auto* thread = UpdateThread::getInstance();
    EXPECT_EQ (thread, UpdateThread::getInstance());
    EXPECT_EQ (thread->getThreadName(), "UpdateThread");

    // Whatever server the build was configured with (KESTRO_UPDATE_SERVER) is the one asked.
    const auto configured = juce::String (KESTRO_UPDATE_SERVER).trimCharactersAtEnd ("/");
    EXPECT_EQ (UpdateThread::getDefaultServer().getChildURL (UpdateThread::versionsPath).toString (false),
               configured + "/Software_Versions/software-versions.xml");
    EXPECT_GT (thread->getConnectionTimeoutMs(), 0) << "a connection without a time-out can hang for ever";
}

TEST (UpdateThreadSingleton, TestsPutTheMakersServerBack)
{
    // Every test that points the checks at a local server puts the maker's server back afterwards.
    EXPECT_EQ (UpdateThread::getInstance()->getServer(), UpdateThread::getDefaultServer());
    EXPECT_EQ (UpdateThread::getInstance()->getConnectionTimeoutMs(), UpdateThread::defaultConnectionTimeoutMs);
    EXPECT_EQ (UpdateThread::getInstance()->getCheckDeadlineMs(), UpdateThread::defaultCheckDeadlineMs);
}

TEST (UpdateThreadSingleton, DeletingItDuringADownloadAbandonsTheDownloadPromptlyAndTellsNobody)
{
    LocalHttpServer server;
    server.stallEveryRequest();
    CountingUpdateListener listener;

    auto* thread = UpdateThread::getInstance();
    const auto savedServer = thread->getServer();
    const auto savedTimeout = thread->getConnectionTimeoutMs();
    const auto savedAlreadyChecked = UpdateThread::m_hasAlreadyChecked;

    // Long enough that only the cancel, not the time-out, can end the download in time.
    thread->setServer (server.getBaseUrl(), 30000);
    thread->m_listener = &listener;
    thread->startThread();
    ASSERT_TRUE (pumpMessagesUntil ([&] { return server.getRequestCount() == 1; }, 5000));

    const auto started = juce::Time::getMillisecondCounter();
    UpdateThread::deleteInstance();
    const auto elapsed = juce::Time::getMillisecondCounter() - started;

    EXPECT_EQ (UpdateThread::getInstanceWithoutCreating(), nullptr);
    EXPECT_LT (elapsed, 3000u);
    EXPECT_EQ (threadsNamed ("UpdateThread"), 0) << "no thread of the check is left, though the server still holds the connection";
    pumpMessagesFor (200);
    EXPECT_EQ (listener.count, 0);

    // The next user gets a fresh one.
    auto* fresh = UpdateThread::getInstance();
    EXPECT_EQ (fresh->m_listener, nullptr);
    EXPECT_EQ (fresh->getServer(), UpdateThread::getDefaultServer());
    fresh->setServer (savedServer, savedTimeout);
    UpdateThread::m_hasAlreadyChecked = savedAlreadyChecked;
}
