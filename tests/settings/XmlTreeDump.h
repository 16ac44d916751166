#pragma once

#include "settings/XmlNode.h"

#include <string>

/** A one-line picture of a tree for comparing in tests: an element is its name followed by its
    children in brackets, a text is quoted, and no tree at all is "null".
    For example root(a("1"),b()). */
inline std::wstring dumpXmlTree (const XmlNode* node)
{
    if (node == nullptr)
        return L"null";

    if (node->isText)
        return L"\"" + node->text + L"\"";

    std::wstring result = node->text + L"(";

    for (size_t i = 0; i < node->children.size(); ++i)
        result += (i > 0 ? L"," : L"") + dumpXmlTree (node->children[i].get());

    return result + L")";
}
