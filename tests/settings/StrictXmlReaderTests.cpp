// The reader of untrusted XML: what it refuses, the tree it builds from what it accepts, and how a
// settings file it cannot read is kept.

#include "FifoReleaser.h"
#include "HostileXmlInputs.h"
#include "OpenWatch.h"

#include "settings/StrictXmlReader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace
{
std::unique_ptr<juce::XmlElement> parse (const std::string& bytes, int maxDepth = StrictXmlReader::defaultMaxDepth)
{
    return StrictXmlReader::parse (bytes.data(), bytes.size(), maxDepth);
}

juce::StringArray attributeNames (const juce::XmlElement& element)
{
    juce::StringArray names;

    for (int i = 0; i < element.getNumAttributes(); ++i)
        names.add (element.getAttributeName (i));

    return names;
}

class StrictXmlHostileInput : public ::testing::TestWithParam<HostileXml>
{
};
} // namespace

TEST_P (StrictXmlHostileInput, IsNoDocumentOrReadsAsItsOnlyMeaning)
{
    const auto root = parse (GetParam().bytes);

    if (! GetParam().isDocument)
    {
        EXPECT_EQ (root, nullptr);
        return;
    }

    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getTagName(), "a");
    ASSERT_EQ (root->getNumChildElements(), 1);
    EXPECT_EQ (root->getAllSubText(), "x");
}

INSTANTIATE_TEST_SUITE_P (StrictXml, StrictXmlHostileInput, ::testing::ValuesIn (hostileXmlInputs()),
                          [] (const auto& testCase) { return std::string (testCase.param.name); });

TEST (StrictXmlReader, RefusesWhatIsNotAWellFormedUtf8DocumentWithoutDeclarations)
{
    const std::string texts[] = {
        "",
        "not xml at all",
        "<r><a x=\"1\"",                          // cut off
        "<r><a></r>",                             // mismatched
        "<r/><s/>",                               // two roots
        "<r a=\"1\" a=\"2\"/>",                   // the same attribute twice
        "<r>&nbsp;</r>",                          // an entity nobody declared
        "<r>&#0;</r>",                            // no XML character
        "<r>&#xD800;</r>",
        std::string ("<r>\0</r>", 8),
        "<r>\xed\xa0\x80</r>",                    // a UTF-16 surrogate written as UTF-8
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r>\xe9</r>",
        std::string ("\xff\xfe<\0r\0/\0>\0", 10),    // UTF-16 with its byte-order mark
        std::string ("\xfe\xff\0<\0r\0/\0>", 10),
        std::string ("<\0r\0/\0>\0", 8),
        "<!DOCTYPE r><r/>",
        "<a><!-- never closed </a>",
    };

    for (const auto& text : texts)
        EXPECT_EQ (parse (text), nullptr) << text;
}

TEST (StrictXmlReader, KeepsAttributeOrderAndTextExactly)
{
    const auto root = parse ("\xef\xbb\xbf<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- first -->\r\n"
                             "<Root b=\"2\" a=\"1\" c=\"&lt;&amp;&quot;&apos;&#13;&#x263A;&#9;\" d=\"x\ty\">"
                             "  lead <!-- c --> mid <?pi data?><![CDATA[<raw>]]> &amp; end<e/>\r\n  "
                             "<f>  </f><g>a\r\nb&#13;&#10;c</g><h/><\xc3\xa9l\xc3\xa8ve v=\"\xe2\x82\xac\"/></Root>\n");
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getTagName(), "Root");
    EXPECT_EQ (attributeNames (*root), juce::StringArray ("b", "a", "c", "d"));
    EXPECT_EQ (root->getStringAttribute ("c"), juce::String ("<&\"'\r") + juce::String::charToString (0x263a) + "\t");
    EXPECT_EQ (root->getStringAttribute ("d"), "x y") << "a literal tab in a value is a blank in XML";

    ASSERT_EQ (root->getNumChildElements(), 6) << "the white space between <e/> and <f> is layout";
    EXPECT_TRUE (root->getChildElement (0)->isTextElement());
    EXPECT_EQ (root->getChildElement (0)->getText(), "  lead  mid <raw> & end");
    EXPECT_EQ (root->getChildElement (1)->getTagName(), "e");
    EXPECT_EQ (root->getChildElement (2)->getAllSubText(), "  ") << "white space that is all the content stays";
    EXPECT_EQ (root->getChildElement (3)->getAllSubText(), "a\nb\r\nc") << "line ends as written, CR only by reference";
    EXPECT_EQ (root->getChildElement (4)->getNumChildElements(), 0);
    EXPECT_EQ (root->getChildElement (5)->getTagName(), juce::String::fromUTF8 ("\xc3\xa9l\xc3\xa8ve"));
    EXPECT_EQ (root->getChildElement (5)->getStringAttribute ("v"), juce::String::charToString (0x20ac));
}

TEST (StrictXmlReader, WhiteSpaceAloneIsLayoutUnlessItIsTheElementsWholeContent)
{
    struct Case
    {
        const char* text;
        int numChildren;   // of the root
        const char* subText;
    };

    const Case cases[] = {
        { "<r><a/>\n</r>", 1, "" },                  // after the last child
        { "<r>\n  <a/></r>", 1, "" },                // before the first
        { "<r><a/>\r\n\t<b/>\n</r>", 2, "" },
        { "<r><a/> <!-- c --> <?p?>\n</r>", 1, "" }, // one run around the comment and instruction
        { "<r><a/> x </r>", 2, " x " },              // not white space alone
        { "<r> \t\r\n</r>", 1, " \t\n" },           // the whole content
    };

    for (const auto& c : cases)
    {
        const auto root = parse (c.text);
        ASSERT_NE (root, nullptr) << c.text;
        EXPECT_EQ (root->getNumChildElements(), c.numChildren) << c.text;
        EXPECT_EQ (root->getAllSubText(), juce::String (c.subText)) << c.text;
    }
}

TEST (StrictXmlReader, CountsTheDepthItselfAndLimitsAttributes)
{
    const auto nested = [] (int levels) { return repeated ("<a>", levels) + "text" + repeated ("</a>", levels); };

    EXPECT_NE (parse (nested (4), 4), nullptr);
    EXPECT_EQ (parse (nested (5), 4), nullptr);
    EXPECT_NE (parse (nested (StrictXmlReader::defaultMaxDepth)), nullptr);
    EXPECT_EQ (parse (nested (StrictXmlReader::defaultMaxDepth + 1)), nullptr);

    const auto withAttributes = [] (int count)
    {
        std::string text = "<r";

        for (int i = 0; i < count; ++i)
            text += " a" + std::to_string (i) + "=\"\"";

        return text + "/>";
    };

    const auto many = parse (withAttributes (StrictXmlReader::maxAttributes));
    ASSERT_NE (many, nullptr);
    EXPECT_EQ (many->getNumAttributes(), StrictXmlReader::maxAttributes);
    EXPECT_EQ (many->getAttributeName (StrictXmlReader::maxAttributes - 1), "a1023");
    EXPECT_EQ (parse (withAttributes (StrictXmlReader::maxAttributes + 1)), nullptr);

    // Many siblings are fine: they are not a walk of their own.
    const auto wide = parse ("<r>" + repeated ("<c/>", 200000) + "</r>");
    ASSERT_NE (wide, nullptr);
    EXPECT_EQ (wide->getNumChildElements(), 200000);
}

//==============================================================================
namespace
{
class StrictXmlFile : public ::testing::Test
{
protected:
    StrictXmlFile() { folder.createDirectory(); }
    ~StrictXmlFile() override { folder.deleteRecursively(); }

    void write (const std::string& bytes)
    {
        // replaceWithData deletes the file for no bytes.
        ASSERT_TRUE (file.deleteFile() && file.create().wasOk() && file.appendData (bytes.data(), bytes.size()));
    }

    static std::string bytesOf (const juce::File& f)
    {
        juce::MemoryBlock block;
        f.loadFileAsData (block);
        return { static_cast<const char*> (block.getData()), block.getSize() };
    }

    std::string unreadableBytes() const { return bytesOf (copy); }

    const juce::File folder { juce::File::createTempFile ("kestro-strictxml") };
    const juce::File file { folder.getChildFile ("settings.xml") };
    const juce::File copy { folder.getChildFile ("settings.xml.unreadable") };

    juce::File numbered (int number) const { return folder.getChildFile ("settings.xml.unreadable." + juce::String (number)); }
};
} // namespace

TEST_F (StrictXmlFile, ReadsADocumentAndLeavesMissingFoldersAndEmptyFilesAlone)
{
    EXPECT_EQ (StrictXmlReader::unreadableCopyOf (file), copy);

    EXPECT_EQ (StrictXmlReader::readFile (file), nullptr);
    EXPECT_EQ (StrictXmlReader::readFile (juce::File()), nullptr);

    ASSERT_TRUE (file.createDirectory());
    EXPECT_EQ (StrictXmlReader::readFile (file), nullptr);
    EXPECT_TRUE (file.isDirectory());
    ASSERT_TRUE (file.deleteRecursively());

    write ("");
    EXPECT_EQ (StrictXmlReader::readFile (file), nullptr);
    EXPECT_TRUE (file.existsAsFile()) << "an empty file holds nothing to keep";

    write ("<r><a/></r>");
    const auto root = StrictXmlReader::readFile (file);
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->getChildElement (0)->getTagName(), "a");

    EXPECT_FALSE (copy.exists());
}

TEST_F (StrictXmlFile, KeepsAFileItCannotReadBesideIt)
{
    const std::string bad = "<r>\xff</r>";
    write (bad);
    EXPECT_EQ (StrictXmlReader::readFile (file), nullptr);
    EXPECT_FALSE (file.exists());
    EXPECT_EQ (unreadableBytes(), bad);

    write ("<r>cut off");
    EXPECT_EQ (StrictXmlReader::readFile (file), nullptr);
    EXPECT_EQ (unreadableBytes(), bad) << "an older unreadable file is kept";
    EXPECT_EQ (numbered (1).loadFileAsString(), "<r>cut off");

    // Too large: not read at all, but kept.
    write ("<r>" + std::string ((size_t) StrictXmlReader::maxFileBytes, ' ') + "</r>");
    EXPECT_EQ (StrictXmlReader::readFile (file), nullptr);
    EXPECT_FALSE (file.exists());
    EXPECT_EQ (numbered (2).getSize(), StrictXmlReader::maxFileBytes + 7);
}

TEST_F (StrictXmlFile, SetsAsideUnderTheFirstFreeNameAndLeavesInPlaceWhatCannotBeSetAside)
{
    // A folder that cannot be replaced holds the first name; the next one is free.
    ASSERT_TRUE (copy.getChildFile ("older").create().wasOk());
    write ("not xml");
    auto reading = StrictXmlReader::readSettingsFile (file);
    EXPECT_EQ (reading.root, nullptr);
    EXPECT_TRUE (reading.mayReplace);
    EXPECT_EQ (numbered (1).loadFileAsString(), "not xml");
    EXPECT_TRUE (copy.getChildFile ("older").existsAsFile());

    // Every name taken (a dangling link counts): the file stays, and must not be replaced.
    ASSERT_TRUE (juce::File ("/nonexistent/kestro").createSymbolicLink (numbered (2), true));
    for (int number = 3; number <= StrictXmlReader::maxSetAsideNumber; ++number)
        ASSERT_TRUE (numbered (number).create().wasOk());

    write ("still not xml");
    reading = StrictXmlReader::readSettingsFile (file);
    EXPECT_EQ (reading.root, nullptr);
    EXPECT_FALSE (reading.mayReplace);
    EXPECT_EQ (file.loadFileAsString(), "still not xml");
    EXPECT_EQ (numbered (1).loadFileAsString(), "not xml");
    EXPECT_EQ (numbered (3).getSize(), 0);

    // A readable document, a missing file and an empty one may be replaced; a folder may not.
    write ("<r/>");
    EXPECT_TRUE (StrictXmlReader::readSettingsFile (file).mayReplace);
    ASSERT_TRUE (file.deleteFile());
    EXPECT_TRUE (StrictXmlReader::readSettingsFile (file).mayReplace);
    write ("");
    EXPECT_TRUE (StrictXmlReader::readSettingsFile (file).mayReplace);
    ASSERT_TRUE (file.deleteFile() && file.createDirectory());
    EXPECT_FALSE (StrictXmlReader::readSettingsFile (file).mayReplace);
}

TEST_F (StrictXmlFile, SetsAsideWhatIsNoRegularFileWithoutOpeningIt)
{
    struct Kind
    {
        const char* name;
        std::function<bool (const juce::File&)> make;
    };

    const Kind kinds[] = {
        { "FIFO", [] (const juce::File& f) { return ::mkfifo (f.getFullPathName().toRawUTF8(), 0600) == 0; } },
        { "link to /dev/null", [] (const juce::File& f) { return juce::File ("/dev/null").createSymbolicLink (f, true); } },
        { "link to /dev/ptmx", [] (const juce::File& f) { return juce::File ("/dev/ptmx").createSymbolicLink (f, true); } },
    };

    for (const auto& kind : kinds)
    {
        ASSERT_TRUE (kind.make (file)) << kind.name;
        const auto linkTarget = file.isSymbolicLink() ? file.getLinkedTarget() : juce::File();

        // Only a FIFO needs letting go (the links would open for writing at once).
        std::optional<FifoReleaser> releaser;
        if (! file.isSymbolicLink())
            releaser.emplace (file);

        const auto reading = StrictXmlReader::readSettingsFile (file);
        EXPECT_FALSE (releaser.has_value() && releaser->readerWasWaiting) << kind.name << ": waited for a writer";

        EXPECT_EQ (reading.root, nullptr) << kind.name;
        EXPECT_TRUE (reading.mayReplace) << kind.name;
        EXPECT_FALSE (file.isSymbolicLink() || file.exists()) << kind.name << ": not set aside";
        EXPECT_TRUE (copy.isSymbolicLink() || copy.exists()) << kind.name;
        EXPECT_EQ (copy.isSymbolicLink() ? copy.getLinkedTarget() : juce::File(), linkTarget) << "the link itself is moved";

        ASSERT_TRUE (copy.deleteFile());
    }
}

// At the limit the file is read; one byte more and it is not read at all, even though its first
// maxFileBytes bytes are a whole document, but kept.
TEST_F (StrictXmlFile, ReadsAFileOfExactlyTheLimitAndSetsAsideOneByteLarger)
{
    const auto atTheLimit = "<r>" + std::string ((size_t) StrictXmlReader::maxFileBytes - 7, ' ') + "</r>";
    ASSERT_EQ ((juce::int64) atTheLimit.size(), StrictXmlReader::maxFileBytes);

    write (atTheLimit);
    EXPECT_NE (StrictXmlReader::readFile (file), nullptr);
    EXPECT_TRUE (file.existsAsFile());
    EXPECT_FALSE (copy.exists());

    write (atTheLimit + "\n");
    EXPECT_EQ (StrictXmlReader::readFile (file), nullptr);
    EXPECT_FALSE (file.exists());
    EXPECT_EQ (copy.getSize(), StrictXmlReader::maxFileBytes + 1);
}

// A file that may be neither renamed nor deleted (append-only, a bind mount) is copied aside
// instead, once: every start and every quit meets it again. What holds a name already is never
// opened to compare it nor replaced.
TEST_F (StrictXmlFile, CopiesAnUnreadableFileThatCannotBeMovedAsideOnce)
{
    const auto moveThatFails = [] (const juce::File&, const juce::File&) { return false; };

    ASSERT_EQ (::mkfifo (copy.getFullPathName().toRawUTF8(), 0600), 0);
    OpenWatch fifoOpens (copy);
    ASSERT_TRUE (fifoOpens.isWatching);
    ASSERT_TRUE (juce::File ("/nonexistent/kestro").createSymbolicLink (numbered (1), true));

    const std::string bad = "<r>\xff</r>";
    write (bad);

    for (int run = 0; run < 3; ++run)
    {
        const auto reading = StrictXmlReader::readSettingsFile (file, moveThatFails);
        EXPECT_EQ (reading.root, nullptr);
        EXPECT_TRUE (reading.mayReplace) << "its content is kept";
    }

    EXPECT_EQ (bytesOf (numbered (2)), bad);
    EXPECT_FALSE (numbered (3).exists()) << "copied again";
    EXPECT_EQ (bytesOf (file), bad) << "the original stays where it was";
    EXPECT_TRUE (numbered (1).isSymbolicLink());
    EXPECT_EQ (fifoOpens.takeOpens(), 0);

    // Other bytes are another file to keep.
    write ("<r>cut off");
    EXPECT_EQ (StrictXmlReader::readFile (file, moveThatFails), nullptr);
    EXPECT_EQ (bytesOf (numbered (3)), "<r>cut off");
    EXPECT_EQ (bytesOf (numbered (2)), bad);
}

// Whatever the name holds from one moment to the next, a FIFO (or a device) put there after the
// name was looked at is never opened: the reader opens only what it checked.
TEST_F (StrictXmlFile, NeverOpensAFifoSwappedInAtTheName)
{
    const auto fifo = folder.getChildFile ("fifo");
    const auto document = folder.getChildFile ("document");
    ASSERT_EQ (::mkfifo (fifo.getFullPathName().toRawUTF8(), 0600), 0);
    ASSERT_TRUE (document.replaceWithText ("<r/>"));
    OpenWatch fifoOpens (fifo);
    ASSERT_TRUE (fifoOpens.isWatching);

    // Hard links of each, renamed over the name in turn: the name always holds one of them.
    std::atomic<bool> done { false };
    std::thread swapper ([&]
    {
        const auto path = file.getFullPathName().toStdString();
        const auto next = folder.getChildFile ("next").getFullPathName().toStdString();
        const std::string sources[] = { document.getFullPathName().toStdString(), fifo.getFullPathName().toStdString() };

        for (int turn = 0; ! done; ++turn)
            if (::link (sources[turn % 2].c_str(), next.c_str()) == 0)
                ::rename (next.c_str(), path.c_str());
    });

    int documents = 0, others = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds (20);

    for (int i = 0; i < 20000 && std::chrono::steady_clock::now() < deadline; ++i)
    {
        // Set aside (renamed to a free name) when the FIFO was there; the swapper puts it back.
        const auto reading = StrictXmlReader::readSettingsFile (file);
        ++(reading.root != nullptr ? documents : others);

        if (i % 100 == 99)
            for (int number = 0; number <= StrictXmlReader::maxSetAsideNumber; ++number)
                ::unlink ((number == 0 ? copy : numbered (number)).getFullPathName().toRawUTF8());
    }

    done = true;
    swapper.join();

    EXPECT_EQ (fifoOpens.takeOpens(), 0);
    EXPECT_GT (documents, 0);
    EXPECT_GT (others, 0) << "the FIFO was never met";
}
