#include "SettingsFileWriter.h"

#include <cerrno>
#include <climits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
/** As many links as the kernel follows in one path. */
constexpr int s_maxLinks = 40;
} // namespace

bool SettingsFileWriter::writeAll (int fd, const char* data, size_t size)
{
    while (size > 0)
    {
        const auto count = ::write (fd, data, size);

        if (count < 0 && errno == EINTR)
            continue;

        if (count <= 0)
            return false;

        data += count;
        size -= (size_t) count;
    }

    return true;
}

juce::File SettingsFileWriter::resolveLinks (const juce::File& file)
{
    auto current = file;

    for (int links = 0; links <= s_maxLinks; ++links)
    {
        const auto path = current.getFullPathName();
        struct stat itself;

        if (::lstat (path.toRawUTF8(), &itself) != 0 || ! S_ISLNK (itself.st_mode))
            return current;

        char target[PATH_MAX];
        const auto length = ::readlink (path.toRawUTF8(), target, sizeof (target) - 1);

        if (length <= 0)
            return current;

        // A relative target is taken from the link's own folder.
        current = current.getParentDirectory().getChildFile (juce::String::fromUTF8 (target, (int) length));
    }

    return {};
}

bool SettingsFileWriter::replace (const juce::File& file, const void* data, size_t numBytes)
{
    const auto target = resolveLinks (file);
    if (target == juce::File())
        return false;

    const auto targetPath = target.getFullPathName();
    struct stat old;
    const bool hadFile = ::stat (targetPath.toRawUTF8(), &old) == 0 && S_ISREG (old.st_mode);

    // A new name in the target's folder, made by this call alone (O_EXCL), for a rename within
    // one file system.
    juce::String temporaryPath;
    int fd = -1;

    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt)
    {
        temporaryPath = target.getSiblingFile ("." + target.getFileName() + ".new-"
                                               + juce::String::toHexString (juce::Random::getSystemRandom().nextInt())).getFullPathName();
        fd = ::open (temporaryPath.toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);

        if (fd < 0 && errno != EEXIST)
            return false;
    }

    if (fd < 0)
        return false;

    bool written = writeAll (fd, static_cast<const char*> (data), numBytes);

    if (written && hadFile)
        written = ::fchmod (fd, old.st_mode & 0777) == 0;

    written = ::close (fd) == 0 && written;

    if (written && ::rename (temporaryPath.toRawUTF8(), targetPath.toRawUTF8()) == 0)
        return true;

    ::unlink (temporaryPath.toRawUTF8());
    return false;
}
