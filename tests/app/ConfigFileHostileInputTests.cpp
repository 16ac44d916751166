// Settings files the program cannot read: each is no document, so a start-up keeps the defaults,
// and each is kept beside the new file the shutdown writes.

#include "settings/HostileXmlInputs.h"

#include "app/StandaloneConfigFile.h"

#include <gtest/gtest.h>

namespace
{
std::string bytesOf (const juce::File& file)
{
    juce::MemoryBlock block;
    file.loadFileAsData (block);
    return { static_cast<const char*> (block.getData()), block.getSize() };
}

void writeBytes (const juce::File& file, const std::string& bytes)
{
    ASSERT_TRUE (file.getParentDirectory().createDirectory());
    ASSERT_TRUE (file.replaceWithData (bytes.data(), bytes.size()));
}

class ConfigFileHostileInput : public ::testing::TestWithParam<HostileXml>
{
protected:
    ConfigFileHostileInput() { folder.createDirectory(); }
    ~ConfigFileHostileInput() override { folder.deleteRecursively(); }

    const juce::File folder { juce::File::createTempFile ("kestro-config-hostile") };
    const juce::File configFile { folder.getChildFile ("Kestro/Vantrel/config.xml") };
    const juce::File keptFile { folder.getChildFile ("Kestro/Vantrel/config.xml.unreadable") };
};
} // namespace

TEST_P (ConfigFileHostileInput, IsNoDocumentAndIsKeptBesideIt)
{
    const auto& input = GetParam();
    writeBytes (configFile, input.bytes);

    const auto root = StandaloneConfigFile::read (configFile);

    if (input.isDocument)
    {
        ASSERT_NE (root, nullptr);
        EXPECT_EQ (root->getChildByName ("Processor"), nullptr) << "nothing to restore";
        EXPECT_EQ (bytesOf (configFile), input.bytes);
        EXPECT_FALSE (keptFile.exists());
        return;
    }

    EXPECT_EQ (root, nullptr);
    EXPECT_FALSE (configFile.exists()) << "moved away before anything writes the file";
    EXPECT_EQ (bytesOf (keptFile), input.bytes);
}

INSTANTIATE_TEST_SUITE_P (ConfigFile, ConfigFileHostileInput, ::testing::ValuesIn (hostileXmlInputs()),
                          [] (const auto& testCase) { return std::string (testCase.param.name); });
