#include "GadgetN07.h"

GadgetN07::GadgetN07()
{
    describe ("Dizuz Ovovu Dozuz", 11, { "Course", "Reson", "LFO", "Env" }, { 0.0f, 0.5f, 0.0f, 0.5f });
    description = "A joke pedal made usable, for cat lovers who play guitar. Three formant filters sweep between two vowels; the Course knob sets where they stand, and the envelope and the LFO move them while you play. Drive the Course knob from a MIDI pedal and make your guitar talk.";
}

void GadgetN07::reset()
{
}

void GadgetN07::processSamples (float*, float*, int, float)
{
    beginBlock();
}

void GadgetN07::updateCoefficients()
{
}
