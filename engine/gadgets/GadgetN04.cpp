#include "GadgetN04.h"

GadgetN04::GadgetN04()
{
    describe ("Rar Uvidavi", 3, { "Amount", "Down", "Filter" }, { 0.0f, 0.0f, 1.0f });
    description = "The harshest sound this plug-in can make. A resonant low-pass filter feeds a bit and sample-rate reducer, a soft clipper and a sample-and-hold. Turn up the amount and the down-sampling for broken, digital textures; the filter knob takes the edge off, or not.";
}

void GadgetN04::reset()
{
}

void GadgetN04::processSamples (float*, float*, int, float)
{
    beginBlock();
}

void GadgetN04::updateCoefficients()
{
}
