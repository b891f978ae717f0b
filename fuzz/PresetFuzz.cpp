// The preset door: arbitrary bytes as a preset file, in a tree made afresh
// for every input so that nothing one input leaves behind steers the next.

#include "FuzzChecks.h"
#include "engine/PresetManagement.h"
#include "engine/SafeXml.h"

#include <cstdint>
#include <fstream>

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    static ScratchFolder scratch ("preset");
    static ParameterMapping params;

    scratch.reset();
    std::filesystem::create_directory (scratch.path / "F");
    std::ofstream (scratch.path / "F" / "fuzz.pmt", std::ios::binary)
        .write (reinterpret_cast<const char*> (data), (std::streamsize) size);

    PresetManagement presets (&params, scratch.file());
    presets.loadPreset (0, 0);
    requireDefinedValues (params);

    // Whatever it held, the file is the loaded one and steps lead on from it.
    if (presets.getLoadedFilePreset().getFileName() != "fuzz.pmt" && size <= SafeXml::maxDocumentBytes)
        std::abort();

    presets.loadNextPreset();

    if (presets.getLoadedFilePreset() != juce::File())
        std::abort();

    return 0;
}
