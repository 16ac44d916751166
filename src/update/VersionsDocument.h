#pragma once

#include "VersionNumber.h"

#include <juce_core/juce_core.h>

#include <memory>
#include <optional>

/** Reads the maker's versions document: the root (any name) holds the product element
    "kestrovantrel" (matched ignoring case), which holds "versions" (also ignoring case), whose
    every child is one release with the attributes "versionstring" and "downloadurl" (exact
    names; a missing one reads as empty).

    The text arrives from the network, so it is read by the strict reader of untrusted XML, which
    refuses what the document never needs and what could exhaust the update thread: document type
    declarations (entity expansion, outside reads) and elements nested deeper than a versions
    document ever is. */
class VersionsDocument
{
public:
    struct Entry
    {
        juce::String versionText;
        juce::String downloadUrl;
    };

    /** The document's root, or null for empty text, text that is not well-formed XML, or text
        the parser is not given (see above). */
    static std::unique_ptr<juce::XmlElement> parse (const juce::String& text);

    /** The same for the bytes of the server's answer, read as they came: bytes that are no UTF-8
        are no document. */
    static std::unique_ptr<juce::XmlElement> parse (const juce::MemoryBlock& bytes);

    /** The first of the entries with the highest version that is newer than `runningVersion`;
        nothing when there is none, or when the product element or "versions" is missing. */
    static std::optional<Entry> findNewerEntry (const juce::XmlElement& root, const VersionNumber& runningVersion);

    /** The product element's name: the product name in lower case without its blank. */
    static juce::String productElementName();

    static constexpr int maxNestingDepth = 32;

    VersionsDocument() = delete;

private:
    static const juce::XmlElement* _findChildIgnoringCase (const juce::XmlElement& parent, const juce::String& name);
};
