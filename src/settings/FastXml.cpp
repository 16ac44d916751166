#include "FastXml.h"

#include <algorithm>

namespace
{
    const wchar_t* const m_whiteSpace = L" \t\n\v\f\r";

    std::wstring _trim (const std::wstring& text)
    {
        const auto first = text.find_first_not_of (m_whiteSpace);

        if (first == std::wstring::npos)
            return {};

        return text.substr (first, text.find_last_not_of (m_whiteSpace) - first + 1);
    }

    // Unknown entities are dropped; an "&" with no ";" after it drops the rest of the text.
    std::wstring _decodeEntities (const std::wstring& text, size_t begin, size_t end)
    {
        std::wstring result;
        result.reserve (end - begin);

        for (auto i = begin; i < end; ++i)
        {
            if (text[i] != L'&')
            {
                result += text[i];
                continue;
            }

            const auto start = text.begin() + (std::ptrdiff_t) i + 1;
            const auto semicolon = std::find (start, text.begin() + (std::ptrdiff_t) end, L';');

            if (semicolon == text.begin() + (std::ptrdiff_t) end)
                break;

            const std::wstring name (start, semicolon);

            if (name == L"lt")        result += L'<';
            else if (name == L"gt")   result += L'>';
            else if (name == L"amp")  result += L'&';
            else if (name == L"quot") result += L'"';

            i = (size_t) (semicolon - text.begin());
        }

        return result;
    }

    void _writeEscaped (std::wostream& stream, const std::wstring& text)
    {
        for (const auto c : text)
        {
            if (c == L'&')      stream << L"&amp;";
            else if (c == L'<') stream << L"&lt;";
            else if (c == L'>') stream << L"&gt;";
            else                stream.put (c);
        }
    }

    void _writeTabs (std::wostream& stream, int count)
    {
        for (int i = 0; i < count; ++i)
            stream.put (L'\t');
    }

    void _writeStartTag (std::wostream& stream, const XmlNode& element, int depth)
    {
        if (depth > 0)
            stream.put (L'\n');

        _writeTabs (stream, depth);
        stream << L'<' << element.text << L'>';
    }

    void _writeEndTag (std::wostream& stream, const XmlNode& element, int depth)
    {
        if (! element.children.empty() && ! element.children.back()->isText)
        {
            stream.put (L'\n');
            _writeTabs (stream, depth);
        }

        stream << L"</" << element.text << L'>';

        if (depth == 0)
            stream.put (L'\n');
    }
}

void xmlAddTextNode (XmlNode* parent, const std::wstring& name, const std::wstring& text)
{
    if (parent != nullptr)
        parent->addChild (false, name)->addChild (true, text);
}

const XmlNode* xmlGetNode (const XmlNode* node, const std::wstring& path)
{
    auto rest = path;

    while (node != nullptr)
    {
        const auto slash = rest.find (L'/');
        const auto head = rest.substr (0, slash);
        rest = slash == std::wstring::npos ? std::wstring() : rest.substr (slash + 1);

        const XmlNode* match = nullptr;

        for (const auto& child : node->children)
        {
            if (child->isText)
                return nullptr;

            if (child->text == head)
            {
                match = child.get();
                break;
            }
        }

        if (match == nullptr || rest.empty())
            return match;

        node = match;
    }

    return nullptr;
}

std::wstring xmlGetText (const XmlNode* node, const std::wstring& path, const std::wstring& defaultText)
{
    if (const auto* found = xmlGetNode (node, path))
        if (found->children.size() == 1 && found->children.front()->isText)
            return found->children.front()->text;

    return defaultText;
}

// Iterative rather than recursive so that the depth of a tree never limits the writer.
void xmlWriteFileImpl (std::wostream& stream, const XmlNode* node, int depth)
{
    if (node == nullptr)
        return;

    if (node->isText)
    {
        _writeEscaped (stream, node->text);
        return;
    }

    struct OpenElement
    {
        const XmlNode* element;
        int depth;
        size_t nextChild;
    };

    std::vector<OpenElement> open;
    _writeStartTag (stream, *node, depth);
    open.push_back ({ node, depth, 0 });

    while (! open.empty())
    {
        auto& top = open.back();

        if (top.nextChild == top.element->children.size())
        {
            _writeEndTag (stream, *top.element, top.depth);
            open.pop_back();
            continue;
        }

        const auto* child = top.element->children[top.nextChild++].get();
        const auto childDepth = top.depth + 1;

        if (child->isText)
        {
            _writeEscaped (stream, child->text);
        }
        else
        {
            _writeStartTag (stream, *child, childDepth);
            open.push_back ({ child, childDepth, 0 });
        }
    }
}

std::unique_ptr<XmlNode> xmlReadFileImpl (const std::wstring& text)
{
    enum class State { outsideMarkup, inTag, content, afterContentBracket, inEndTag };

    auto state = State::outsideMarkup;
    std::unique_ptr<XmlNode> root;
    std::unique_ptr<XmlNode> discarded;   // an element opened after the root had ended
    XmlNode* current = nullptr;
    bool currentHasChildElement = false;
    size_t tagStart = 0, contentStart = 0;

    // The pending content is kept as a range, not copied, so that a long text with many "<" in
    // it is still read in linear time.
    size_t pendingStart = 0, pendingEnd = 0;

    for (size_t i = 0; i < text.size(); ++i)
    {
        const auto c = text[i];

        switch (state)
        {
            case State::outsideMarkup:
                if (c == L'<')
                {
                    tagStart = i + 1;
                    state = State::inTag;
                }
                break;

            case State::inTag:
                if (c == L'/')
                {
                    if (current != nullptr)
                        current->addChild (false, _trim (text.substr (tagStart, i - tagStart)));

                    currentHasChildElement = true;
                    state = State::content;
                }
                else if (c == L'?')
                {
                    state = State::outsideMarkup;
                }
                else if (c == L'>')
                {
                    auto name = text.substr (tagStart, i - tagStart);

                    if (current != nullptr)
                    {
                        current = current->addChild (false, std::move (name));
                    }
                    else if (root == nullptr)
                    {
                        root = std::make_unique<XmlNode> (nullptr, false, std::move (name));
                        current = root.get();
                    }
                    else
                    {
                        discarded = std::make_unique<XmlNode> (nullptr, false, std::move (name));
                        current = discarded.get();
                    }

                    currentHasChildElement = false;
                    contentStart = i + 1;
                    state = State::content;
                }
                break;

            case State::content:
                if (c == L'<')
                {
                    pendingStart = contentStart;
                    pendingEnd = i;
                    state = State::afterContentBracket;
                }
                break;

            case State::afterContentBracket:
                if (c == L'/')
                {
                    state = State::inEndTag;
                }
                else
                {
                    tagStart = i;
                    state = State::inTag;
                }
                break;

            case State::inEndTag:
                if (c == L'>')
                {
                    if (current == nullptr)
                        return root;

                    if (! currentHasChildElement)
                        current->addChild (true, _decodeEntities (text, pendingStart, pendingEnd));

                    current = current->parent;
                    currentHasChildElement = true;

                    if (current == nullptr)
                        discarded.reset();

                    contentStart = i + 1;
                    state = State::content;
                }
                break;
        }
    }

    return root;
}
