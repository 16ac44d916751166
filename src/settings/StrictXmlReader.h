#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <memory>

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

    /** The document's root element, or null for "no document": bytes that are empty, not
        well-formed, or refused for one of the reasons above. */
    static std::unique_ptr<juce::XmlElement> parse (const void* data, size_t numBytes, int maxDepth = defaultMaxDepth);

    /** How setAside moves a file aside: a rename that never replaces anything, unless a test
        needs a move that fails. */
    using MoveFunction = bool (*) (const juce::File& source, const juce::File& target);

    /** What readSettingsFile found. */
    struct FileReading
    {
        /** The document, or null. */
        std::unique_ptr<juce::XmlElement> root;

        /** Whether the caller may write a new file in the file's place: false for a folder there,
            and for a file that could not be read and could not be set aside either. */
        bool mayReplace = true;
    };

    /** Reads a settings file. Null, with nothing touched, for an empty path, a missing file or an
        empty one; null for a folder in its place, which is left alone too. Only a regular file
        is read: the name is looked at first and then the descriptor opened (without waiting, so
        a FIFO or a device cannot block), so neither can turn into something else in between.
        Anything else in the file's place (a FIFO, a device, a socket, or a link to one), a file
        that cannot be read, one larger than maxFileBytes, one that holds no document, and one
        whose root element is not named `rootName` (ignoring case; any root when it is empty),
        gives null after it has been set aside (setAside), so that the next write of the file
        does not destroy what it held. */
    static FileReading readSettingsFile (const juce::File& file, const juce::String& rootName = {},
                                         MoveFunction moveFile = nullptr);

    /** readSettingsFile (file) without the verdict on the file's place. */
    static std::unique_ptr<juce::XmlElement> readFile (const juce::File& file, MoveFunction moveFile = nullptr);

    /** Moves the file (a link itself, not what it points to) to the first free one of
        unreadableCopyOf (file), then "<name>.unreadable.1" and so on up to maxSetAsideNumber, never
        over anything already there. A regular file that cannot be moved is copied there instead;
        anything else is never opened. Returns whether the file was moved or copied. */
    static bool setAside (const juce::File& file, MoveFunction moveFile = nullptr);

    /** The highest number a set-aside file's name gets. */
    static constexpr int maxSetAsideNumber = 100;

    /** Where setAside keeps a file first: "<name>.unreadable" in the same folder. */
    static juce::File unreadableCopyOf (const juce::File& file);

    StrictXmlReader() = delete;
};
