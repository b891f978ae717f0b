// Feeds arbitrary bytes to both readers of outside data: the host state
// block and a preset file. Any crash, hang, sanitizer report or value that
// leaves its range is a finding.

#include "engine/HostState.h"

#include <cstdint>
#include <cstdlib>

namespace
{
void requireDefinedValues (const ParameterMapping& params)
{
    for (int i = 0; i < ParameterMapping::numParameters; ++i)
    {
        const auto value = params.getValue (i);
        const auto controller = params.getMidiCCParameter (i);

        if (! (value >= 0.0f && value <= 1.0f) || controller < -1 || controller > 127)
            std::abort();
    }
}

struct Fixture
{
    Fixture()
        : root (juce::File::getSpecialLocation (juce::File::tempDirectory)
                    .getChildFile ("tarvolin-fuzz-" + juce::Uuid().toString()))
        , presets (&params, root)
    {
    }

    ~Fixture() { root.deleteRecursively(); }

    juce::File root;
    ParameterMapping params;
    PresetManagement presets;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    static Fixture fixture;

    HostState::read (data, (int) size, fixture.params, fixture.presets);
    requireDefinedValues (fixture.params);

    const auto presetFile = fixture.presets.getFolderPreset (0).getChildFile ("fuzz.pmt");
    presetFile.replaceWithData (data, size);
    fixture.presets.loadPreset (0, 0);
    requireDefinedValues (fixture.params);

    return 0;
}
