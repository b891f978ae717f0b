#include "GadgetN12.h"

GadgetN12::GadgetN12()
{
    describe ("Divuruzidodi EQ", 6, { "Bass", "Medium", "Treble" }, { 0.5f, 0.5f, 0.5f });
    description = "A virtual analog emulation of the tone stack of a very famous guitar amplifier. Passive tone stacks shape the frequency response in unusual ways: the three knobs interact, just as they do on the real circuit.";
}

void GadgetN12::reset()
{
}

void GadgetN12::processSamples (float*, float*, int, float)
{
    beginBlock();
}

void GadgetN12::updateCoefficients()
{
}
