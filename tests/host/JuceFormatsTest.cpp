// The built VST3 and LV2 plug-ins, loaded through the framework's own
// plug-in hosting as a DAW built on it would load them.

#include "HostContract.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <map>

using namespace hostContract;

namespace
{
struct FormatUnderTest
{
    const char* formatName;
    const char* fileOrIdentifier;
    const char* searchFolder; // where the host looks for an identifier that is not a file

    // Whether the host learns from the plug-in how each value reads, the
    // automatable flags, the parameters' order and their values after a state
    // restore. LV2 carries none of these: its hosts print the bare number,
    // mark everything automatable, sort by URI and start every value at the
    // bundle's default, hearing of a value only when the plug-in reports a change.
    bool hostAsksThePlugin;
};

const FormatUnderTest vst3 { "VST3", TARVOLIN_VST3_BUNDLE, nullptr, true };
const FormatUnderTest lv2 { "LV2", TARVOLIN_LV2_URI, TARVOLIN_LV2_FOLDER, false };
const FormatUnderTest allFormats[] = { vst3, lv2 };

void PrintTo (const FormatUnderTest& format, std::ostream* os) { *os << format.formatName; }

using Instance = std::unique_ptr<juce::AudioPluginInstance>;
using Parameters = std::vector<juce::AudioProcessorParameter*>;

struct Rendering
{
    std::vector<float> samples; // left and right, block after block
    float largestChange = 0.0f; // against the input
    bool allFinite = true;
};

class HostedPlugin : public ::testing::TestWithParam<FormatUnderTest>
{
protected:
    static void SetUpTestSuite()
    {
        formats = std::make_unique<juce::AudioPluginFormatManager>();
        formats->addDefaultFormats();

        for (const auto& under : allFormats)
            if (auto* format = findFormat (under.formatName); format != nullptr && under.searchFolder != nullptr)
                format->searchPathsForPlugins (juce::FileSearchPath (under.searchFolder), true, false);
    }

    static void TearDownTestSuite() { formats.reset(); }

    /** A fresh instance of the built plug-in, or null with the host's reason in the test log. */
    static Instance load() { return load (GetParam()); }

    static Instance load (const FormatUnderTest& under)
    {
        auto* format = findFormat (under.formatName);

        if (format == nullptr)
        {
            ADD_FAILURE() << "the framework offers no " << under.formatName << " hosting";
            return {};
        }

        juce::OwnedArray<juce::PluginDescription> found;
        format->findAllTypesForFile (found, under.fileOrIdentifier);

        if (found.size() != 1)
        {
            ADD_FAILURE() << under.fileOrIdentifier << " holds " << found.size() << " plug-ins, expected 1";
            return {};
        }

        juce::String error;
        auto instance = formats->createPluginInstance (*found[0], sampleRateHz, blockSize, error);

        if (instance == nullptr)
            ADD_FAILURE() << "cannot instantiate " << under.fileOrIdentifier << ": " << error;

        return instance;
    }

    static juce::AudioPluginFormat* findFormat (const juce::String& name)
    {
        for (auto* format : formats->getFormats())
            if (format->getName() == name)
                return format;

        return nullptr;
    }

    /** Ours in index order, found by name: the wrappers add parameters of their
        own (bypass, MIDI controllers) and LV2 hosts sort them. A failure naming
        what the host shows instead when any is missing. */
    static Parameters ourParameters (juce::AudioPluginInstance& instance)
    {
        Parameters found;

        for (int index = 0; index < numParameters; ++index)
        {
            const juce::String name (hostNameOf (index));
            const auto& all = instance.getParameters();
            auto match = std::find_if (all.begin(), all.end(), [&name] (auto* p) { return p->getName (1024) == name; });
            found.push_back (match != all.end() ? *match : nullptr);
        }

        if (std::count (found.begin(), found.end(), nullptr) > 0)
        {
            juce::StringArray shown;

            for (auto* parameter : instance.getParameters())
                shown.add (parameter->getName (1024));

            ADD_FAILURE() << "the host shows " << shown.size() << " parameters: " << shown.joinIntoString (", ");
        }

        return found;
    }

    /** Sets values as a host does; they reach the plug-in with the next block. */
    template <typename Settings>
    static void apply (juce::AudioPluginInstance& instance, const Settings& settings)
    {
        const auto parameters = ourParameters (instance);

        if (! ::testing::Test::HasFailure())
            for (const auto& setting : settings)
                parameters[(size_t) setting.index]->setValue (setting.value);
    }

    /** The defaults the LV2 bundle announces, by parameter name. */
    static std::map<juce::String, juce::String> defaultsInTheLv2Bundle()
    {
        const auto ttl = juce::File (TARVOLIN_LV2_FOLDER).getChildFile ("Tarvolin.lv2/dsp.ttl");
        juce::StringArray lines;
        lines.addLines (ttl.loadFileAsString());
        std::map<juce::String, juce::String> defaults;
        juce::String name;

        for (const auto& line : lines)
        {
            const auto trimmed = line.trim();

            if (trimmed.startsWith ("rdfs:label"))
                name = trimmed.fromFirstOccurrenceOf ("\"", false, false).upToLastOccurrenceOf ("\"", false, false);
            else if (trimmed.startsWith ("lv2:default") && name.isNotEmpty())
                defaults[name] =
                    trimmed.fromFirstOccurrenceOf (" ", false, false).upToFirstOccurrenceOf (" ", false, false);
            else if (trimmed.isEmpty())
                name = {};
        }

        return defaults;
    }

    static juce::MemoryBlock stateOf (juce::AudioPluginInstance& instance)
    {
        juce::MemoryBlock state;
        instance.getStateInformation (state);
        return state;
    }

    static void processSilence (juce::AudioPluginInstance& instance)
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        buffer.clear();
        juce::MidiBuffer midi;
        instance.processBlock (buffer, midi);
    }

    /** Prepares the instance afresh and runs the two tones through it. */
    static Rendering processTones (juce::AudioPluginInstance& instance)
    {
        instance.prepareToPlay (sampleRateHz, blockSize);

        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        Rendering rendering;

        for (int block = 0; block < numToneBlocks; ++block)
        {
            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < blockSize; ++i)
                    buffer.setSample (channel, i, toneSample (channel, block * blockSize + i));

            instance.processBlock (buffer, midi);

            for (int channel = 0; channel < 2; ++channel)
            {
                for (int i = 0; i < blockSize; ++i)
                {
                    const auto y = buffer.getSample (channel, i);
                    rendering.samples.push_back (y);
                    rendering.allFinite = rendering.allFinite && std::isfinite (y);
                    rendering.largestChange =
                        std::max (rendering.largestChange, std::abs (y - toneSample (channel, block * blockSize + i)));
                }
            }
        }

        instance.releaseResources();
        return rendering;
    }

    static std::unique_ptr<juce::AudioPluginFormatManager> formats;
};

std::unique_ptr<juce::AudioPluginFormatManager> HostedPlugin::formats;

//==============================================================================
TEST_P (HostedPlugin, ReportsItsIdentityAndOneStereoLayout)
{
    auto instance = load();
    ASSERT_NE (instance, nullptr);

    EXPECT_EQ (instance->getName(), "Tarvolin");
    EXPECT_EQ (instance->getTotalNumInputChannels(), 2);
    EXPECT_EQ (instance->getTotalNumOutputChannels(), 2);
    EXPECT_EQ (instance->getLatencySamples(), 0);
    EXPECT_TRUE (instance->acceptsMidi());
    EXPECT_FALSE (instance->producesMidi());

    using Set = juce::AudioChannelSet;
    const struct
    {
        Set in, out;
        bool supported;
    } layouts[] = {
        { Set::stereo(), Set::stereo(), true },
        { Set::mono(), Set::mono(), false },
        { Set::mono(), Set::stereo(), false },
        { Set::stereo(), Set::mono(), false },
        { Set::quadraphonic(), Set::quadraphonic(), false },
        { Set::discreteChannels (4), Set::discreteChannels (4), false },
    };

    for (const auto& layout : layouts)
    {
        juce::AudioProcessor::BusesLayout request;
        request.inputBuses.add (layout.in);
        request.outputBuses.add (layout.out);
        const auto description = layout.in.getDescription() + " -> " + layout.out.getDescription();

        EXPECT_EQ (instance->checkBusesLayoutSupported (request), layout.supported) << description;
        EXPECT_EQ (instance->setBusesLayout (request), layout.supported) << description;
        EXPECT_EQ (instance->getTotalNumInputChannels(), 2) << description;
        EXPECT_EQ (instance->getTotalNumOutputChannels(), 2) << description;
    }
}

TEST_P (HostedPlugin, ShowsFortyParametersWithTheirNamesAndFlags)
{
    auto instance = load();
    ASSERT_NE (instance, nullptr);

    const auto parameters = ourParameters (*instance);
    ASSERT_FALSE (HasFailure());

    int lastHostIndex = -1;

    for (int index = 0; index < numParameters; ++index)
    {
        auto* parameter = parameters[(size_t) index];
        EXPECT_EQ (parameter->getLabel(), "") << hostNameOf (index);

        if (! GetParam().hostAsksThePlugin)
            continue;

        EXPECT_GT (parameter->getParameterIndex(), lastHostIndex) << hostNameOf (index) << " out of order";
        lastHostIndex = parameter->getParameterIndex();
        EXPECT_EQ (parameter->isAutomatable(), isAutomatable (index)) << hostNameOf (index);
    }

    // Whatever else the host shows belongs to the wrapper.
    for (auto* parameter : instance->getParameters())
    {
        const auto name = parameter->getName (1024);
        const auto isOurs = std::find (parameters.begin(), parameters.end(), parameter) != parameters.end();
        EXPECT_TRUE (isOurs || name == "Bypass" || name.startsWith ("MIDI CC ")) << "unexpected parameter " << name;
    }
}

TEST_P (HostedPlugin, FormatsValuesAsThePluginWritesThem)
{
    if (! GetParam().hostAsksThePlugin)
        GTEST_SKIP() << GetParam().formatName << " hosts format values themselves";

    auto instance = load();
    ASSERT_NE (instance, nullptr);
    const auto parameters = ourParameters (*instance);
    ASSERT_FALSE (HasFailure());

    for (const auto& c : valueTexts)
        EXPECT_EQ (parameters[(size_t) c.index]->getText (c.value, 1024), c.text)
            << hostNameOf (c.index) << " at " << c.value;
}

TEST_P (HostedPlugin, DefaultPatchPassesAudioUntouched)
{
    // Slot 1 runs the comb at its middle feedback setting: no comb at all.
    auto instance = load();
    ASSERT_NE (instance, nullptr);

    const auto rendering = processTones (*instance);
    EXPECT_TRUE (rendering.allFinite);
    EXPECT_EQ (rendering.largestChange, 0.0f);
}

TEST_P (HostedPlugin, FeedbackCombChangesTheAudio)
{
    auto instance = load();
    ASSERT_NE (instance, nullptr);
    apply (*instance, feedbackComb);
    ASSERT_FALSE (HasFailure());

    const auto rendering = processTones (*instance);
    EXPECT_TRUE (rendering.allFinite);
    EXPECT_GT (rendering.largestChange, audibleChange);
}

TEST_P (HostedPlugin, RestoresItsStateInAFreshInstance)
{
    auto saved = load();
    ASSERT_NE (saved, nullptr);
    saved->prepareToPlay (sampleRateHz, blockSize);
    apply (*saved, patchToSave);
    ASSERT_FALSE (HasFailure());
    processSilence (*saved);

    juce::MemoryBlock state;
    saved->getStateInformation (state);

    auto restored = load();
    ASSERT_NE (restored, nullptr);
    restored->prepareToPlay (sampleRateHz, blockSize);
    restored->setStateInformation (state.getData(), (int) state.getSize());
    processSilence (*restored);

    if (GetParam().hostAsksThePlugin)
    {
        const auto before = ourParameters (*saved);
        const auto after = ourParameters (*restored);

        for (int index = 0; index < numParameters; ++index)
            EXPECT_NEAR (after[(size_t) index]->getValue(), before[(size_t) index]->getValue(), 1.0e-6f)
                << hostNameOf (index);
    }

    // Saved again, the restored instance gives the same bytes...
    juce::MemoryBlock stateAgain;
    restored->getStateInformation (stateAgain);
    EXPECT_TRUE (stateAgain == state);

    // ...and sounds the same: the comb of slot 1 came back, not the default.
    const auto original = processTones (*saved);
    const auto copy = processTones (*restored);
    EXPECT_GT (original.largestChange, audibleChange);
    EXPECT_TRUE (copy.samples == original.samples) << "the restored instance sounds different";
}

TEST_P (HostedPlugin, ResetsToWhatAFreshInstanceHolds)
{
    // A fresh instance as a VST3 host reads it, prepared and run once: the
    // same code in every format, and the VST3 host asks the plug-in for values.
    auto fresh = load (vst3);
    ASSERT_NE (fresh, nullptr);
    fresh->prepareToPlay (sampleRateHz, blockSize);
    processSilence (*fresh);
    const auto freshParameters = ourParameters (*fresh);
    ASSERT_FALSE (HasFailure());

    auto instance = load();
    ASSERT_NE (instance, nullptr);
    const auto parameters = ourParameters (*instance);
    ASSERT_FALSE (HasFailure());

    for (int index = 0; index < numParameters; ++index)
        EXPECT_EQ (parameters[(size_t) index]->getDefaultValue(), freshParameters[(size_t) index]->getValue())
            << hostNameOf (index);

    if (! GetParam().hostAsksThePlugin)
    {
        const auto announced = defaultsInTheLv2Bundle();

        for (int index = 0; index < numParameters; ++index)
        {
            const auto found = announced.find (hostNameOf (index));
            ASSERT_NE (found, announced.end()) << "no lv2:default for " << hostNameOf (index);
            EXPECT_EQ (found->second.getFloatValue(), freshParameters[(size_t) index]->getValue())
                << hostNameOf (index) << " announces " << found->second;
        }
    }

    // A host's "reset": an edited instance, every value set back to its
    // default in index order, is a fresh instance again.
    auto freshOfThisFormat = load();
    ASSERT_NE (freshOfThisFormat, nullptr);
    freshOfThisFormat->prepareToPlay (sampleRateHz, blockSize);
    processSilence (*freshOfThisFormat);
    const auto freshState = stateOf (*freshOfThisFormat);

    instance->prepareToPlay (sampleRateHz, blockSize);
    apply (*instance, patchToSave);
    apply (*instance, std::initializer_list<Setting> { { indexOf (1, algorithm), 5.0f / 13.0f } });
    processSilence (*instance);
    ASSERT_FALSE (stateOf (*instance) == freshState);

    for (auto* parameter : parameters)
        parameter->setValue (parameter->getDefaultValue());

    processSilence (*instance);
    EXPECT_TRUE (stateOf (*instance) == freshState) << "the reset instance differs from a fresh one";
}

INSTANTIATE_TEST_SUITE_P (Formats, HostedPlugin, ::testing::ValuesIn (allFormats), [] (const auto& info) {
    return std::string (info.param.formatName);
});
} // namespace
