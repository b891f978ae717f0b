#include "GadgetN10.h"

GadgetN10::GadgetN10()
{
    describe ("Virozidur", 8, { "Cutoff", "Reson", "LFO", "Env" }, { 1.0f, 0.5f, 0.0f, 0.5f });
    description = "A model of a famous synthesizer diode ladder filter (not the best-known one), made usable for guitar. Cutoff and resonance are at hand, with an LFO and an envelope follower to move the cutoff while you play. Try it with a MIDI pedal on the cutoff.";
}

void GadgetN10::reset()
{
}

void GadgetN10::processSamples (float*, float*, int, float)
{
    beginBlock();
}

void GadgetN10::updateCoefficients()
{
}
