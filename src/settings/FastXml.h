#pragma once

#include "XmlNode.h"

#include <memory>
#include <ostream>
#include <string>

/** The settings model's own small XML dialect: elements and texts only, no attributes, and the
    entities &lt; &gt; &amp; &quot;. These functions keep no state and take no locks. */

/** Appends to `parent` an element named `name` holding one text node with `text`, also when the
    text is empty. Does nothing when `parent` is null. */
void xmlAddTextNode (XmlNode* parent, const std::wstring& name, const std::wstring& text);

/** Finds the element at `path` ("a/b": the first child element a, then its first child element
    b). Names match case-sensitively; a text child met before the match ends the search with null. */
const XmlNode* xmlGetNode (const XmlNode* node, const std::wstring& path);

/** The text of the element at `path` when it holds exactly one text node, else `defaultText`. */
std::wstring xmlGetText (const XmlNode* node, const std::wstring& path, const std::wstring& defaultText);

/** Writes `node` and everything below it, one element a line and indented with tabs by `depth`;
    call it with the root and depth 0. */
void xmlWriteFileImpl (std::wostream& stream, const XmlNode* node, int depth);

/** Reads a text written by xmlWriteFileImpl (and tolerates anything else): returns the first
    top-level element with everything read below it, or null when the text opens no element.
    Text between elements is dropped; only elements without child elements get a text node. */
std::unique_ptr<XmlNode> xmlReadFileImpl (const std::wstring& text);
