#include "MidiLearnArming.h"

namespace
{
constexpr float veilOpacity = 0.6f;
constexpr float pictureOpacity = 0.7f;
} // namespace

void MidiLearnArming::drawTinted (juce::Graphics& g, const juce::Image& picture)
{
    g.setColour (juce::Colours::red);
    g.setOpacity (veilOpacity);
    g.drawImageAt (picture, 0, 0, true);
    g.setOpacity (pictureOpacity);
    g.drawImageAt (picture, 0, 0, false);
    g.setOpacity (1.0f);
}
