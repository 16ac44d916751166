#include "StrictXmlReader.h"

#include <expat.h>

#include <climits>
#include <cstring>
#include <type_traits>
#include <string>
#include <vector>

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

void keepUnreadable (const juce::File& file, StrictXmlReader::MoveFunction moveFile)
{
    const auto copy = StrictXmlReader::unreadableCopyOf (file);
    const bool moved = moveFile != nullptr ? moveFile (file, copy) : file.moveFileTo (copy);

    // A file that may not be renamed or deleted (append-only, say) can often still be read.
    if (! moved)
        file.copyFileTo (copy);
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

std::unique_ptr<juce::XmlElement> StrictXmlReader::readFile (const juce::File& file, MoveFunction moveFile)
{
    if (file.getFullPathName().isEmpty() || ! file.existsAsFile())
        return nullptr;

    juce::MemoryBlock bytes;
    bool wasRead = false;

    {
        juce::FileInputStream in (file);

        // One byte more than allowed tells a file that is too large (or a device without end).
        if (in.openedOk())
        {
            in.readIntoMemoryBlock (bytes, (ssize_t) maxFileBytes + 1);
            wasRead = in.getStatus().wasOk() && (juce::int64) bytes.getSize() <= maxFileBytes;
        }
    }

    if (wasRead && bytes.isEmpty())
        return nullptr;

    if (wasRead)
        if (auto root = parse (bytes.getData(), bytes.getSize()))
            return root;

    keepUnreadable (file, moveFile);
    return nullptr;
}

juce::File StrictXmlReader::unreadableCopyOf (const juce::File& file)
{
    return file.getSiblingFile (file.getFileName() + ".unreadable");
}
