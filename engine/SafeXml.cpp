#include "SafeXml.h"

#include <cstring>

namespace
{
constexpr juce::juce_wchar largestCodePoint = 0x10ffff;
constexpr int maxDecimalDigits = 7;
constexpr int maxHexDigits = 6;

bool startsWith (const char* text, const char* prefix) noexcept
{
    return std::strncmp (text, prefix, std::strlen (prefix)) == 0;
}

bool startsWithIgnoringCase (const char* text, const char* lowerCasePrefix) noexcept
{
    for (; *lowerCasePrefix != 0; ++text, ++lowerCasePrefix)
        if (juce::CharacterFunctions::toLowerCase ((juce::juce_wchar) (juce::uint8) *text)
            != (juce::juce_wchar) *lowerCasePrefix)
            return false;

    return true;
}

/** '&' must start a reference the parser reads safely: one of the five
    named ones or a character number naming a Unicode character. (The parser
    steps past the end of the text after some malformed ones.) */
bool isWellFormedReference (const char* ampersand) noexcept
{
    for (const auto* name : { "&amp;", "&quot;", "&apos;", "&lt;", "&gt;" })
        if (startsWithIgnoringCase (ampersand, name))
            return true;

    if (ampersand[1] != '#')
        return false;

    const bool isHex = ampersand[2] == 'x' || ampersand[2] == 'X';
    const auto base = isHex ? 16 : 10;
    const auto maxDigits = isHex ? maxHexDigits : maxDecimalDigits;
    const auto* digit = ampersand + (isHex ? 3 : 2);
    juce::juce_wchar codePoint = 0;
    int numDigits = 0;

    for (; *digit != ';'; ++digit)
    {
        const auto value = juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) (juce::uint8) *digit);

        if (value < 0 || value >= base || ++numDigits > maxDigits)
            return false;

        codePoint = codePoint * (juce::juce_wchar) base + (juce::juce_wchar) value;
    }

    return numDigits > 0 && codePoint >= 1 && codePoint <= largestCodePoint;
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
        if (*s == '&')
        {
            if (! isWellFormedReference (s))
                return true;

            continue;
        }

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
