// The built VST3 and LV2 plug-ins, loaded through the framework's own
// plug-in hosting as a DAW built on it would load them.

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <cmath>

namespace
{
constexpr int numParameters = 40;
constexpr int numKinds = 10;
constexpr double sampleRateHz = 48000.0;
constexpr int blockSize = 256;

enum Kind
{
    input,
    output,
    algorithm,
    control1,
    control2,
    control3,
    control4,
    impulse,
    hot,
    enabled
};

const char* const nameStems[numKinds] = { "INPUT-SLOT", "OUTPUT-SLOT", "ALGO-SLOT", "PRM1-SLOT", "PRM2-SLOT",
                                          "PRM3-SLOT", "PRM4-SLOT", "IMPULSE-SLOT", "HOT-SLOT", "ENABLED-SLOT" };

int indexOf (int slot, int kind)
{
    return slot * numKinds + kind;
}

juce::String hostNameOf (int index)
{
    return nameStems[index % numKinds] + juce::String (index / numKinds + 1);
}

struct FormatUnderTest
{
    const char* formatName;
    const char* fileOrIdentifier;
    const char* searchFolder; // where the host looks for an identifier that is not a file
    bool textsFromPlugin; // LV2 has no call for a plug-in to format a value: hosts print the number
    bool flagsFromPlugin; // LV2 hosts mark every parameter automatable
};

const FormatUnderTest vst3 { "VST3", TARVOLIN_VST3_BUNDLE, nullptr, true, true };
const FormatUnderTest lv2 { "LV2", TARVOLIN_LV2_URI, TARVOLIN_LV2_FOLDER, false, false };
const FormatUnderTest allFormats[] = { vst3, lv2 };

void PrintTo (const FormatUnderTest& format, std::ostream* os)
{
    *os << format.formatName;
}

using Instance = std::unique_ptr<juce::AudioPluginInstance>;

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
    static Instance load()
    {
        const auto& under = GetParam();
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

    /** The host's parameter of that name; the tests address ours by name because
        the wrappers may add their own (bypass, MIDI controllers) and order them freely. */
    static juce::AudioProcessorParameter* findParameter (juce::AudioPluginInstance& instance, const juce::String& name)
    {
        for (auto* parameter : instance.getParameters())
            if (parameter->getName (1024) == name)
                return parameter;

        return nullptr;
    }

    /** Our forty in index order; a failure naming what the host shows instead when any is missing. */
    static std::vector<juce::AudioProcessorParameter*> ourParameters (juce::AudioPluginInstance& instance)
    {
        std::vector<juce::AudioProcessorParameter*> found;

        for (int index = 0; index < numParameters; ++index)
            found.push_back (findParameter (instance, hostNameOf (index)));

        if (std::count (found.begin(), found.end(), nullptr) > 0)
        {
            juce::StringArray shown;

            for (auto* parameter : instance.getParameters())
                shown.add (parameter->getName (1024));

            ADD_FAILURE() << "the host shows " << shown.size() << " parameters: " << shown.joinIntoString (", ");
        }

        return found;
    }

    static void setParameter (juce::AudioPluginInstance& instance, int index, float value)
    {
        auto* parameter = findParameter (instance, hostNameOf (index));
        ASSERT_NE (parameter, nullptr) << hostNameOf (index);
        parameter->setValue (value);
    }

    /** A plain stereo block; the hosts deliver parameter changes with it. */
    static void processSilence (juce::AudioPluginInstance& instance)
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        buffer.clear();
        juce::MidiBuffer midi;
        instance.processBlock (buffer, midi);
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
        EXPECT_EQ (instance->checkBusesLayoutSupported (request), layout.supported)
            << layout.in.getDescription() << " -> " << layout.out.getDescription();
        EXPECT_EQ (instance->setBusesLayout (request), layout.supported)
            << layout.in.getDescription() << " -> " << layout.out.getDescription();
        EXPECT_EQ (instance->getTotalNumInputChannels(), 2);
        EXPECT_EQ (instance->getTotalNumOutputChannels(), 2);
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

        // Hosts list them in the plug-in's order.
        EXPECT_GT (parameter->getParameterIndex(), lastHostIndex) << hostNameOf (index);
        lastHostIndex = parameter->getParameterIndex();

        EXPECT_EQ (parameter->getLabel(), "") << hostNameOf (index);

        if (GetParam().flagsFromPlugin)
            EXPECT_EQ (parameter->isAutomatable(), index % numKinds != enabled) << hostNameOf (index);
    }

    // Nothing else of ours: whatever else the host shows belongs to the wrapper.
    for (auto* parameter : instance->getParameters())
    {
        const auto name = parameter->getName (1024);
        const auto isOurs = std::find (parameters.begin(), parameters.end(), parameter) != parameters.end();
        EXPECT_TRUE (isOurs || name == "Bypass" || name.startsWith ("MIDI CC ")) << "unexpected parameter " << name;
    }
}

TEST_P (HostedPlugin, FormatsValuesAsThePluginWritesThem)
{
    if (! GetParam().textsFromPlugin)
        GTEST_SKIP() << GetParam().formatName << " hosts format values themselves";

    auto instance = load();
    ASSERT_NE (instance, nullptr);

    const struct
    {
        int index;
        float value;
        const char* text;
    } cases[] = {
        { indexOf (0, output), 0.0f, "-40.0 dB" },
        { indexOf (1, output), 0.5f, "0.0 dB" },
        { indexOf (2, input), 0.6f, "12.0 dB" },
        { indexOf (3, algorithm), 0.5f, "6.0 " }, // 6.5 ties to even
        { indexOf (0, impulse), 0.5f, "4.0 " }, // 3.5 ties to even
        { indexOf (3, impulse), 1.0f, "7.0 " }, // the trailing blank survives the host
        { indexOf (1, control3), 0.5f, "0.5 " },
        { indexOf (2, hot), 1.0f, "1.0 " },
        { indexOf (3, enabled), 0.0f, "0.0 " },
    };

    for (const auto& c : cases)
    {
        auto* parameter = findParameter (*instance, hostNameOf (c.index));
        ASSERT_NE (parameter, nullptr) << hostNameOf (c.index);
        EXPECT_EQ (parameter->getText (c.value, 1024), c.text) << hostNameOf (c.index) << " at " << c.value;
    }
}

//==============================================================================
struct StereoSignal
{
    juce::AudioBuffer<float> buffer { 2, blockSize };

    /** Two different tones, so a channel mix-up would show. */
    void fill (int blockNumber)
    {
        for (int i = 0; i < blockSize; ++i)
        {
            const auto t = (double) (blockNumber * blockSize + i) / sampleRateHz;
            buffer.setSample (0, i, (float) (0.5 * std::sin (juce::MathConstants<double>::twoPi * 220.0 * t)));
            buffer.setSample (1, i, (float) (0.4 * std::sin (juce::MathConstants<double>::twoPi * 331.0 * t)));
        }
    }
};

struct Difference
{
    float largest = 0.0f;
    bool allFinite = true;
};

/** Runs a quarter second of the two tones through the instance. */
Difference processTones (juce::AudioPluginInstance& instance)
{
    constexpr int numBlocks = (int) (sampleRateHz / 4) / blockSize;
    instance.prepareToPlay (sampleRateHz, blockSize);

    StereoSignal in, out;
    juce::MidiBuffer midi;
    Difference difference;

    for (int block = 0; block < numBlocks; ++block)
    {
        in.fill (block);
        out.buffer.makeCopyOf (in.buffer);
        instance.processBlock (out.buffer, midi);

        for (int channel = 0; channel < 2; ++channel)
        {
            for (int i = 0; i < blockSize; ++i)
            {
                const auto y = out.buffer.getSample (channel, i);
                difference.allFinite = difference.allFinite && std::isfinite (y);
                difference.largest = std::max (difference.largest, std::abs (y - in.buffer.getSample (channel, i)));
            }
        }
    }

    instance.releaseResources();
    return difference;
}

TEST_P (HostedPlugin, DefaultPatchPassesAudioUntouched)
{
    // Slot 1 runs the comb at its middle feedback setting: no comb at all.
    auto instance = load();
    ASSERT_NE (instance, nullptr);

    const auto difference = processTones (*instance);
    EXPECT_TRUE (difference.allFinite);
    EXPECT_EQ (difference.largest, 0.0f);
}

TEST_P (HostedPlugin, FeedbackCombChangesTheAudio)
{
    auto instance = load();
    ASSERT_NE (instance, nullptr);

    ourParameters (*instance);
    ASSERT_FALSE (HasFailure());

    setParameter (*instance, indexOf (0, algorithm), 0.0f); // the comb gadget
    setParameter (*instance, indexOf (0, control1), 0.8f); // a delay of about 170 samples
    setParameter (*instance, indexOf (0, control2), 1.0f); // strongest feedback

    const auto difference = processTones (*instance);
    EXPECT_TRUE (difference.allFinite);
    EXPECT_GT (difference.largest, 0.05f);
}

TEST_P (HostedPlugin, RestoresItsStateInAFreshInstance)
{
    auto saved = load();
    ASSERT_NE (saved, nullptr);
    saved->prepareToPlay (sampleRateHz, blockSize);
    const auto before = ourParameters (*saved);
    ASSERT_FALSE (HasFailure());

    // No gadget choice here: choosing one rewrites the slot's controls
    // without telling the host, so its view of them would be stale.
    const std::pair<int, float> settings[] = {
        { indexOf (0, input), 0.25f },
        { indexOf (0, control1), 0.8f },
        { indexOf (0, control2), 1.0f },
        { indexOf (1, output), 0.75f },
        { indexOf (2, control3), 0.125f },
        { indexOf (2, enabled), 1.0f },
        { indexOf (3, hot), 1.0f },
    };

    for (const auto& [index, value] : settings)
        setParameter (*saved, index, value);

    processSilence (*saved);

    juce::MemoryBlock state;
    saved->getStateInformation (state);

    auto restored = load();
    ASSERT_NE (restored, nullptr);
    restored->prepareToPlay (sampleRateHz, blockSize);
    restored->setStateInformation (state.getData(), (int) state.getSize());
    processSilence (*restored);

    const auto after = ourParameters (*restored);
    ASSERT_FALSE (HasFailure());

    for (int index = 0; index < numParameters; ++index)
        EXPECT_NEAR (after[(size_t) index]->getValue(), before[(size_t) index]->getValue(), 1.0e-6f) << hostNameOf (index);

    // Saved again, the restored instance gives the same bytes.
    juce::MemoryBlock stateAgain;
    restored->getStateInformation (stateAgain);
    EXPECT_TRUE (stateAgain == state);
}

INSTANTIATE_TEST_SUITE_P (Formats,
                          HostedPlugin,
                          ::testing::ValuesIn (allFormats),
                          [] (const auto& info) { return std::string (info.param.formatName); });
} // namespace
