#include "HostParameter.h"

#include "engine/PluginProcessor.h"

HostParameter::HostParameter (TarvolinAudioProcessor& owner, int indexInProcessor)
    : AudioProcessorParameterWithID (juce::ParameterID { ParameterMapping::uniqueIDFor (indexInProcessor), 1 },
                                     ParameterMapping::nameFor (indexInProcessor))
    , processor (owner)
    , index (indexInProcessor)
{
}

float HostParameter::getValue() const { return processor.getParameter (index); }

void HostParameter::setValue (float newValue) { processor.setParameter (index, newValue); }

float HostParameter::getDefaultValue() const { return ParameterMapping::defaultValue (index); }

juce::String HostParameter::getName (int maximumStringLength) const
{
    return processor.getParameterName (index).substring (0, maximumStringLength);
}

juce::String HostParameter::getText (float normalisedValue, int maximumStringLength) const
{
    return ParameterMapping::textFor (index, normalisedValue).substring (0, maximumStringLength);
}

float HostParameter::getValueForText (const juce::String& text) const
{
    const auto normalised = ParameterMapping::toNormalised (index, text.getFloatValue());
    return ParameterMapping::sanitise (index, normalised);
}

bool HostParameter::isAutomatable() const { return processor.isParameterAutomatable (index); }

bool HostParameter::isMetaParameter() const { return processor.isMetaParameter (index); }
