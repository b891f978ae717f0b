#include "GadgetN03.h"

GadgetN03::GadgetN03()
{
    describe ("Divoror Irovi", 2, { "Delay", "Damp.", "Effect", "Decay" }, { 0.2f, 0.5f, 0.2f, 1.0f });
    description = "Reverberation with every control near the maximum is what guitarists end up with anyway, so the controls start that way. A plate reverb for spaces from a bathroom to a cathedral: predelay, damping, the amount of effect and the length of the decay.";
}

void GadgetN03::reset()
{
}

void GadgetN03::processSamples (float*, float*, int, float)
{
    beginBlock();
}

void GadgetN03::updateCoefficients()
{
}
