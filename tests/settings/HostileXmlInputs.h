#pragma once

#include <ostream>
#include <string>
#include <vector>

/** Small files that broke the framework's XML parser when fuzzed or served by a hostile update
    server. Every reader of untrusted XML must get through each of them promptly: all but one
    are "no document"; the processing instruction before text is well-formed and reads as the
    root "a" holding the text "x". */
struct HostileXml
{
    const char* name;
    std::string bytes;
    bool isDocument = false;
};

inline void PrintTo (const HostileXml& value, std::ostream* os) { *os << value.name; }

inline std::string repeated (const std::string& text, int times)
{
    std::string result;
    result.reserve (text.size() * (size_t) times);

    for (int i = 0; i < times; ++i)
        result += text;

    return result;
}

inline std::vector<HostileXml> hostileXmlInputs()
{
    const std::string block (20000, 'x');

    return {
        { "InstructionBeforeText", "<a><?p?>x</a>", true },
        { "InvalidUtf8", "<r><AutoUpdateCheck enabled=\"0\"/>\xff\xfe</r>" },
        { "Utf8CutOffInAnAttribute", "<r a=\"\xe2\x82\"/>" },
        { "OverlongUtf8RootName", "<\xc1\x81><AutoUpdateCheck enabled=\"0\"/></\xc1\x81>" },
        { "CharacterReferenceCutOff", "<a>&#x" },
        { "SelfReferencingEntity", "<!DOCTYPE r [<!ENTITY e \"&e;\">]><r>&e;</r>" },
        { "DocumentTypeReadingADevice", "<!DOCTYPE r SYSTEM \"/dev/zero\"><r/>" },
        { "ParameterEntityPullingAFile", "<!DOCTYPE r [<!ENTITY % p SYSTEM \"/etc/hostname\"> %p;]><r/>" },
        { "InternalEntityUsedFiftyTimes", "<!DOCTYPE r [<!ENTITY big \"" + block + "\">]><r><AutoUpdateCheck enabled=\"0\"/><t>"
                                              + repeated ("&big;", 50) + "</t></r>" },
        { "TwentyThousandLevels", repeated ("<a>", 20000) + repeated ("</a>", 20000) },
        // A quote inside an end tag, which no parser honours, around 80,000 start tags.
        { "DepthHiddenInAnEndTag", "<r><x></q \"" + repeated ("<a>", 80000) + "\"></r>" },
    };
}
