#include "VuMeterComponent.h"

#include <Images.h>

namespace
{
constexpr int refreshIntervalMs = 100;

// The lower edge of each segment's band, bottom segment first.
constexpr std::array<float, VuMeterComponent::numFrames - 1> segmentThresholdsDb { -40.0f, -30.0f, -20.0f, -15.0f,
                                                                                   -10.0f, -8.0f,  -6.0f,  -4.0f,
                                                                                   -2.0f,  0.0f };

juce::Image loadFrame (int index)
{
    const auto resourceName = "vumeter" + juce::String (index).paddedLeft ('0', 2) + "_png";
    int size = 0;
    const auto* data = Images::getNamedResource (resourceName.toRawUTF8(), size);
    return juce::ImageCache::getFromMemory (data, size);
}
} // namespace

VuMeterComponent::VuMeterComponent (AbstractVuMeterDSP* meterToShow)
    : meter (meterToShow)
{
    for (int i = 0; i < numFrames; ++i)
        frames[(size_t) i] = loadFrame (i);

    startTimer (refreshIntervalMs);
}

VuMeterComponent::~VuMeterComponent() { stopTimer(); }

int VuMeterComponent::frameForLevel (float levelDb) noexcept
{
    // A meter fed a bad sample can report NaN or infinity: show silence
    // rather than a full bar.
    if (! std::isfinite (levelDb))
        return 0;

    int frame = 0;

    for (auto threshold : segmentThresholdsDb)
        if (levelDb >= threshold)
            ++frame;

    return frame;
}

void VuMeterComponent::paint (juce::Graphics& g)
{
    const auto levelDb = meter != nullptr ? meter->levelDb.load() : AbstractVuMeterDSP::silentDb;
    g.drawImageAt (frames[(size_t) frameForLevel (levelDb)], 0, 0, false);
}

void VuMeterComponent::resized() {}

void VuMeterComponent::timerCallback()
{
    startTimer (refreshIntervalMs);

    if (meter != nullptr)
        meter->refresh();

    repaint();
}
