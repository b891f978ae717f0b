#pragma once

#include "engine/ParameterMapping.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

/** What every door must leave behind, whatever it was handed: values in
    0..1 and controllers in -1..127. A breach aborts, which the fuzzer
    reports with the input that caused it. */
inline void requireDefinedValues (const ParameterMapping& params)
{
    for (int i = 0; i < ParameterMapping::numParameters; ++i)
    {
        const auto value = params.getValue (i);
        const auto controller = params.getMidiCCParameter (i);

        if (! (value >= 0.0f && value <= 1.0f) || controller < -1 || controller > 127)
            std::abort();
    }
}

/** A private folder for one fuzzing process, emptied on demand. Removal goes
    through std::filesystem, which takes names of any bytes. */
class ScratchFolder
{
public:
    explicit ScratchFolder (const char* purpose)
        : path (std::filesystem::temp_directory_path()
                / (std::string ("tarvolin-fuzz-") + purpose + "-" + std::to_string (getpid())))
    {
        reset();
    }

    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all (path, ignored);
    }

    void reset()
    {
        std::error_code ignored;
        std::filesystem::remove_all (path, ignored);
        std::filesystem::create_directories (path, ignored);
    }

    juce::File file() const { return juce::File (juce::String::fromUTF8 (path.c_str())); }

    const std::filesystem::path path;
};
