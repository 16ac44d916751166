#include "StrictXmlReader.h"

#include "SettingsFileWriter.h"

#include <expat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <type_traits>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
bool isXmlWhiteSpace (char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isAllWhiteSpace (const std::string& text)
{
    for (const auto c : text)
        if (! isXmlWhiteSpace (c))
            return false;

    return true;
}

/** Builds the tree from expat's callbacks. Children wait in a list of their own until their
    parent ends and are then put in front one by one, so a wide element costs no more than a
    deep one (the framework appends by walking the children before). */
class TreeBuilder
{
public:
    TreeBuilder (XML_Parser parserToStop, int maxDepthToAllow, StrictXmlReader::TopLevelTags* tagsToFill)
        : parser (parserToStop), maxDepth (maxDepthToAllow), tags (tagsToFill)
    {
    }

    bool wasRefused() const { return refused; }
    std::unique_ptr<juce::XmlElement> takeRoot() { return std::move (root); }

    static void XMLCALL startElement (void* userData, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<TreeBuilder*> (userData)->_startElement (name, attributes);
    }

    static void XMLCALL endElement (void* userData, const XML_Char*)
    {
        static_cast<TreeBuilder*> (userData)->_endElement();
    }

    static void XMLCALL characterData (void* userData, const XML_Char* text, int length)
    {
        auto& builder = *static_cast<TreeBuilder*> (userData);

        if (! builder.refused && ! builder.open.empty())
            builder.pendingText.append (text, (size_t) length);
    }

    // Stops the parse before the declaration's internal subset or external identifier is used.
    static void XMLCALL startDoctype (void* userData, const XML_Char*, const XML_Char*, const XML_Char*, int)
    {
        static_cast<TreeBuilder*> (userData)->_refuse();
    }

    static void XMLCALL entityDeclaration (void* userData, const XML_Char*, int, const XML_Char*, int,
                                           const XML_Char*, const XML_Char*, const XML_Char*, const XML_Char*)
    {
        static_cast<TreeBuilder*> (userData)->_refuse();
    }

private:
    struct OpenElement
    {
        std::unique_ptr<juce::XmlElement> element;
        std::vector<std::unique_ptr<juce::XmlElement>> children;
    };

    void _refuse()
    {
        // expat may still deliver a few callbacks for what it has already read; they are ignored.
        if (! refused)
            XML_StopParser (parser, XML_FALSE);

        refused = true;
    }

    void _startElement (const XML_Char* name, const XML_Char** attributes)
    {
        if (refused)
            return;

        _flushText (false);

        if ((int) open.size() >= maxDepth)
        {
            _refuse();
            return;
        }

        auto element = std::make_unique<juce::XmlElement> (juce::String::fromUTF8 (name));

        for (int i = 0; attributes[i] != nullptr; i += 2)
        {
            if (i / 2 >= StrictXmlReader::maxAttributes)
            {
                _refuse();
                return;
            }

            // expat has refused duplicates already, so each one is added at the end.
            element->setAttribute (juce::Identifier (juce::String::fromUTF8 (attributes[i])),
                                   juce::String::fromUTF8 (attributes[i + 1]));
        }

        if (tags != nullptr && open.size() < 2)
        {
            const StrictXmlReader::TopLevelTags::Span startTag { (size_t) XML_GetCurrentByteIndex (parser),
                                                                 (size_t) XML_GetCurrentByteCount (parser) };
            if (open.empty())
                tags->root.startTag = startTag;
            else
                tags->children.push_back ({ startTag, {} });
        }

        open.push_back ({ std::move (element), {} });
    }

    void _endElement()
    {
        if (refused || open.empty())
            return;

        _flushText (true);

        auto finished = std::move (open.back());
        open.pop_back();

        if (tags != nullptr && open.size() < 2)
        {
            // expat reports no bytes for the end of an empty-element tag.
            const StrictXmlReader::TopLevelTags::Span endTag { (size_t) XML_GetCurrentByteIndex (parser),
                                                               (size_t) XML_GetCurrentByteCount (parser) };
            (open.empty() ? tags->root : tags->children.back()).endTag = endTag;
        }

        for (auto child = finished.children.rbegin(); child != finished.children.rend(); ++child)
            finished.element->prependChildElement (child->release());

        if (open.empty())
            root = std::move (finished.element);
        else
            open.back().children.push_back (std::move (finished.element));
    }

    /** Adds the run of text read since the last tag to the open element. White space alone is
        the layout between elements, unless the element ends without any other content. */
    void _flushText (bool elementEnds)
    {
        if (open.empty() || pendingText.empty())
            return;

        auto& current = open.back();

        if (! isAllWhiteSpace (pendingText) || (elementEnds && current.children.empty()))
            current.children.push_back (std::unique_ptr<juce::XmlElement> (
                juce::XmlElement::createTextElement (juce::String::fromUTF8 (pendingText.data(), (int) pendingText.size()))));

        pendingText.clear();
    }

    XML_Parser parser;
    const int maxDepth;
    StrictXmlReader::TopLevelTags* const tags;
    bool refused = false;
    std::vector<OpenElement> open;
    std::string pendingText;
    std::unique_ptr<juce::XmlElement> root;
};

struct ParserDeleter
{
    void operator() (XML_Parser parser) const { XML_ParserFree (parser); }
};

/** Renames without replacing anything at the new name; false with EEXIST when something is there. */
bool renameWithoutReplacing (const char* from, const char* to)
{
    if (::renameat2 (AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0)
        return true;

    if (errno != EINVAL && errno != ENOSYS)
        return false;

    // A file system without that flag: look first (a dangling link counts as there too).
    struct stat there;
    if (::lstat (to, &there) == 0)
    {
        errno = EEXIST;
        return false;
    }

    return ::rename (from, to) == 0;
}

bool isTaken (const juce::File& name)
{
    struct stat there;
    return ::lstat (name.getFullPathName().toRawUTF8(), &there) == 0 || errno != ENOENT;
}

/** What a read of an opened regular file gave. */
enum class ReadOutcome { read, tooLarge, failed };

ReadOutcome readAll (int fd, juce::MemoryBlock& bytes)
{
    // One byte more than allowed tells a file that is too large.
    constexpr auto limit = (size_t) StrictXmlReader::maxFileBytes + 1;
    char buffer[16384];
    juce::MemoryOutputStream out (bytes, false);

    while (out.getDataSize() < limit)
    {
        const auto wanted = std::min (sizeof (buffer), limit - out.getDataSize());
        const auto count = ::read (fd, buffer, wanted);

        if (count < 0 && errno == EINTR)
            continue;

        if (count < 0)
            return ReadOutcome::failed;

        if (count == 0)
            break;

        out.write (buffer, (size_t) count);
    }

    out.flush();
    return out.getDataSize() < limit ? ReadOutcome::read : ReadOutcome::tooLarge;
}

/** Owns a file descriptor. */
struct Descriptor
{
    explicit Descriptor (int fdToOwn) : fd (fdToOwn) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close (fd);
    }

    const int fd;

    JUCE_DECLARE_NON_COPYABLE (Descriptor)
};

/** Opens for reading the very file a handle from O_PATH names, whatever is at its name now. A
    handle that opens nothing cannot be read itself, and no call reopens it but this magic link. */
int reopenForReading (int pathHandle)
{
    const auto name = "/proc/self/fd/" + std::to_string (pathHandle);
    return ::open (name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

ssize_t readSome (int fd, char* buffer, size_t wanted)
{
    for (;;)
    {
        const auto count = ::read (fd, buffer, wanted);

        if (count >= 0 || errno != EINTR)
            return count;
    }
}

/** Reads up to `wanted` bytes, fewer only at the end of the file; -1 on an error. */
ssize_t readFully (int fd, char* buffer, size_t wanted)
{
    size_t got = 0;

    while (got < wanted)
    {
        const auto count = readSome (fd, buffer + got, wanted - got);

        if (count < 0)
            return -1;

        if (count == 0)
            break;

        got += (size_t) count;
    }

    return (ssize_t) got;
}

bool holdSameBytes (int first, int second)
{
    char a[16384], b[16384];

    for (;;)
    {
        const auto countA = readFully (first, a, sizeof (a));
        const auto countB = readFully (second, b, sizeof (b));

        if (countA < 0 || countB < 0 || countA != countB || std::memcmp (a, b, (size_t) countA) != 0)
            return false;

        if (countA == 0)
            return true;
    }
}

/** Whether `name` is a regular file itself (no link) with the same bytes as the checked file. */
bool holdsCopyOf (const juce::File& name, int sourceHandle, const struct stat& source)
{
    const Descriptor candidate (::open (name.getFullPathName().toRawUTF8(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    struct stat there;

    if (candidate.fd < 0 || ::fstat (candidate.fd, &there) != 0 || ! S_ISREG (there.st_mode)
        || there.st_size != source.st_size)
        return false;

    const Descriptor kept (reopenForReading (candidate.fd));
    const Descriptor original (reopenForReading (sourceHandle));
    return kept.fd >= 0 && original.fd >= 0 && holdSameBytes (kept.fd, original.fd);
}

/** Copies the checked file into a file newly made at `target`; whatever is at `target` already
    makes it fail and stays untouched. */
bool copyInto (int sourceHandle, const juce::File& target)
{
    const Descriptor in (reopenForReading (sourceHandle));
    if (in.fd < 0)
        return false;

    const auto targetPath = target.getFullPathName();
    const Descriptor out (::open (targetPath.toRawUTF8(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.fd < 0)
        return false;

    char buffer[16384];

    for (;;)
    {
        const auto count = readSome (in.fd, buffer, sizeof (buffer));

        if (count == 0)
            return true;

        if (count < 0 || ! SettingsFileWriter::writeAll (out.fd, buffer, (size_t) count))
            break;
    }

    // A half copy is no copy; only the file made above is removed, never one put there since.
    struct stat made, named;
    if (::fstat (out.fd, &made) == 0 && ::lstat (targetPath.toRawUTF8(), &named) == 0
        && made.st_dev == named.st_dev && made.st_ino == named.st_ino)
        ::unlink (targetPath.toRawUTF8());

    return false;
}

juce::File setAsideName (const juce::File& file, int number)
{
    const auto first = StrictXmlReader::unreadableCopyOf (file);
    return number == 0 ? first : file.getSiblingFile (first.getFileName() + "." + juce::String (number));
}

/** Moves the file (a link itself, not what it names) to the first free set-aside name, or, when
    it cannot be moved at all, copies the regular file that `checkedHandle` (or -1) names there,
    unless a copy is kept already. Returns whether the file's content is kept. */
bool setAside (const juce::File& file, int checkedHandle, StrictXmlReader::MoveFunction moveFile)
{
    const auto path = file.getFullPathName();
    struct stat itself, checked {};

    if (path.isEmpty() || ::lstat (path.toRawUTF8(), &itself) != 0)
        return false;

    bool cannotMove = false;

    for (int number = 0; number <= StrictXmlReader::maxSetAsideNumber; ++number)
    {
        const auto name = setAsideName (file, number);

        if (! cannotMove)
        {
            if (moveFile == nullptr ? renameWithoutReplacing (path.toRawUTF8(), name.getFullPathName().toRawUTF8())
                                    : ! isTaken (name) && moveFile (file, name))
                return true;

            if (moveFile != nullptr)
                errno = isTaken (name) ? EEXIST : EPERM;

            if (errno == EEXIST || errno == ENOTEMPTY || errno == EISDIR || errno == ENOTDIR)
                continue;

            // Cannot be moved at all: a regular file's bytes are copied instead, from the handle
            // that was checked; anything else is left where it is, unopened.
            if (checkedHandle < 0 || ::fstat (checkedHandle, &checked) != 0 || ! S_ISREG (checked.st_mode))
                return false;

            // Every start and every quit meets such a file again: one copy is enough.
            for (int kept = 0; kept <= StrictXmlReader::maxSetAsideNumber; ++kept)
                if (holdsCopyOf (setAsideName (file, kept), checkedHandle, checked))
                    return true;

            cannotMove = true;
        }

        if (! isTaken (name))
            return copyInto (checkedHandle, name);
    }

    return false;
}

StrictXmlReader::FileReading setAsideAsUnreadable (const juce::File& file, int checkedHandle,
                                                   StrictXmlReader::MoveFunction moveFile)
{
    return { nullptr, setAside (file, checkedHandle, moveFile), {}, {} };
}
} // namespace

std::unique_ptr<juce::XmlElement> StrictXmlReader::parse (const void* data, size_t numBytes, int maxDepth,
                                                          TopLevelTags* tags)
{
    if (data == nullptr || numBytes == 0 || numBytes > (size_t) INT_MAX || maxDepth < 1
        || std::memchr (data, 0, numBytes) != nullptr)
        return nullptr;

    // The encoding given here overrides the document's declaration, but expat still switches to
    // UTF-16 for a byte-order mark or a zero byte among the first two; no UTF-8 document holds a
    // zero byte, and no UTF-16 one is without them (every '<' has one), so those were refused above.
    std::unique_ptr<std::remove_pointer_t<XML_Parser>, ParserDeleter> parser (XML_ParserCreate ("UTF-8"));

    if (parser == nullptr)
        return nullptr;

    TopLevelTags found;
    TreeBuilder builder (parser.get(), maxDepth, tags != nullptr ? &found : nullptr);
    XML_SetUserData (parser.get(), &builder);
    XML_SetElementHandler (parser.get(), TreeBuilder::startElement, TreeBuilder::endElement);
    XML_SetCharacterDataHandler (parser.get(), TreeBuilder::characterData);
    XML_SetStartDoctypeDeclHandler (parser.get(), TreeBuilder::startDoctype);
    XML_SetEntityDeclHandler (parser.get(), TreeBuilder::entityDeclaration);
    XML_SetParamEntityParsing (parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);

    const auto status = XML_Parse (parser.get(), static_cast<const char*> (data), (int) numBytes, XML_TRUE);

    if (status != XML_STATUS_OK || builder.wasRefused())
        return nullptr;

    if (tags != nullptr)
        *tags = std::move (found);

    return builder.takeRoot();
}

StrictXmlReader::FileReading StrictXmlReader::readSettingsFile (const juce::File& file, MoveFunction moveFile)
{
    const auto path = file.getFullPathName();

    if (path.isEmpty())
        return {};

    // A handle that opens nothing, so that what it names can be looked at first: opening a
    // device can act on it, opening a FIFO waits for a writer.
    const Descriptor handle (::open (path.toRawUTF8(), O_PATH | O_CLOEXEC));

    if (handle.fd < 0)
    {
        if (errno == ENOENT || errno == ENOTDIR)
            return {}; // missing, or a link to nothing

        return setAsideAsUnreadable (file, -1, moveFile);
    }

    struct stat checked;
    if (::fstat (handle.fd, &checked) != 0)
        return setAsideAsUnreadable (file, -1, moveFile);

    if (S_ISDIR (checked.st_mode))
        return { nullptr, false, {}, {} };

    if (! S_ISREG (checked.st_mode))
        return setAsideAsUnreadable (file, -1, moveFile);

    // What is read is the file checked, whatever the name holds by now.
    const Descriptor in (reopenForReading (handle.fd));

    if (in.fd < 0)
    {
        // Without /proc nothing can be read safely; the file is neither set aside nor replaced.
        if (errno == ENOENT)
            return { nullptr, false, {}, {} };

        return setAsideAsUnreadable (file, handle.fd, moveFile);
    }

    FileReading reading;

    if (readAll (in.fd, reading.bytes) != ReadOutcome::read)
        return setAsideAsUnreadable (file, handle.fd, moveFile);

    if (reading.bytes.isEmpty())
        return {};

    reading.root = parse (reading.bytes.getData(), reading.bytes.getSize(), defaultMaxDepth, &reading.tags);

    if (reading.root == nullptr)
        return setAsideAsUnreadable (file, handle.fd, moveFile);

    return reading;
}

std::unique_ptr<juce::XmlElement> StrictXmlReader::readFile (const juce::File& file, MoveFunction moveFile)
{
    return readSettingsFile (file, moveFile).root;
}

juce::File StrictXmlReader::unreadableCopyOf (const juce::File& file)
{
    return file.getSiblingFile (file.getFileName() + ".unreadable");
}
