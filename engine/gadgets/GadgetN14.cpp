#include "GadgetN14.h"

GadgetN14::GadgetN14()
{
    describe ("Rovazavu", 13, { "Sens.", "Attack", "Depth" }, { 0.5f, 0.5f, 0.0f });
    description = "An auto-swell: the volume fades in each time you attack the strings, for violin-like or ambient playing without a volume pedal. Sens. sets how hard an attack must be, Attack how long the fade takes, and Depth adds modulation and depth to the returning sound.";
}

void GadgetN14::reset()
{
}

void GadgetN14::processSamples (float*, float*, int, float)
{
    beginBlock();
}

void GadgetN14::updateCoefficients()
{
}
