#include "ExampleSettingsOwner.h"
#include "RecordingObserver.h"
#include "XmlTreeDump.h"

#include "settings/FastXml.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace
{
    const std::wstring m_defaultDocument = L"<root>\n\t<ChannelMapping>0,1,2,3,4,5</ChannelMapping>\n"
                                           L"\t<SolvinConnected>0</SolvinConnected>\n</root>\n";

    std::wstring writeTree (const XmlNode& root)
    {
        std::wostringstream stream;
        xmlWriteFileImpl (stream, &root, 0);
        return stream.str();
    }

    std::wstring saveSettings (Data& owner)
    {
        XmlNode root (nullptr, false, L"root");
        owner.save (&root);
        return writeTree (root);
    }

    // Every node must point back to its parent and a text must have no children, however
    // malformed the text it was read from.
    void expectConsistentTree (const XmlNode& root)
    {
        std::vector<const XmlNode*> pending { &root };

        while (! pending.empty())
        {
            const auto* node = pending.back();
            pending.pop_back();

            if (node->isText)
            {
                ASSERT_TRUE (node->children.empty());
            }

            for (const auto& child : node->children)
            {
                ASSERT_EQ (child->parent, node);
                pending.push_back (child.get());
            }
        }
    }
}

TEST (SettingsXml, DefaultSettingsWriteTheDocumentedText)
{
    ExampleSettingsOwner owner;
    const auto text = saveSettings (owner);

    EXPECT_EQ (text, m_defaultDocument);
    EXPECT_EQ (text.size(), 99u);
}

TEST (SettingsXml, WriterIndentsNestedElementsAndEscapesTexts)
{
    XmlNode root (nullptr, false, L"root");
    auto* outer = root.addChild (false, L"a");
    xmlAddTextNode (outer, L"b", L"x<y>&\"'");
    root.addChild (false, L"c");
    xmlAddTextNode (&root, L"d", L"");

    EXPECT_EQ (writeTree (root), L"<root>\n\t<a>\n\t\t<b>x&lt;y&gt;&amp;\"'</b>\n\t</a>\n\t<c></c>\n\t<d></d>\n</root>\n");

    const auto& added = *root.children.back();
    ASSERT_EQ (added.children.size(), 1u) << "an empty text still gets its text node";
    EXPECT_TRUE (added.children.front()->isText);
    EXPECT_EQ (added.children.front()->parent, &added);
    EXPECT_EQ (added.parent, &root);
}

TEST (SettingsXml, EscapedTextReadsBackUnchanged)
{
    XmlNode root (nullptr, false, L"root");
    xmlAddTextNode (&root, L"value", L"a<b&c>\"'d");

    const auto parsed = xmlReadFileImpl (writeTree (root));
    EXPECT_EQ (xmlGetText (parsed.get(), L"value", L"missing"), L"a<b&c>\"'d");
}

struct ReaderCase
{
    const wchar_t* text;
    const wchar_t* expectedTree;
};

class SettingsXmlReader : public ::testing::TestWithParam<ReaderCase> {};

TEST_P (SettingsXmlReader, BuildsTheTreeTheTextDescribes)
{
    const auto root = xmlReadFileImpl (GetParam().text);
    EXPECT_EQ (dumpXmlTree (root.get()), GetParam().expectedTree);

    if (root != nullptr)
    {
        EXPECT_EQ (root->parent, nullptr);
        expectConsistentTree (*root);
    }
}

INSTANTIATE_TEST_SUITE_P (Settings, SettingsXmlReader, ::testing::Values (
    ReaderCase { L"<root>\n\t<ChannelMapping>0,1,2,3,4,5</ChannelMapping>\n\t<SolvinConnected>0</SolvinConnected>\n</root>\n",
                 L"root(ChannelMapping(\"0,1,2,3,4,5\"),SolvinConnected(\"0\"))" },
    ReaderCase { L"<a>&lt;&gt;&amp;&quot;</a>",                L"a(\"<>&\"\")" },
    ReaderCase { L"<a>it&apos;s&;</a>",                        L"a(\"its\")" },
    ReaderCase { L"<a>x&amp;y&z</a>",                          L"a(\"x&y\")" },
    ReaderCase { L"<a></a>",                                   L"a(\"\")" },
    ReaderCase { L"<a>x< b />y</a>",                           L"a(b())" },
    ReaderCase { L"<a>text<b>1</b>more</a>",                   L"a(b(\"1\"))" },
    ReaderCase { L"<a><b>1</b><b>2</b><c><d>3</d></c></a>",    L"a(b(\"1\"),b(\"2\"),c(d(\"3\")))" },
    ReaderCase { L"<?xml version=\"1.0\"?>\n<a>1</a>",         L"a(\"1\")" },
    ReaderCase { L"<a x=\"1\">t</a>",                          L"a x=\"1\"(\"t\")" },
    ReaderCase { L"<a><b>1</c></d>",                           L"a(b(\"1\"))" },
    ReaderCase { L"<a><b>1</b>",                               L"a(b(\"1\"))" },
    ReaderCase { L"<b/><a>1</a>",                              L"a(\"1\")" },
    ReaderCase { L"<a>1</a><b>2<c>3</c></b>",                  L"a(\"1\")" },
    ReaderCase { L"<a>1</a></x><b>2</b>",                      L"a(\"1\")" },
    ReaderCase { L"<a/>",                                      L"null" },
    ReaderCase { L"no markup",                                 L"null" },
    ReaderCase { L"",                                          L"null" }));

TEST (SettingsXml, PathLookupTakesTheFirstMatchAndStopsAtText)
{
    const auto root = xmlReadFileImpl (L"<r><a><b>1</b></a><a><c>2</c></a><e></e></r>");
    ASSERT_NE (root, nullptr);

    const auto* b = xmlGetNode (root.get(), L"a/b");
    ASSERT_NE (b, nullptr);
    EXPECT_EQ (b->parent, root->children.front().get());
    EXPECT_EQ (xmlGetNode (root.get(), L"a/c"), nullptr) << "a later element of the same name is not tried";
    EXPECT_EQ (xmlGetNode (root.get(), L"A/b"), nullptr);
    EXPECT_EQ (xmlGetNode (nullptr, L"a"), nullptr);

    EXPECT_EQ (xmlGetText (root.get(), L"a/b", L"default"), L"1");
    EXPECT_EQ (xmlGetText (root.get(), L"e", L"default"), L"") << "an empty element pair holds the empty text";
    EXPECT_EQ (xmlGetText (root.get(), L"a", L"default"), L"default") << "an element holding elements has no text";
    EXPECT_EQ (xmlGetText (root.get(), L"missing", L"default"), L"default");

    XmlNode mixed (nullptr, false, L"r");
    auto* a = mixed.addChild (false, L"a");
    a->addChild (true, L"text first");
    xmlAddTextNode (a, L"b", L"1");
    EXPECT_EQ (xmlGetNode (&mixed, L"a/b"), nullptr);
}

struct BoolLoadCase
{
    const wchar_t* document;
    bool initial;
    bool expected;
};

class SettingsXmlBoolLoad : public ::testing::TestWithParam<BoolLoadCase> {};

TEST_P (SettingsXmlBoolLoad, OnlyTheTextOneIsTrueAndAMissingElementKeepsTheValue)
{
    ExampleSettingsOwner owner;
    owner.solvinConnected.value = GetParam().initial;
    owner.solvinConnected.savedValue = ! GetParam().initial;
    RecordingObserver observer;
    owner.addAttributeObserver (&observer);

    const auto root = xmlReadFileImpl (GetParam().document);
    owner.load (root.get());

    EXPECT_EQ (owner.solvinConnected.value, GetParam().expected);
    EXPECT_EQ (owner.solvinConnected.savedValue, GetParam().expected) << "the revert point moves to the loaded value";
    EXPECT_TRUE (observer.events.empty());
}

INSTANTIATE_TEST_SUITE_P (Settings, SettingsXmlBoolLoad, ::testing::Values (
    BoolLoadCase { L"<root><SolvinConnected>1</SolvinConnected></root>", false, true },
    BoolLoadCase { L"<root><SolvinConnected>0</SolvinConnected></root>", true, false },
    BoolLoadCase { L"<root><SolvinConnected>true</SolvinConnected></root>", true, false },
    BoolLoadCase { L"<root><SolvinConnected> 1</SolvinConnected></root>", true, false },
    BoolLoadCase { L"<root><SolvinConnected></SolvinConnected></root>", true, false },
    BoolLoadCase { L"<root><SolvinConnected><x>1</x></SolvinConnected></root>", true, true },
    BoolLoadCase { L"<root><Other>0</Other></root>", true, true },
    BoolLoadCase { L"<root><Other>1</Other></root>", false, false },
    BoolLoadCase { L"", true, true }));

struct ListLoadCase
{
    const wchar_t* document;
    std::vector<int32_t> expected;
};

class SettingsXmlListLoad : public ::testing::TestWithParam<ListLoadCase> {};

TEST_P (SettingsXmlListLoad, ANonEmptyTextReplacesTheListAndAnythingElseKeepsIt)
{
    ExampleSettingsOwner owner;
    owner.channelMapping.savedList = { 9 };

    const auto root = xmlReadFileImpl (GetParam().document);
    owner.load (root.get());

    EXPECT_EQ (static_cast<const std::vector<int32_t>&> (owner.channelMapping), GetParam().expected);
    EXPECT_EQ (owner.channelMapping.savedList, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P (Settings, SettingsXmlListLoad, ::testing::Values (
    ListLoadCase { L"<root><ChannelMapping>3,2</ChannelMapping></root>", { 3, 2 } },
    ListLoadCase { L"<root><ChannelMapping>7,,8</ChannelMapping></root>", { 7, 0, 8 } },
    ListLoadCase { L"<root><ChannelMapping></ChannelMapping></root>", { 0, 1, 2, 3, 4, 5 } },
    ListLoadCase { L"<root><ChannelMapping><x>1</x></ChannelMapping></root>", { 0, 1, 2, 3, 4, 5 } },
    ListLoadCase { L"<root></root>", { 0, 1, 2, 3, 4, 5 } },
    ListLoadCase { L"", { 0, 1, 2, 3, 4, 5 } }));

TEST (SettingsXml, ChangedSettingsSurviveWritingAndReading)
{
    ExampleSettingsOwner saved;
    saved.channelMapping.assign ({ 5, 4, 3, 2, 1, 0, -1, 2147483647 });
    saved.solvinConnected.setValue (true);

    ExampleSettingsOwner restored;
    const auto root = xmlReadFileImpl (saveSettings (saved));
    restored.load (root.get());

    EXPECT_EQ (static_cast<const std::vector<int32_t>&> (restored.channelMapping),
               static_cast<const std::vector<int32_t>&> (saved.channelMapping));
    EXPECT_TRUE (restored.solvinConnected.value);
    EXPECT_EQ (saveSettings (restored), saveSettings (saved));
}

TEST (SettingsXml, DeeplyNestedTextIsReadAndReleasedWithoutRecursion)
{
    constexpr size_t depth = 1000000;
    std::wstring text;
    text.reserve (depth * 3 + 8);

    for (size_t i = 0; i < depth; ++i)
        text += L"<a>";

    text += L"x</a>";

    auto root = xmlReadFileImpl (text);
    ASSERT_NE (root, nullptr);
    EXPECT_EQ (root->children.size(), 1u);
    root.reset();
}

TEST (SettingsXml, ArbitraryTextNeverBreaksTheReader)
{
    const std::wstring alphabet = L"<<>>//?&;ab \n\"!";
    std::mt19937 random (20240611);
    std::uniform_int_distribution<size_t> pick (0, alphabet.size() - 1), length (0, 60);

    for (int round = 0; round < 5000; ++round)
    {
        std::wstring text (length (random), L' ');

        for (auto& c : text)
            c = alphabet[pick (random)];

        if (const auto root = xmlReadFileImpl (text))
        {
            expectConsistentTree (*root);
            EXPECT_FALSE (writeTree (*root).empty());
        }
    }
}
