#include "XmlNode.h"

XmlNode::XmlNode (XmlNode* parentNode, bool isTextNode, std::wstring nodeText)
    : parent (parentNode), isText (isTextNode), text (std::move (nodeText))
{
}

XmlNode::~XmlNode()
{
    auto pending = std::move (children);

    while (! pending.empty())
    {
        auto node = std::move (pending.back());
        pending.pop_back();

        for (auto& child : node->children)
            pending.push_back (std::move (child));

        node->children.clear();
    }
}

XmlNode* XmlNode::addChild (bool isTextNode, std::wstring nodeText)
{
    children.push_back (std::make_unique<XmlNode> (this, isTextNode, std::move (nodeText)));
    return children.back().get();
}
