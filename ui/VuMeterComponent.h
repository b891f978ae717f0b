#pragma once

#include "dsp/AbstractVuMeterDSP.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

/** A level meter on screen: ten segments drawn as one of eleven pictures,
    chosen by the level of an engine meter that the view polls ten times a
    second. */
class VuMeterComponent : public juce::Component, public juce::Timer
{
public:
    static constexpr int numFrames = 11;

    /** The meter is not owned; it must outlive the view. */
    explicit VuMeterComponent (AbstractVuMeterDSP* meterToShow);
    ~VuMeterComponent() override;

    /** The picture for a level: 0 (nothing lit) below -40 dB up to 10 (all
        lit) from 0 dB. A level that is not a finite number lights nothing. */
    static int frameForLevel (float levelDb) noexcept;

    void paint (juce::Graphics& g) override;
    void resized() override;
    void timerCallback() override;

private:
    AbstractVuMeterDSP* meter;
    std::array<juce::Image, numFrames> frames;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VuMeterComponent)
};
