#include "SafeXml.h"

#include <cstring>

namespace
{
constexpr juce::uint32 magicXmlNumber = 0x21324356;
constexpr int headerSize = 8;

bool startsWith (const char* text, const char* prefix) noexcept
{
    return std::strncmp (text, prefix, std::strlen (prefix)) == 0;
}
} // namespace

bool SafeXml::isRefused (const juce::String& text)
{
    const auto* s = text.toRawUTF8();

    // The parser steps over a multi-byte sequence without looking for the
    // end of the text, so a broken one at the end reads past it.
    if (! juce::CharPointer_UTF8::isValidString (s, (int) text.getNumBytesAsUTF8()))
        return true;

    int markup = 0;
    bool inProlog = true; // nothing but declarations and comments so far

    for (; *s != 0; ++s)
    {
        if (*s != '<')
            continue;

        // Every element starts with '<', so this also bounds the nesting,
        // however the parser reads a malformed document.
        if (++markup > maxMarkup)
            return true;

        if (s[1] == '?')
        {
            if (! inProlog)
                return true;
        }
        else if (startsWith (s, "<!--"))
        {
            continue;
        }
        else if (s[1] == '!')
        {
            return true; // a document type declaration (or CDATA, which we never write)
        }
        else
        {
            inProlog = false;
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
