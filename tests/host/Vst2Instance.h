#pragma once

// One instance of the built VST 2.4 plug-in, opened as a host opens it, over
// the interface headers the plug-in is built with.

#include "HostContract.h"
#include "aeffect.h"
#include "aeffectx.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace vst2host
{
// The answers of a minimal host: its interface version, and no time, tempo or
// other service (the plug-in must cope with a host that offers none).
inline VstIntPtr minimalHost (AEffect*, int opcode, int, VstIntPtr, void*, float)
{
    return opcode == audioMasterVersion ? kVstVersion : 0;
}

using EntryPoint = AEffect* (*) (audioMasterCallback);

/** One instance of the built plug-in, opened as a host opens it. */
class Vst2Instance
{
public:
    Vst2Instance()
    {
        library = dlopen (TARVOLIN_VST_LIBRARY, RTLD_NOW | RTLD_LOCAL);

        if (library == nullptr)
        {
            ADD_FAILURE() << "cannot load " << TARVOLIN_VST_LIBRARY << ": " << dlerror();
            return;
        }

        auto entryPoint = reinterpret_cast<EntryPoint> (dlsym (library, "VSTPluginMain"));

        if (entryPoint == nullptr)
        {
            ADD_FAILURE() << TARVOLIN_VST_LIBRARY << " exports no VSTPluginMain";
            return;
        }

        effect = entryPoint (minimalHost);

        if (effect == nullptr)
            ADD_FAILURE() << "VSTPluginMain gave no effect";
        else
            dispatch (effOpen);
    }

    ~Vst2Instance()
    {
        if (effect != nullptr)
            dispatch (effClose);

        if (library != nullptr)
            dlclose (library);
    }

    bool isOpen() const { return effect != nullptr; }

    VstIntPtr dispatch (int opcode, int index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f)
    {
        return effect->dispatcher (effect, opcode, index, value, ptr, opt);
    }

    /** A string answer, in a buffer as large as hosts give in practice. */
    std::string getString (int opcode, int index = 0)
    {
        char text[256] = {};
        dispatch (opcode, index, 0, text);
        return std::string (text, strnlen (text, sizeof (text)));
    }

    void setParameter (int index, float value) { effect->setParameter (effect, index, value); }
    float getParameter (int index) { return effect->getParameter (effect, index); }

    template <typename Settings>
    void apply (const Settings& settings)
    {
        for (const auto& setting : settings)
            setParameter (setting.index, setting.value);
    }

    void resume()
    {
        dispatch (effSetSampleRate, 0, 0, nullptr, (float) hostContract::sampleRateHz);
        dispatch (effSetBlockSize, 0, hostContract::blockSize);
        dispatch (effMainsChanged, 0, 1);
    }

    void suspend() { dispatch (effMainsChanged, 0, 0); }

    std::vector<char> getChunk()
    {
        void* data = nullptr;
        const auto size = dispatch (effGetChunk, 0, 0, &data);

        if (size <= 0 || data == nullptr)
            return {};

        const auto* bytes = static_cast<const char*> (data);
        return { bytes, bytes + size };
    }

    void setChunk (std::vector<char>& chunk) { dispatch (effSetChunk, 0, (VstIntPtr) chunk.size(), chunk.data()); }

    /** Asks for the same channel layout on both sides; true when accepted. */
    bool requestLayout (int speakerArrangementType, int numChannels)
    {
        // The record ends in a variable array of speakers.
        const auto bytes = sizeof (VstSpeakerArrangement) + (size_t) numChannels * sizeof (VstSpeakerProperties);
        std::unique_ptr<void, decltype (&std::free)> inStorage (std::calloc (1, bytes), &std::free);
        std::unique_ptr<void, decltype (&std::free)> outStorage (std::calloc (1, bytes), &std::free);
        auto* in = static_cast<VstSpeakerArrangement*> (inStorage.get());
        auto* out = static_cast<VstSpeakerArrangement*> (outStorage.get());

        for (auto* arrangement : { in, out })
        {
            arrangement->type = speakerArrangementType;
            arrangement->numChannels = numChannels;
        }

        return dispatch (effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr> (in), out) != 0;
    }

    AEffect* effect = nullptr;

private:
    void* library = nullptr;
};

} // namespace vst2host
