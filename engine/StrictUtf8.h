#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>

/** UTF-8 as the standard defines it, for bytes from outside (host state,
    preset files, file names) before any juce::String is made of them: the
    framework's own decoder takes broken sequences on trust and steps past
    the end of its buffer or past a terminator. */
class StrictUtf8
{
public:
    /** True when every sequence is complete and shortest-form, names a code
        point of at most U+10FFFF that is not a surrogate, and none is NUL. */
    static bool isValid (const char* bytes, size_t numBytes) noexcept;

    /** The length of the sequence starting at `bytes` and its code point, or
        0 when it is not valid as above. */
    static size_t decode (const char* bytes, size_t numBytes, juce::juce_wchar& codePoint) noexcept;

    /** Appends a code point of at most U+10FFFF (not a surrogate) as UTF-8. */
    static void append (std::string& text, juce::juce_wchar codePoint);

    /** A string of bytes already found valid. */
    static juce::String toString (const char* bytes, size_t numBytes);

    static constexpr juce::juce_wchar largestCodePoint = 0x10ffff;
};
