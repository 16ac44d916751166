#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <memory>
#include <vector>

/** The one reader for XML that comes from outside the program: the files in the settings folder
    and the versions document from the network. It is built on expat and takes only what those
    documents need:
    - the bytes must be well-formed XML in UTF-8 (a byte-order mark and a declaration are fine;
      malformed, overlong or truncated sequences, and any other encoding, are refused);
    - a document type declaration is refused as soon as it starts, so no entity but the five
      predefined ones and character references is ever expanded, and nothing is read from
      another file or address;
    - elements nested deeper than the caller's limit, or carrying more than maxAttributes
      attributes, are refused; the reader counts the depth itself, and neither it nor expat
      recurses per level, so the limit also bounds every recursive walk of the tree it returns.

    What it accepts becomes the juce::XmlElement tree the framework's own parser would build:
    elements with their attributes in document order and text exactly as decoded (character
    references included; line ends normalised as XML says), a text node for each run of
    character data (CDATA sections and text on either side of a comment or processing
    instruction join into one run). A run of white space only is dropped when the element also
    holds other content (the indentation between elements), and kept when it is the element's
    whole content. Comments and processing instructions are dropped.

    Keeps no state between calls; any thread may call it. */
class StrictXmlReader
{
public:
    /** Deep enough for any settings file the program or a user writes. */
    static constexpr int defaultMaxDepth = 256;

    /** An element with more attributes than this is refused (the framework adds each attribute
        by walking the ones before it). */
    static constexpr int maxAttributes = 1024;

    /** A settings file larger than this is not read (they are a few hundred bytes). */
    static constexpr juce::int64 maxFileBytes = 4 * 1024 * 1024;

    /** Where the tags of the root element and of its child elements lie in the bytes that were
        parsed: what a writer needs to change one attribute or add one child and leave every other
        byte as it was. */
    struct TopLevelTags
    {
        struct Span
        {
            size_t offset = 0;
            size_t length = 0;
        };

        struct Element
        {
            Span startTag;
            Span endTag;   ///< length 0 for an empty-element tag ("<a/>")
        };

        Element root;
        std::vector<Element> children;   ///< the root's child elements, in document order
    };

    /** The document's root element, or null for "no document": bytes that are empty, not
        well-formed, or refused for one of the reasons above. When `tags` is given, it is filled
        for the document returned. */
    static std::unique_ptr<juce::XmlElement> parse (const void* data, size_t numBytes, int maxDepth = defaultMaxDepth,
                                                    TopLevelTags* tags = nullptr);

    /** How an unreadable settings file is moved aside: a rename that never replaces anything,
        unless a test needs a move that fails. */
    using MoveFunction = bool (*) (const juce::File& source, const juce::File& target);

    /** What readSettingsFile found. */
    struct FileReading
    {
        /** The document, or null. */
        std::unique_ptr<juce::XmlElement> root;

        /** Whether the caller may write a new file in the file's place: false for a folder there,
            and for a file that could not be read and could not be set aside either. */
        bool mayReplace = true;

        /** With a document: the file's bytes, and where its top-level tags lie in them. */
        juce::MemoryBlock bytes;
        TopLevelTags tags;
    };

    /** Reads a settings file; any root element is taken. Null, with nothing touched, for an empty
        path, a missing file (or a link to nothing) or an empty one; null for a folder in its
        place, which is left alone too. A link is followed to what it names.

        Only a regular file is read, and nothing else is ever opened: the name is resolved into a
        handle that opens nothing (O_PATH: no driver's open, no wait for a FIFO's writer), the
        handle is looked at, and only a regular file is then read, through that very handle, so
        nothing swapped in at the name in between is reached. This needs /proc; without it no
        file is read, none is set aside, and mayReplace is false.

        Anything else in the file's place (a FIFO, a device, a socket, or a link to one), a file
        that cannot be read, one larger than maxFileBytes and one that holds no document gives
        null after it has been set aside, so that the next write of the file does not destroy
        what it held: the file (a link itself, not what it names) is renamed to the first free one
        of unreadableCopyOf (file), then "<name>.unreadable.1" and so on up to maxSetAsideNumber,
        never over anything there. A regular file that cannot be renamed (a bind mount's EBUSY)
        is copied from the checked handle into a file newly made under the first free name
        instead, unless one of those names already holds a regular file with the same bytes. */
    static FileReading readSettingsFile (const juce::File& file, MoveFunction moveFile = nullptr);

    /** readSettingsFile (file) without the verdict on the file's place. */
    static std::unique_ptr<juce::XmlElement> readFile (const juce::File& file, MoveFunction moveFile = nullptr);

    /** The highest number a set-aside file's name gets. */
    static constexpr int maxSetAsideNumber = 100;

    /** Where an unreadable settings file is kept first: "<name>.unreadable" in the same folder. */
    static juce::File unreadableCopyOf (const juce::File& file);

    StrictXmlReader() = delete;
};
