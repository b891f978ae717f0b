// The host state door: arbitrary bytes as the block a host hands back.

#include "FuzzChecks.h"
#include "engine/HostState.h"

#include <cstdint>

namespace
{
struct Fixture
{
    ScratchFolder scratch { "state" };
    ParameterMapping params;
    PresetManagement presets { &params, scratch.file() };
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, std::size_t size)
{
    static Fixture fixture;

    HostState::read (data, (int) size, fixture.params, fixture.presets);
    requireDefinedValues (fixture.params);
    return 0;
}
