#include "GadgetN13.h"

GadgetN13::GadgetN13()
{
    describe ("Dazovi Ruvora", 12, { "Slow LFO", "Fast LFO", "Dry/Wet", "Slow/Fast" }, { 0.5f, 0.5f, 1.0f, 0.0f });
    isSwitch[3] = true;
    description = "A simplified emulation of the rotating speaker cabinet best known with organs. It suits guitars and other instruments just as well: set the slow and fast speeds, flip the switch to hear the rotors speed up or slow down, and push the hot switch to add the tube section.";
}

void GadgetN13::reset()
{
}

void GadgetN13::processSamples (float*, float*, int, float)
{
    beginBlock();
}

void GadgetN13::updateCoefficients()
{
}
