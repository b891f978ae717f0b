#include "engine/PresetManagement.h"
#include "engine/SafeXml.h"

#include <benchmark/benchmark.h>

namespace
{
/** The largest preset the store accepts, filled the way that costs the
    reader most: every attribute there may be, each value a run of
    references, the whole just under the size limit. */
std::string largestAcceptedPreset()
{
    const auto valueBytes = SafeXml::maxDocumentBytes / (size_t) SafeXml::maxAttributes - 16;
    std::string text = "<Gadgets NumParameters=\"40\"";

    for (int i = 1; i < SafeXml::maxAttributes; ++i)
    {
        text += " a" + std::to_string (i) + "=\"";

        for (size_t length = 0; length + 10 <= valueBytes; length += 10)
            text += "&#x10FFFF;";

        text += "\"";
    }

    return text + "/>";
}

/** Listing, reading and parsing the largest preset, as a load from the
    preset selector does. */
void BM_LoadLargestPreset (benchmark::State& state)
{
    const auto root = juce::File::getSpecialLocation (juce::File::tempDirectory)
                          .getChildFile ("tarvolin-bench-" + juce::Uuid().toString());
    const auto text = largestAcceptedPreset();
    root.getChildFile ("F/largest.pmt").create();
    root.getChildFile ("F/largest.pmt").replaceWithData (text.data(), text.size());

    ParameterMapping mapping;
    PresetManagement store (&mapping, root);

    for (auto _ : state)
    {
        store.loadPreset (0, 0);
        benchmark::DoNotOptimize (mapping.getValue (0));
    }

    // Read, not refused: every value it lacks loads as 0.
    if (mapping.getValue (1) != 0.0f)
        state.SkipWithError ("the largest preset was refused");

    state.counters["preset_bytes"] = (double) text.size();
    root.deleteRecursively();
}
} // namespace

BENCHMARK (BM_LoadLargestPreset)->Unit (benchmark::kMicrosecond);
