#include "GadgetN08.h"

GadgetN08::GadgetN08()
{
    describe ("Riverovodizir", 4, { "Limit", "Flutter", "Hiss" }, { 0.5f, 0.0f, 0.0f });
    description = "A model of one very old microcassette recorder, played back through its own tiny loudspeaker. The limit knob sets how the tape distorts, flutter adds wow and flutter, and hiss adds the noise of a worn tape. Push the input gain hard: that is where it sounds best.";
}

void GadgetN08::reset()
{
}

void GadgetN08::processSamples (float*, float*, int, float)
{
    beginBlock();
}

void GadgetN08::updateCoefficients()
{
}
