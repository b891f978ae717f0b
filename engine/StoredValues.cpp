#include "StoredValues.h"

#include "engine/ParameterMapping.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace
{
// %.20g: twenty significant digits always give the float back.
constexpr int storedSignificantDigits = 20;

// The framework's number readers gather digits in an int; ten or more
// significant exponent digits would overflow it.
constexpr size_t maxExponentDigits = 9;
constexpr const char* saturatedExponent = "999999999";

constexpr int lastGadget = ParameterMapping::numGadgets - 1;
constexpr int lastController = 127;

bool isAsciiDigit (char c) noexcept { return c >= '0' && c <= '9'; }

/** Replaces every over-long exponent by the largest one the framework can
    gather. Such an exponent already makes the value infinite or zero, so the
    number read stays the same; only the overflow goes. */
std::string withSaturatedExponents (std::string text)
{
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] != 'e' && text[i] != 'E')
            continue;

        auto start = i + 1;

        if (start < text.size() && (text[start] == '+' || text[start] == '-'))
            ++start;

        while (start < text.size() && text[start] == '0')
            ++start;

        auto end = start;

        while (end < text.size() && isAsciiDigit (text[end]))
            ++end;

        if (end - start > maxExponentDigits)
            text.replace (start, end - start, saturatedExponent);
    }

    return text;
}
} // namespace

juce::String StoredValues::formatValue (float normalised)
{
    char text[64];
    const auto result = std::to_chars (
        text, text + sizeof (text), (double) normalised, std::chars_format::general, storedSignificantDigits);
    return juce::String (text, (size_t) (result.ptr - text));
}

int StoredValues::gadgetIndexToStore (float mappedValue) noexcept
{
    if (mappedValue >= 0.0f && mappedValue <= (float) lastGadget)
        return (int) std::nearbyint (mappedValue);

    return 0;
}

int StoredValues::parseInt (const juce::String& text) noexcept
{
    constexpr juce::int64 magnitudeLimit = (juce::int64) std::numeric_limits<int>::max() + 1;

    auto s = text.getCharPointer().findEndOfWhitespace();
    const bool negative = *s == '-';

    if (negative)
        ++s;

    juce::int64 magnitude = 0;

    for (;;)
    {
        const auto c = s.getAndAdvance();

        if (c < '0' || c > '9')
            break;

        magnitude = std::min (magnitudeLimit, magnitude * 10 + (c - '0'));
    }

    if (negative)
        return (int) -magnitude;

    return (int) std::min (magnitude, magnitudeLimit - 1);
}

double StoredValues::parseDouble (const juce::String& text)
{
    const auto safeText = withSaturatedExponents (text.toStdString());
    return juce::String::fromUTF8 (safeText.data(), (int) safeText.size()).getDoubleValue();
}

int StoredValues::readInt (const juce::XmlElement& element, juce::StringRef name, int valueWhenMissing)
{
    if (! element.hasAttribute (name))
        return valueWhenMissing;

    return parseInt (element.getStringAttribute (name));
}

double StoredValues::readDouble (const juce::XmlElement& element, juce::StringRef name, double valueWhenMissing)
{
    if (! element.hasAttribute (name))
        return valueWhenMissing;

    return parseDouble (element.getStringAttribute (name));
}

float StoredValues::readNormalised (const juce::XmlElement& element, juce::StringRef name, int index)
{
    const auto wide = readDouble (element, name, 0.0);

    // Clamp before narrowing: a finite double beyond float range has no float.
    const auto narrowed = std::isfinite (wide) ? (float) juce::jlimit (0.0, 1.0, wide) : (float) wide;
    return ParameterMapping::sanitise (index, narrowed);
}

int StoredValues::readGadgetIndex (const juce::XmlElement& element, juce::StringRef name)
{
    const auto gadget = readInt (element, name, 0);
    return (gadget >= 0 && gadget <= lastGadget) ? gadget : 0;
}

int StoredValues::readController (const juce::XmlElement& element, juce::StringRef name)
{
    const auto controller = readInt (element, name, ParameterMapping::noController);
    return (controller >= ParameterMapping::noController && controller <= lastController)
               ? controller
               : ParameterMapping::noController;
}
