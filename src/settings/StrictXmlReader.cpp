#include "StrictXmlReader.h"

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
    TreeBuilder (XML_Parser parserToStop, int maxDepthToAllow)
        : parser (parserToStop), maxDepth (maxDepthToAllow)
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

        open.push_back ({ std::move (element), {} });
    }

    void _endElement()
    {
        if (refused || open.empty())
            return;

        _flushText (true);

        auto finished = std::move (open.back());
        open.pop_back();

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

StrictXmlReader::FileReading setAsideAsUnreadable (const juce::File& file, StrictXmlReader::MoveFunction moveFile)
{
    return { nullptr, StrictXmlReader::setAside (file, moveFile) };
}
} // namespace

std::unique_ptr<juce::XmlElement> StrictXmlReader::parse (const void* data, size_t numBytes, int maxDepth)
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

    TreeBuilder builder (parser.get(), maxDepth);
    XML_SetUserData (parser.get(), &builder);
    XML_SetElementHandler (parser.get(), TreeBuilder::startElement, TreeBuilder::endElement);
    XML_SetCharacterDataHandler (parser.get(), TreeBuilder::characterData);
    XML_SetStartDoctypeDeclHandler (parser.get(), TreeBuilder::startDoctype);
    XML_SetEntityDeclHandler (parser.get(), TreeBuilder::entityDeclaration);
    XML_SetParamEntityParsing (parser.get(), XML_PARAM_ENTITY_PARSING_NEVER);

    const auto status = XML_Parse (parser.get(), static_cast<const char*> (data), (int) numBytes, XML_TRUE);

    if (status != XML_STATUS_OK || builder.wasRefused())
        return nullptr;

    return builder.takeRoot();
}

StrictXmlReader::FileReading StrictXmlReader::readSettingsFile (const juce::File& file, const juce::String& rootName,
                                                                MoveFunction moveFile)
{
    const auto path = file.getFullPathName();

    if (path.isEmpty())
        return {};

    // The name first, so that nothing but a regular file is ever opened (opening a device can
    // act on it, opening a FIFO waits for a writer).
    struct stat named;
    if (::stat (path.toRawUTF8(), &named) != 0)
    {
        if (errno == ENOENT || errno == ENOTDIR)
            return {}; // missing, or a link to nothing

        return setAsideAsUnreadable (file, moveFile);
    }

    if (S_ISDIR (named.st_mode))
        return { nullptr, false };

    if (! S_ISREG (named.st_mode))
        return setAsideAsUnreadable (file, moveFile);

    // Then the descriptor, which is what is read: the name may have changed in between.
    const Descriptor in (::open (path.toRawUTF8(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));

    if (in.fd < 0)
        return errno == ENOENT ? FileReading {} : setAsideAsUnreadable (file, moveFile);

    struct stat opened {};
    if (::fstat (in.fd, &opened) != 0 || ! S_ISREG (opened.st_mode))
        return S_ISDIR (opened.st_mode) ? FileReading { nullptr, false } : setAsideAsUnreadable (file, moveFile);

    juce::MemoryBlock bytes;

    if (readAll (in.fd, bytes) != ReadOutcome::read)
        return setAsideAsUnreadable (file, moveFile);

    if (bytes.isEmpty())
        return {};

    auto root = parse (bytes.getData(), bytes.getSize());

    if (root == nullptr || (rootName.isNotEmpty() && ! root->getTagName().equalsIgnoreCase (rootName)))
        return setAsideAsUnreadable (file, moveFile);

    return { std::move (root), true };
}

std::unique_ptr<juce::XmlElement> StrictXmlReader::readFile (const juce::File& file, MoveFunction moveFile)
{
    return readSettingsFile (file, {}, moveFile).root;
}

bool StrictXmlReader::setAside (const juce::File& file, MoveFunction moveFile)
{
    const auto path = file.getFullPathName();
    struct stat itself;

    if (path.isEmpty() || ::lstat (path.toRawUTF8(), &itself) != 0)
        return false;

    bool cannotMove = false;

    for (int number = 0; number <= maxSetAsideNumber; ++number)
    {
        const auto name = number == 0 ? unreadableCopyOf (file)
                                      : file.getSiblingFile (unreadableCopyOf (file).getFileName() + "." + juce::String (number));

        if (! cannotMove)
        {
            if (moveFile == nullptr ? renameWithoutReplacing (path.toRawUTF8(), name.getFullPathName().toRawUTF8())
                                    : ! isTaken (name) && moveFile (file, name))
                return true;

            if (moveFile != nullptr)
                errno = isTaken (name) ? EEXIST : EPERM;

            if (errno == EEXIST || errno == ENOTEMPTY || errno == EISDIR || errno == ENOTDIR)
                continue;

            // Cannot be moved at all: a regular file's bytes are copied instead; anything else
            // is left where it is, unopened.
            struct stat target;
            if (::stat (path.toRawUTF8(), &target) != 0 || ! S_ISREG (target.st_mode))
                return false;

            cannotMove = true;
        }

        if (! isTaken (name))
            return file.copyFileTo (name);
    }

    return false;
}

juce::File StrictXmlReader::unreadableCopyOf (const juce::File& file)
{
    return file.getSiblingFile (file.getFileName() + ".unreadable");
}
