#pragma once

#include "dsp/RelaxedAtomic.h"

#include <juce_core/juce_core.h>

/** The forty host parameters: normalised values, unique IDs, host names,
    value texts, the one mapping between normalised and engineering values,
    and the MIDI controller assigned to each parameter (-1 for none).

    Index = 10 x slot + kind. Values are stored as given; callers keep them
    in 0..1. Nothing here allocates after construction. */
class ParameterMapping
{
public:
    enum Kind
    {
        input = 0,
        output,
        algorithm,
        control1,
        control2,
        control3,
        control4,
        impulse,
        hot,
        enabled,
        numKinds
    };

    static constexpr int numSlots = 4;
    static constexpr int numParameters = numSlots * numKinds;
    static constexpr int numGadgets = 14;
    static constexpr int numImpulses = 8;
    static constexpr int noController = -1;

    /** Where a switch turns on. The engine runs a slot's HOT and ENABLED
        switches as on from this value up; a gadget's switch control, and
        every switch the editor draws, is on only above it. At exactly this
        value a slot therefore runs, hot, while the editor's poll draws those
        two switches off. Both readings stay: saved sessions, presets and
        host automation already sound the engine's way, and the editor must
        draw a gadget's switch the way the gadget reads it. */
    static constexpr float switchThreshold = 0.5f;

    ParameterMapping();

    static int kindOf (int index) noexcept { return index % numKinds; }
    static int slotOf (int index) noexcept { return index / numKinds; }
    static int indexOf (int slot, int kind) noexcept { return slot * numKinds + kind; }

    float getValue (int index) const noexcept { return values[(size_t) index]; }
    void setValue (int index, float value) noexcept { values[(size_t) index] = value; }

    /** Engineering value of the parameter's stored value. */
    float getMappedValue (int index) const noexcept { return toEngineering (index, getValue (index)); }

    /** Stores the normalised form of an engineering value, unclamped and unrounded. */
    void setMappedValue (int index, float value) noexcept { setValue (index, toNormalised (index, value)); }

    juce::String getParameterName (int index) const { return nameFor (index); }
    juce::String getParameterText (int index) const { return textFor (index, getValue (index)); }
    juce::String getParameterUniqueID (int index) const { return uniqueIDs[(size_t) index]; }

    int getMidiCCParameter (int index) const noexcept { return midiCC[(size_t) index]; }
    void removeMIDICCFromParameter (int index) noexcept { midiCC[(size_t) index] = noController; }

    /** Host name ("PRM3-SLOT2") and unique ID ("PRM31") of an index. */
    static juce::String nameFor (int index);
    static juce::String uniqueIDFor (int index);

    /** The value a fresh instance holds. */
    static float defaultValue (int index) noexcept;

    /** Engineering value of normalised v: dB, gadget index, impulse choice, 0/1 or v. */
    static float toEngineering (int index, float normalised) noexcept;
    static float toNormalised (int index, float engineering) noexcept;

    /** Host text for a normalised value: one decimal, a blank, the unit. */
    static juce::String textFor (int index, float normalised);

    /** Multiplies in single precision and rounds half to even, as the choices do. */
    static float roundChoice (float normalised, float steps) noexcept;

    /** A value arriving from a host, a state or a preset: non-finite becomes
        the default, anything else is clamped to 0..1 (in-range values keep
        their exact bits). */
    static float sanitise (int index, float value) noexcept;

    std::array<RelaxedAtomic<float>, numParameters> values;
    std::array<juce::String, numParameters> uniqueIDs;
    std::array<RelaxedAtomic<int>, numParameters> midiCC;

private:
    void initParameterUniqueIDs();
};
