#include "SafeXml.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr juce::uint32 magicXmlNumber = 0x21324356;
constexpr int headerSize = 8;

bool startsWith (const char* text, const char* prefix) noexcept
{
    return std::strncmp (text, prefix, std::strlen (prefix)) == 0;
}

/** Past the end of a construct such as a comment; at the final zero when it never ends. */
const char* skipPast (const char* text, const char* terminator) noexcept
{
    const auto* end = std::strstr (text, terminator);
    return end != nullptr ? end + std::strlen (terminator) - 1 : text + std::strlen (text) - 1;
}

/** The '>' closing a start tag, skipping quoted attribute values; at the final zero when there is none. */
const char* endOfTag (const char* text) noexcept
{
    char quote = 0;

    for (; *text != 0; ++text)
    {
        if (quote != 0)
        {
            if (*text == quote)
                quote = 0;
        }
        else if (*text == '"' || *text == '\'')
        {
            quote = *text;
        }
        else if (*text == '>')
        {
            return text;
        }
    }

    return text - 1;
}
} // namespace

bool SafeXml::isRefused (const juce::String& text)
{
    int depth = 0;

    for (const char* s = text.toRawUTF8(); *s != 0; ++s)
    {
        if (*s != '<')
            continue;

        if (startsWith (s, "<!--"))
            s = skipPast (s, "-->");
        else if (startsWith (s, "<![CDATA["))
            s = skipPast (s, "]]>");
        else if (startsWith (s, "<?"))
            s = skipPast (s, "?>");
        else if (s[1] == '!')
            return true; // a document type declaration
        else if (s[1] == '/')
            depth = std::max (0, depth - 1); // stray closing tags bank no depth
        else
        {
            if (++depth > maxDepth)
                return true;

            s = endOfTag (s);

            if (*s == '>' && s[-1] == '/')
                --depth; // closes itself
        }
    }

    return false;
}

std::unique_ptr<juce::XmlElement> SafeXml::parse (const juce::String& text)
{
    if (isRefused (text))
        return {};

    return juce::XmlDocument::parse (text);
}

std::unique_ptr<juce::XmlElement> SafeXml::fromBinary (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= headerSize)
        return {};

    const auto* bytes = static_cast<const char*> (data);

    if (juce::ByteOrder::littleEndianInt (bytes) != magicXmlNumber)
        return {};

    // The length field may claim more than the host handed over.
    const auto textLength = (int) juce::ByteOrder::littleEndianInt (bytes + 4);

    if (textLength <= 0)
        return {};

    return parse (juce::String::fromUTF8 (bytes + headerSize, juce::jmin (sizeInBytes - headerSize, textLength)));
}
