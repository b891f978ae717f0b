#include "BenchGui.h"

#include <benchmark/benchmark.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
bool guiStarted = false;
} // namespace

void startGui()
{
    if (guiStarted)
        return;

    juce::initialiseJuce_GUI();
    guiStarted = true;
}

/** The benchmark library's own main, but the framework's GUI side is shut
    down before main returns: shut down during static destruction, it would
    reach for the framework's statics already destroyed (its list of objects
    deleted at shutdown among them). */
int main (int argc, char** argv)
{
    benchmark::Initialize (&argc, argv);

    if (benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (guiStarted)
        juce::shutdownJuce_GUI();

    return 0;
}
