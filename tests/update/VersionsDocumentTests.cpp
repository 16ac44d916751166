// Reading the maker's versions document: which entry is offered, and which texts from the
// network are not taken as a document at all.

#include "UpdateCheckFixture.h"
#include "settings/HostileXmlInputs.h"

#include "update/VersionsDocument.h"

#include <gtest/gtest.h>

namespace
{
juce::String documentWith (const juce::String& entries, const juce::String& product = "kestrovantrel")
{
    return "<?xml version=\"1.0\"?>\n<products><otherproduct><versions><version versionstring=\"9.0.0\" "
           "downloadurl=\"https://other\"/></versions></otherproduct><" + product + "><versions>" + entries
         + "</versions></" + product + "></products>";
}

struct DocumentCase
{
    const char* name;
    juce::String text;
    bool offersEntry;
    const char* version;
    const char* downloadUrl;
};

std::vector<DocumentCase> documentCases()
{
    return {
        { "NewerPatch", documentWith ("<v versionstring=\"1.6.1\" downloadurl=\"https://dl/161\"/>"), true, "1.6.1", "https://dl/161" },
        { "OnlyTheRunningVersion", documentWith ("<v versionstring=\"1.6.0\" downloadurl=\"https://dl/160\"/>"), false, "", "" },
        { "OnlyOlder", documentWith ("<v versionstring=\"1.5.0\"/><v versionstring=\"0.9\"/>"), false, "", "" },
        { "FirstOfTwoEqualNewest", documentWith ("<a versionstring=\"1.7.0\" downloadurl=\"https://first\"/>"
                                                 "<b versionstring=\"1.7.0\" downloadurl=\"https://second\"/>"), true, "1.7.0", "https://first" },
        { "NewestWhateverTheOrder", documentWith ("<v versionstring=\"1.8.0\" downloadurl=\"https://18\"/>"
                                                  "<v versionstring=\"2.0\" downloadurl=\"https://20\"/>"
                                                  "<v versionstring=\"1.9.9\" downloadurl=\"https://199\"/>"), true, "2.0", "https://20" },
        { "FourPartVersionNeverOffered", documentWith ("<v versionstring=\"1.7.0.1\" downloadurl=\"https://x\"/>"), false, "", "" },
        { "ProductNameInOtherCase", documentWith ("<v versionstring=\"1.7.0\" downloadurl=\"https://u\"/>", "KestroVantrel"), true, "1.7.0", "https://u" },
        { "AttributeNameInOtherCase", documentWith ("<v VersionString=\"1.7.0\" downloadurl=\"https://u\"/>"), false, "", "" },
        { "EntryWithoutDownloadAddress", documentWith ("<v versionstring=\"1.7.0\"/>"), true, "1.7.0", "" },
        { "NoProductElement", "<products><other><versions><v versionstring=\"9.0\"/></versions></other></products>", false, "", "" },
        { "NoVersionsElement", "<products><kestrovantrel><releases><v versionstring=\"9.0\"/></releases></kestrovantrel></products>", false, "", "" },
        { "EmptyVersions", documentWith (""), false, "", "" },
        { "WellFormedErrorPage", "<html><body><h1>Not Found</h1></body></html>", false, "", "" },
    };
}

class UpdateVersionsDocument : public ::testing::TestWithParam<DocumentCase>
{
};
} // namespace

TEST_P (UpdateVersionsDocument, OffersTheFirstNewestEntryNewerThanTheRunningVersion)
{
    const auto& c = GetParam();
    const auto root = VersionsDocument::parse (c.text);
    ASSERT_NE (root, nullptr);

    const auto entry = VersionsDocument::findNewerEntry (*root, VersionNumber::fromText ("1.6.0"));
    ASSERT_EQ (entry.has_value(), c.offersEntry);

    if (entry)
    {
        EXPECT_EQ (entry->versionText, juce::String (c.version));
        EXPECT_EQ (entry->downloadUrl, juce::String (c.downloadUrl));
    }
}

INSTANTIATE_TEST_SUITE_P (UpdateDocuments, UpdateVersionsDocument, ::testing::ValuesIn (documentCases()),
                          [] (const ::testing::TestParamInfo<DocumentCase>& caseInfo) { return std::string (caseInfo.param.name); });

TEST (UpdateVersionsDocumentParsing, TheProductElementNameIsTheProductNameInLowerCaseWithoutBlank)
{
    EXPECT_EQ (VersionsDocument::productElementName(), "kestrovantrel");
}

TEST (UpdateVersionsDocumentParsing, RefusesTextsThatAreNoSafeDocument)
{
    // Built in one go: appending 100,000 times reallocates every time, which takes seconds.
    const auto deep = juce::String::repeatedString ("<a>", 100000);

    juce::String justTooDeep, hiddenDepth;

    for (int i = 0; i <= VersionsDocument::maxNestingDepth; ++i)
        justTooDeep << "<a>";

    for (int i = 0; i <= VersionsDocument::maxNestingDepth; ++i)
        hiddenDepth << "<a x=\"/>\"><!-- </a> --><![CDATA[</a>]]>";

    const juce::String texts[] = {
        "",
        "not xml at all",
        "<products><kestrovantrel><versions><v versionstring=\"1.7.0\"",  // cut off
        "<products><kestrovantrel></products>",                           // mismatched
        "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\"><!ENTITY lol2 \"&lol;&lol;&lol;&lol;\">]><lolz>&lol2;</lolz>",
        "<!DOCTYPE a [<!ENTITY x \"&x;\">]><a>&x;</a>",
        "<!DOCTYPE a SYSTEM \"file:///etc/passwd\"><a/>",
        "<a><!-- never closed </a>",
        deep,
        justTooDeep,
        hiddenDepth,
    };

    for (const auto& text : texts)
        EXPECT_EQ (VersionsDocument::parse (text), nullptr) << text.substring (0, 80);
}

TEST (UpdateVersionsDocumentParsing, AcceptsCommentsInstructionsAndQuotedMarkupAtReasonableDepth)
{
    const auto root = VersionsDocument::parse (
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- <a><a><a> -->\n<products note=\"a &lt;b/&gt; c/>\">"
        "<?generator tool?><kestrovantrel><versions><![CDATA[<x><x>]]>"
        "<v versionstring=\"1.7.0\" downloadurl=\"https://dl/?a=1&amp;b=2\"/></versions></kestrovantrel></products>");

    ASSERT_NE (root, nullptr);
    const auto entry = VersionsDocument::findNewerEntry (*root, VersionNumber::fromText ("1.6.0"));
    ASSERT_TRUE (entry.has_value());
    EXPECT_EQ (entry->downloadUrl, "https://dl/?a=1&b=2");

    juce::String nested;

    for (int i = 0; i < VersionsDocument::maxNestingDepth; ++i)
        nested << "<a>";

    for (int i = 0; i < VersionsDocument::maxNestingDepth; ++i)
        nested << "</a>";

    EXPECT_NE (VersionsDocument::parse (nested), nullptr);
}

//==============================================================================
namespace
{
class UpdateVersionsDocumentHostileAnswer : public UpdateCheckFixture,
                                            public ::testing::WithParamInterface<HostileXml>
{
};
} // namespace

// Read directly, and served by the local server so that each answer also takes the path of a real
// one onto the update thread.
TEST_P (UpdateVersionsDocumentHostileAnswer, EndsTheCheckPromptlyWithTheErrorStatus)
{
    const auto& bytes = GetParam().bytes;
    EXPECT_EQ (VersionsDocument::parse (juce::MemoryBlock (bytes.data(), bytes.size())) != nullptr, GetParam().isDocument);

    server.respondWithBytes (200, bytes);
    const auto status = runCheck();

    // The instruction before text is a well-formed document without the product element.
    const auto* expectedKey = GetParam().isDocument ? "noNewVersionAvailable" : "errorCheckingVersion";
    EXPECT_TRUE (status.startsWith (juce::translate (expectedKey) + "\n")) << status;
}

INSTANTIATE_TEST_SUITE_P (UpdateDocuments, UpdateVersionsDocumentHostileAnswer, ::testing::ValuesIn (hostileXmlInputs()),
                          [] (const auto& testCase) { return std::string (testCase.param.name); });

//==============================================================================
namespace
{
struct NewerVersionAnswer
{
    const char* name;
    std::string bytes;
    bool isDocument;
};

void PrintTo (const NewerVersionAnswer& value, std::ostream* os) { *os << value.name; }

/** Answers that list 9.0.0, all but the first with one thing the reader refuses: read wrongly,
    any of them would offer the new version. */
std::vector<NewerVersionAnswer> newerVersionAnswers()
{
    const std::string product = "<kestrovantrel><versions><v versionstring='9.0.0' downloadurl='https://dl.example/9'/>"
                                "</versions></kestrovantrel>";

    return {
        { "WellFormed", "<products>" + product + "</products>", true },
        { "InvalidUtf8AfterTheProduct", "<products>" + product + "\xff</products>", false },
        { "DocumentTypeDeclaration", "<!DOCTYPE products><products>" + product + "</products>", false },
        { "ProductFromAnEntity", "<!DOCTYPE products [<!ENTITY p \"" + product + "\">]><products>&p;</products>", false },
        { "NestedTooDeepAfterTheProduct", "<products>" + product + repeated ("<a>", VersionsDocument::maxNestingDepth)
                                              + repeated ("</a>", VersionsDocument::maxNestingDepth) + "</products>", false },
        { "CutOffAfterTheProduct", "<products>" + product, false },
    };
}

class UpdateVersionsDocumentNewerVersionAnswer : public UpdateCheckFixture,
                                                 public ::testing::WithParamInterface<NewerVersionAnswer>
{
};
} // namespace

TEST_P (UpdateVersionsDocumentNewerVersionAnswer, OpensTheDialogOnlyForADocumentTheReaderAccepts)
{
    if (! hasDisplay())
        GTEST_SKIP() << "opens a window: needs an X display (run under xvfb-run)";

    const auto& c = GetParam();
    server.respondWithBytes (200, c.bytes);
    const auto status = runCheck();

    const auto* expectedKey = c.isDocument ? "newVersionAvailableTitle" : "errorCheckingVersion";
    EXPECT_TRUE (status.startsWith (juce::translate (expectedKey) + "\n")) << status;
    EXPECT_EQ (openDialogWindows().size(), c.isDocument ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P (UpdateDocuments, UpdateVersionsDocumentNewerVersionAnswer, ::testing::ValuesIn (newerVersionAnswers()),
                          [] (const auto& testCase) { return std::string (testCase.param.name); });
