#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

class TarvolinAudioProcessor;

/** The face one of the forty parameters shows the host. It holds no value of
    its own: everything forwards to the processor and its ParameterMapping,
    so hosts, MIDI learn and the editor all see one store. The default a host
    resets to is the value a fresh instance holds; hosts get no label of ours.

    The parameter carries its unique ID ("PRM31") because LV2 names each
    parameter by its ID; VST3 and AU still number parameters by index. */
class HostParameter final : public juce::AudioProcessorParameterWithID
{
public:
    HostParameter (TarvolinAudioProcessor& owner, int indexInProcessor);

    float getValue() const override;
    void setValue (float newValue) override;
    float getDefaultValue() const override;
    juce::String getName (int maximumStringLength) const override;
    juce::String getLabel() const override { return {}; }
    juce::String getText (float normalisedValue, int maximumStringLength) const override;
    float getValueForText (const juce::String& text) const override;
    bool isAutomatable() const override;
    bool isMetaParameter() const override;

private:
    TarvolinAudioProcessor& processor;
    const int index;
};
