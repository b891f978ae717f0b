#include "GadgetN11.h"

GadgetN11::GadgetN11()
{
    describe ("Doviduduza", 7, { "Tone", "Dry", "Wet" }, { 0.5f, 0.0f, 1.0f });
    usesImpulse = true;
    description = "Convolution has always been fascinating. Everybody knows convolution reverbs and speaker cabinet impulse responses, but what happens when anything at all is taken as an impulse response? Here are a few random examples: a heartbeat, a metal pipe, a storm and more. Mix them with the dry sound and shape the result with the tone knob.";
}

void GadgetN11::reset()
{
}

void GadgetN11::processSamples (float*, float*, int, float)
{
    beginBlock();
}

void GadgetN11::updateCoefficients()
{
}
