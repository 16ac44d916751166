// Replacing a settings file: all at once, through a link to the file a user keeps elsewhere, and
// nothing left behind when it fails.

#include "settings/SettingsFileWriter.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{
class SettingsFileWriting : public ::testing::Test
{
protected:
    SettingsFileWriting()
    {
        settings.createDirectory();
        dotfiles.createDirectory();
    }

    ~SettingsFileWriting() override { folder.deleteRecursively(); }

    static bool replace (const juce::File& file, const std::string& bytes)
    {
        return SettingsFileWriter::replace (file, bytes.data(), bytes.size());
    }

    static juce::StringArray namesIn (const juce::File& dir)
    {
        juce::StringArray names;
        for (const auto& child : dir.findChildFiles (juce::File::findFilesAndDirectories, false))   // hidden ones too
            names.add (child.getFileName());
        names.sort (false);
        return names;
    }

    static mode_t modeOf (const juce::File& file)
    {
        struct stat info {};
        ::stat (file.getFullPathName().toRawUTF8(), &info);
        return info.st_mode & 0777;
    }

    const juce::File folder { juce::File::createTempFile ("kestro-settingswriter") };
    const juce::File settings { folder.getChildFile ("settings") };
    const juce::File dotfiles { folder.getChildFile ("dotfiles") };
    const juce::File file { settings.getChildFile ("config.xml") };
};
} // namespace

TEST_F (SettingsFileWriting, ReplacesAPlainFileAndKeepsItsPermissions)
{
    ASSERT_TRUE (replace (file, "first"));
    EXPECT_EQ (file.loadFileAsString(), "first");

    ASSERT_EQ (::chmod (file.getFullPathName().toRawUTF8(), 0640), 0);
    ASSERT_TRUE (replace (file, "second"));
    EXPECT_EQ (file.loadFileAsString(), "second");
    EXPECT_EQ (modeOf (file), (mode_t) 0640);
    EXPECT_EQ (namesIn (settings), juce::StringArray ("config.xml")) << "nothing left beside it";
}

// A relative link to a relative link: the file at the end is replaced in its own folder, and both
// links stay as they were.
TEST_F (SettingsFileWriting, WritesThroughAChainOfLinksAndKeepsThem)
{
    const auto target = dotfiles.getChildFile ("kestro.xml");
    const auto middle = dotfiles.getChildFile ("current.xml");
    ASSERT_TRUE (target.replaceWithText ("old"));
    ASSERT_EQ (::symlink ("kestro.xml", middle.getFullPathName().toRawUTF8()), 0);
    ASSERT_EQ (::symlink ("../dotfiles/current.xml", file.getFullPathName().toRawUTF8()), 0);

    EXPECT_EQ (SettingsFileWriter::resolveLinks (file), target);
    ASSERT_TRUE (replace (file, "new"));

    EXPECT_TRUE (file.isSymbolicLink());
    EXPECT_TRUE (middle.isSymbolicLink());
    EXPECT_EQ (target.loadFileAsString(), "new");
    EXPECT_EQ (namesIn (settings), juce::StringArray ("config.xml"));
    EXPECT_EQ (namesIn (dotfiles), juce::StringArray ("current.xml", "kestro.xml"));

    // A link to a file not made yet makes it; a loop of links is no file to write.
    ASSERT_TRUE (target.deleteFile());
    ASSERT_TRUE (replace (file, "made"));
    EXPECT_EQ (target.loadFileAsString(), "made");
    EXPECT_TRUE (file.isSymbolicLink());

    const auto loop = settings.getChildFile ("loop.xml");
    ASSERT_EQ (::symlink ("loop.xml", loop.getFullPathName().toRawUTF8()), 0);
    EXPECT_FALSE (replace (loop, "x"));
    EXPECT_TRUE (loop.isSymbolicLink());
}

TEST_F (SettingsFileWriting, AFailedRenameKeepsTheOldFileAndLeavesNothingBehind)
{
    // A folder at the target cannot be replaced by a file.
    const auto target = dotfiles.getChildFile ("kestro.xml");
    ASSERT_TRUE (target.getChildFile ("inside").create().wasOk());
    ASSERT_EQ (::symlink (target.getFullPathName().toRawUTF8(), file.getFullPathName().toRawUTF8()), 0);

    EXPECT_FALSE (replace (file, "new"));
    EXPECT_TRUE (target.getChildFile ("inside").existsAsFile());
    EXPECT_EQ (namesIn (dotfiles), juce::StringArray ("kestro.xml"));
}
