#pragma once

#include <memory>
#include <string>
#include <vector>

/** One node of the settings model's own XML tree: an element, whose name is `text`, or a text.
    A node owns its children; `parent` only points back up. A tree belongs to the call that builds
    it, so nothing here is locked. */
class XmlNode
{
public:
    XmlNode (XmlNode* parentNode, bool isTextNode, std::wstring nodeText);

    /** Destroys the whole subtree without recursion, so a tree read from a hostile, deeply
        nested text cannot exhaust the stack. */
    ~XmlNode();

    XmlNode (const XmlNode&) = delete;
    XmlNode& operator= (const XmlNode&) = delete;

    /** Appends a new child whose `parent` is this node and returns it. */
    XmlNode* addChild (bool isTextNode, std::wstring nodeText);

    XmlNode* parent = nullptr;
    bool isText = false;
    std::wstring text;
    std::vector<std::unique_ptr<XmlNode>> children;
};
