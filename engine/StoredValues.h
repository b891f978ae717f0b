#pragma once

#include <juce_core/juce_core.h>

/** Parameter values as XML attribute text, shared by the host state and the
    preset files. Writing gives the exact float back on reading; reading is
    where values from outside are made safe: whatever a file or a host hands
    over, the engine gets a defined value, and in-range values keep their
    exact bits. */
class StoredValues
{
public:
    /** A normalised value widened to double, in general notation with 20
        significant digits ("0.5", "1", "0.20000000298023223877"), whatever
        the host's locale. */
    static juce::String formatValue (float normalised);

    /** A gadget choice's engineering value as the index to store; anything
        that is not a gadget index stores 0, the gadget the engine plays. */
    static int gadgetIndexToStore (float mappedValue) noexcept;

    /** An integer attribute read as the framework reads it (leading blanks,
        an optional minus, digits up to the first other character), except
        that a number too large for an int saturates instead of overflowing. */
    static int readInt (const juce::XmlElement& element, juce::StringRef name, int valueWhenMissing);

    /** A double attribute read as the framework reads it; an exponent too long
        for an int saturates (the value is then infinite or zero anyway). */
    static double readDouble (const juce::XmlElement& element, juce::StringRef name, double valueWhenMissing);

    /** The normalised value of parameter `index` (0 when missing): not finite
        gives the parameter's default, anything else is clamped to 0..1. */
    static float readNormalised (const juce::XmlElement& element, juce::StringRef name, int index);

    /** A gadget index (0 when missing); outside 0..13 gives 0. */
    static int readGadgetIndex (const juce::XmlElement& element, juce::StringRef name);

    /** A MIDI controller (-1, none, when missing); outside -1..127 gives -1. */
    static int readController (const juce::XmlElement& element, juce::StringRef name);

    /** The number parts of attribute text, exposed for tests. */
    static int parseInt (const juce::String& text) noexcept;
    static double parseDouble (const juce::String& text);
};
