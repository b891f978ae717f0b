#include "SafeXml.h"

#include "engine/StrictUtf8.h"

#include <cstring>

namespace
{
constexpr const char* declarationStart = "<?xml";
constexpr const char* commentStart = "<!--";
constexpr const char* commentEnd = "-->";
constexpr const char* processingEnd = "?>";
constexpr int maxDecimalDigits = 7;
constexpr int maxHexDigits = 6;

struct NamedEntity
{
    const char* name;
    char character;
};

// The framework reads these without regard to case, so earlier builds did too.
constexpr NamedEntity namedEntities[] = {
    { "amp;", '&' }, { "quot;", '"' }, { "apos;", '\'' }, { "lt;", '<' }, { "gt;", '>' },
};

bool isSpace (char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool endsName (char c) noexcept
{
    return isSpace (c) || c == '=' || c == '/' || c == '>' || c == '<' || c == '"' || c == '\'';
}

bool isSurrogate (juce::juce_wchar c) noexcept { return c >= 0xd800 && c <= 0xdfff; }

/** ASCII comparison without regard to case; the text may be shorter. */
bool startsWithIgnoringCase (const char* text, const char* textEnd, const char* lowerCasePrefix) noexcept
{
    for (; *lowerCasePrefix != 0; ++text, ++lowerCasePrefix)
    {
        if (text == textEnd)
            return false;

        auto c = *text;

        if (c >= 'A' && c <= 'Z')
            c = (char) (c - 'A' + 'a');

        if (c != *lowerCasePrefix)
            return false;
    }

    return true;
}
} // namespace

SafeXml::SafeXml (const char* bytes, size_t numBytes) noexcept
    : cursor (bytes)
    , end (bytes + numBytes)
{
}

std::unique_ptr<juce::XmlElement> SafeXml::parse (const char* bytes, size_t numBytes)
{
    if (bytes == nullptr || numBytes > maxDocumentBytes || ! StrictUtf8::isValid (bytes, numBytes))
        return {};

    return SafeXml (bytes, numBytes).readDocument();
}

//==============================================================================
std::unique_ptr<juce::XmlElement> SafeXml::readDocument()
{
    if (! skipDeclaration() || ! skipSpaceAndComments())
        return {};

    // Whatever follows the document element is never read.
    return readElement();
}

bool SafeXml::skipDeclaration()
{
    skipSpace();

    if (! lookingAt (declarationStart))
        return true;

    cursor += std::strlen (declarationStart);

    if (atEnd() || ! (isSpace (*cursor) || lookingAt (processingEnd)))
        return false;

    const auto* start = cursor;

    if (! skipPast (processingEnd))
        return false;

    // Only pseudo-attributes: no markup hides inside.
    return std::memchr (start, '<', (size_t) (cursor - start)) == nullptr;
}

bool SafeXml::skipSpaceAndComments()
{
    for (;;)
    {
        skipSpace();

        if (! lookingAt (commentStart))
            return true;

        if (! skipComment())
            return false;
    }
}

bool SafeXml::skipComment()
{
    cursor += std::strlen (commentStart);
    return skipPast (commentEnd);
}

//==============================================================================
std::unique_ptr<juce::XmlElement> SafeXml::readElement()
{
    if (atEnd() || *cursor != '<')
        return {};

    ++cursor;
    juce::String name;

    if (! readName (name))
        return {};

    auto element = std::make_unique<juce::XmlElement> (name);
    bool isEmptyElement = false;

    if (! readAttributes (element.get(), isEmptyElement))
        return {};

    if (! isEmptyElement && ! skipContent (name))
        return {};

    return element;
}

bool SafeXml::readAttributes (juce::XmlElement* element, bool& isEmptyElement)
{
    int count = 0;
    std::string value;

    for (;;)
    {
        const auto hadSpace = skipSpace();

        if (atEnd())
            return false;

        if (*cursor == '>')
        {
            ++cursor;
            isEmptyElement = false;
            return true;
        }

        if (lookingAt ("/>"))
        {
            cursor += 2;
            isEmptyElement = true;
            return true;
        }

        juce::String name;

        if (! hadSpace || ++count > maxAttributes || ! readName (name))
            return false;

        skipSpace();

        if (atEnd() || *cursor != '=')
            return false;

        ++cursor;
        skipSpace();

        if (! readAttributeValue (value))
            return false;

        if (element != nullptr)
        {
            // Two values under one name would leave the choice to the reader.
            if (element->hasAttribute (name))
                return false;

            element->setAttribute (juce::Identifier (name), StrictUtf8::toString (value.data(), value.size()));
        }
    }
}

bool SafeXml::readAttributeValue (std::string& value)
{
    value.clear();

    if (atEnd() || (*cursor != '"' && *cursor != '\''))
        return false;

    const auto quote = *cursor++;

    while (! atEnd())
    {
        const auto c = *cursor;

        if (c == quote)
        {
            ++cursor;
            return true;
        }

        if (c == '<')
            return false;

        if (c == '&')
        {
            if (! readReference (value))
                return false;

            continue;
        }

        value += c;
        ++cursor;
    }

    return false;
}

bool SafeXml::readReference (std::string& text)
{
    ++cursor; // '&'

    for (const auto& entity : namedEntities)
    {
        if (startsWithIgnoringCase (cursor, end, entity.name))
        {
            text += entity.character;
            cursor += std::strlen (entity.name);
            return true;
        }
    }

    if (atEnd() || *cursor++ != '#')
        return false;

    const bool isHex = ! atEnd() && (*cursor == 'x' || *cursor == 'X');

    if (isHex)
        ++cursor;

    const auto base = isHex ? 16 : 10;
    const auto maxDigits = isHex ? maxHexDigits : maxDecimalDigits;
    juce::juce_wchar codePoint = 0;
    int numDigits = 0;

    for (; ! atEnd() && *cursor != ';'; ++cursor)
    {
        const auto digit = juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) (juce::uint8) *cursor);

        if (digit < 0 || digit >= base || ++numDigits > maxDigits)
            return false;

        codePoint = codePoint * (juce::juce_wchar) base + (juce::juce_wchar) digit;
    }

    if (atEnd() || numDigits == 0 || codePoint == 0 || codePoint > StrictUtf8::largestCodePoint
        || isSurrogate (codePoint))
        return false;

    ++cursor; // ';'
    StrictUtf8::append (text, codePoint);
    return true;
}

/** Text, comments and child elements up to the document element's end tag,
    checked but not kept. A loop over a bounded stack of open names, so no
    nesting can exhaust the call stack. */
bool SafeXml::skipContent (juce::StringRef rootName)
{
    int depth = 0;
    openNames[0] = rootName;
    std::string discarded;

    while (! atEnd())
    {
        if (*cursor == '&')
        {
            if (! readReference (discarded))
                return false;

            discarded.clear();
            continue;
        }

        if (*cursor != '<')
        {
            ++cursor;
            continue;
        }

        if (lookingAt (commentStart))
        {
            if (! skipComment())
                return false;

            continue;
        }

        if (lookingAt ("</"))
        {
            cursor += 2;

            if (! readEndTag (openNames[(size_t) depth]))
                return false;

            if (depth-- == 0)
                return true;

            continue;
        }

        // Processing instructions, CDATA and declarations have no place here.
        ++cursor;
        juce::String name;
        bool isEmptyElement = false;

        if (! readName (name) || ! readAttributes (nullptr, isEmptyElement))
            return false;

        if (! isEmptyElement)
        {
            if (++depth >= maxDepth)
                return false;

            openNames[(size_t) depth] = name;
        }
    }

    return false;
}

bool SafeXml::readEndTag (juce::StringRef expectedName)
{
    juce::String name;

    if (! readName (name) || name != expectedName)
        return false;

    skipSpace();

    if (atEnd() || *cursor != '>')
        return false;

    ++cursor;
    return true;
}

bool SafeXml::readName (juce::String& name)
{
    const auto* start = cursor;

    while (! atEnd() && ! endsName (*cursor))
        ++cursor;

    // The bytes are valid UTF-8 as a whole and a name ends only at ASCII, so
    // the range holds whole characters.
    name = StrictUtf8::toString (start, (size_t) (cursor - start));
    return juce::XmlElement::isValidXmlName (name);
}

//==============================================================================
bool SafeXml::skipSpace() noexcept
{
    const auto* start = cursor;

    while (! atEnd() && isSpace (*cursor))
        ++cursor;

    return cursor != start;
}

bool SafeXml::skipPast (const char* terminator) noexcept
{
    const auto length = std::strlen (terminator);

    for (; (size_t) (end - cursor) >= length; ++cursor)
    {
        if (std::memcmp (cursor, terminator, length) == 0)
        {
            cursor += length;
            return true;
        }
    }

    return false;
}

bool SafeXml::lookingAt (const char* text) const noexcept
{
    const auto length = std::strlen (text);
    return (size_t) (end - cursor) >= length && std::memcmp (cursor, text, length) == 0;
}
