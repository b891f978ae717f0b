// The built VST 2.4 plug-in in a small host of our own, written over the same
// interface headers the plug-in is built with: what a VST2 host does, step by
// step, with nothing of the framework on the host side.

#include "HostContract.h"
#include "Vst2Instance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

using namespace hostContract;

namespace
{
using vst2host::Vst2Instance;

constexpr VstInt32 fourCharCode (const char (&code)[5])
{
    return (VstInt32) (((unsigned) code[0] << 24) | ((unsigned) code[1] << 16) | ((unsigned) code[2] << 8)
                       | (unsigned) code[3]);
}

//==============================================================================
TEST (Vst2Host, EffectRecordCarriesTheIdentity)
{
    Vst2Instance plugin;
    ASSERT_TRUE (plugin.isOpen());
    const auto& effect = *plugin.effect;

    EXPECT_EQ (effect.magic, fourCharCode ("VstP"));
    EXPECT_EQ (effect.uniqueID, fourCharCode ("TRVL"));
    EXPECT_EQ (effect.version, 133);
    EXPECT_EQ (effect.numInputs, 2);
    EXPECT_EQ (effect.numOutputs, 2);
    EXPECT_EQ (effect.numParams, numParameters);
    EXPECT_EQ (effect.numPrograms, 1);
    EXPECT_NE (effect.flags & effFlagsCanReplacing, 0);
    EXPECT_NE (effect.flags & effFlagsProgramChunks, 0);
    EXPECT_EQ (effect.flags & effFlagsIsSynth, 0);
    EXPECT_NE (effect.processReplacing, nullptr);

    EXPECT_EQ (plugin.getString (effGetEffectName), "Tarvolin");
    EXPECT_EQ (plugin.getString (effGetVendorString), "Moskeret");
    EXPECT_EQ (plugin.getString (effGetProgramNameIndexed, 0), "default");
    EXPECT_EQ (plugin.dispatch (effGetPlugCategory), kPlugCategEffect);
    EXPECT_EQ (plugin.dispatch (effGetVstVersion), kVstVersion);
}

TEST (Vst2Host, AcceptsOnlyStereoInAndOut)
{
    Vst2Instance plugin;
    ASSERT_TRUE (plugin.isOpen());

    const struct
    {
        int type, numChannels;
        bool accepted;
    } requests[] = {
        { kSpeakerArrMono, 1, false },
        { kSpeakerArr40Music, 4, false },
        { kSpeakerArrStereo, 2, true },
    };

    for (const auto& request : requests)
    {
        EXPECT_EQ (plugin.requestLayout (request.type, request.numChannels), request.accepted)
            << request.numChannels << " channels";
        EXPECT_EQ (plugin.effect->numInputs, 2);
        EXPECT_EQ (plugin.effect->numOutputs, 2);
    }
}

TEST (Vst2Host, ParametersHaveTheirFullNamesTextsAndFlags)
{
    Vst2Instance plugin;
    ASSERT_TRUE (plugin.isOpen());

    // The interface's nominal name length is 8 characters; the wrapper hands
    // over up to 32 and hosts give that much room, so names arrive whole.
    for (int index = 0; index < numParameters; ++index)
    {
        EXPECT_EQ (plugin.getString (effGetParamName, index), hostNameOf (index));
        EXPECT_EQ (plugin.getString (effGetParamLabel, index), "") << hostNameOf (index);
        EXPECT_EQ (plugin.dispatch (effCanBeAutomated, index), isAutomatable (index) ? 1 : 0) << hostNameOf (index);
    }

    for (const auto& c : valueTexts)
    {
        plugin.setParameter (c.index, c.value);
        EXPECT_EQ (plugin.getParameter (c.index), c.value) << hostNameOf (c.index);
        EXPECT_EQ (plugin.getString (effGetParamDisplay, c.index), c.text) << hostNameOf (c.index) << " at " << c.value;
    }
}

TEST (Vst2Host, NameWritesStayWithinTheRoomHostsGive)
{
    Vst2Instance plugin;
    ASSERT_TRUE (plugin.isOpen());

    // Hosts commonly hand over 64 bytes for a name; nothing may land past them.
    constexpr char untouched = '\x7f';
    constexpr size_t room = 64;

    for (int index = 0; index < numParameters; ++index)
    {
        for (const auto opcode : { effGetParamName, effGetParamDisplay, effGetParamLabel })
        {
            char text[room * 2];
            std::memset (text, untouched, sizeof (text));
            plugin.dispatch (opcode, index, 0, text);
            EXPECT_TRUE (std::all_of (text + room, text + sizeof (text), [] (char c) { return c == untouched; }))
                << "opcode " << opcode << " on " << hostNameOf (index);
        }
    }
}

//==============================================================================
struct Rendering
{
    std::vector<float> samples; // left and right, block after block
    float largestChange = 0.0f; // against the input
    bool allFinite = true;
};

/** Resumes the plug-in and runs the two tones through processReplacing,
    with separate input and output buffers. */
Rendering processTones (Vst2Instance& plugin)
{
    plugin.resume();

    std::vector<float> in[2], out[2];
    Rendering rendering;

    for (int block = 0; block < numToneBlocks; ++block)
    {
        for (int channel = 0; channel < 2; ++channel)
        {
            in[channel].resize (blockSize);
            out[channel].assign (blockSize, 0.0f);

            for (int i = 0; i < blockSize; ++i)
                in[channel][(size_t) i] = toneSample (channel, block * blockSize + i);
        }

        float* inputs[] = { in[0].data(), in[1].data() };
        float* outputs[] = { out[0].data(), out[1].data() };
        plugin.effect->processReplacing (plugin.effect, inputs, outputs, blockSize);

        for (int channel = 0; channel < 2; ++channel)
        {
            for (size_t i = 0; i < (size_t) blockSize; ++i)
            {
                const auto y = out[channel][i];
                rendering.samples.push_back (y);
                rendering.allFinite = rendering.allFinite && std::isfinite (y);
                rendering.largestChange = std::max (rendering.largestChange, std::abs (y - in[channel][i]));
            }
        }
    }

    plugin.suspend();
    return rendering;
}

TEST (Vst2Host, DefaultPatchPassesAudioUntouched)
{
    Vst2Instance plugin;
    ASSERT_TRUE (plugin.isOpen());

    const auto rendering = processTones (plugin);
    EXPECT_TRUE (rendering.allFinite);
    EXPECT_EQ (rendering.largestChange, 0.0f);
}

TEST (Vst2Host, FeedbackCombChangesTheAudio)
{
    Vst2Instance plugin;
    ASSERT_TRUE (plugin.isOpen());

    plugin.apply (feedbackComb);

    const auto rendering = processTones (plugin);
    EXPECT_TRUE (rendering.allFinite);
    EXPECT_GT (rendering.largestChange, audibleChange);
}

TEST (Vst2Host, ChunkRestoresAFreshInstance)
{
    Vst2Instance saved;
    ASSERT_TRUE (saved.isOpen());

    saved.apply (patchToSave);

    auto chunk = saved.getChunk();
    ASSERT_FALSE (chunk.empty()) << "the plug-in hands the host an empty chunk";

    Vst2Instance restored;
    ASSERT_TRUE (restored.isOpen());
    restored.setChunk (chunk);

    for (int index = 0; index < numParameters; ++index)
        EXPECT_EQ (restored.getParameter (index), saved.getParameter (index)) << hostNameOf (index);

    // Saved again, the restored instance gives the same bytes...
    EXPECT_EQ (restored.getChunk(), chunk);

    // ...and sounds the same: the comb of slot 1 came back, not the default.
    const auto original = processTones (saved);
    const auto copy = processTones (restored);
    EXPECT_GT (original.largestChange, audibleChange);
    EXPECT_TRUE (copy.samples == original.samples) << "the restored instance sounds different";
}
} // namespace
