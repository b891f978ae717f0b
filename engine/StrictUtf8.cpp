#include "StrictUtf8.h"

namespace
{
constexpr juce::juce_wchar firstSurrogate = 0xd800;
constexpr juce::juce_wchar lastSurrogate = 0xdfff;

bool isContinuation (unsigned char byte) noexcept { return (byte & 0xc0) == 0x80; }

/** Sequence length announced by a lead byte, and the smallest code point a
    sequence of that length may carry (anything smaller is an overlong form,
    the classic way to smuggle '<' or '/' past a byte-level check). */
struct LeadByte
{
    size_t length;
    juce::juce_wchar payload;
    juce::juce_wchar smallest;
};

LeadByte readLead (unsigned char byte) noexcept
{
    if (byte < 0x80)
        return { 1, byte, 0 };

    if ((byte & 0xe0) == 0xc0)
        return { 2, (juce::juce_wchar) (byte & 0x1f), 0x80 };

    if ((byte & 0xf0) == 0xe0)
        return { 3, (juce::juce_wchar) (byte & 0x0f), 0x800 };

    if ((byte & 0xf8) == 0xf0)
        return { 4, (juce::juce_wchar) (byte & 0x07), 0x10000 };

    return { 0, 0, 0 }; // a lone continuation byte, or 0xf8..0xff
}
} // namespace

size_t StrictUtf8::decode (const char* bytes, size_t numBytes, juce::juce_wchar& codePoint) noexcept
{
    if (numBytes == 0)
        return 0;

    const auto lead = readLead ((unsigned char) bytes[0]);

    if (lead.length == 0 || lead.length > numBytes)
        return 0;

    auto value = lead.payload;

    for (size_t i = 1; i < lead.length; ++i)
    {
        const auto byte = (unsigned char) bytes[i];

        if (! isContinuation (byte))
            return 0;

        value = (value << 6) | (juce::juce_wchar) (byte & 0x3f);
    }

    const auto isSurrogate = value >= firstSurrogate && value <= lastSurrogate;

    if (value == 0 || value < lead.smallest || value > largestCodePoint || isSurrogate)
        return 0;

    codePoint = value;
    return lead.length;
}

bool StrictUtf8::isValid (const char* bytes, size_t numBytes) noexcept
{
    size_t position = 0;

    while (position < numBytes)
    {
        // ASCII runs dominate every document we read.
        if ((unsigned char) bytes[position] < 0x80)
        {
            if (bytes[position] == 0)
                return false;

            ++position;
            continue;
        }

        juce::juce_wchar codePoint;
        const auto length = decode (bytes + position, numBytes - position, codePoint);

        if (length == 0)
            return false;

        position += length;
    }

    return true;
}

void StrictUtf8::append (std::string& text, juce::juce_wchar codePoint)
{
    if (codePoint < 0x80)
    {
        text += (char) codePoint;
        return;
    }

    if (codePoint < 0x800)
    {
        text += (char) (0xc0 | (codePoint >> 6));
    }
    else if (codePoint < 0x10000)
    {
        text += (char) (0xe0 | (codePoint >> 12));
        text += (char) (0x80 | ((codePoint >> 6) & 0x3f));
    }
    else
    {
        text += (char) (0xf0 | (codePoint >> 18));
        text += (char) (0x80 | ((codePoint >> 12) & 0x3f));
        text += (char) (0x80 | ((codePoint >> 6) & 0x3f));
    }

    text += (char) (0x80 | (codePoint & 0x3f));
}

juce::String StrictUtf8::toString (const char* bytes, size_t numBytes)
{
    // The framework looks at the first byte even of an empty range, which
    // may lie past the end of the buffer.
    if (numBytes == 0)
        return {};

    return juce::String (juce::CharPointer_UTF8 (bytes), juce::CharPointer_UTF8 (bytes + numBytes));
}
