// lv2time: times one LV2 plug-in block by block, the way a host runs it.
//
// Each audio input gets its own deterministic noise at about -15 dBFS RMS and
// each output its own buffer, so a plug-in works on a signal and cannot be
// flattered by silence. Control inputs keep their defaults unless set with
// -c; parameters that a plug-in takes as patch:Set messages (as JUCE 7's LV2
// wrapper does) are sent with -P in the first block of the warm-up. The host
// offers urid:map/unmap, options (sample rate and block lengths), the
// buf-size block-length features, log, state:mapPath and a worker that runs
// at once, which plug-ins with cabinets and reverbs require. FTZ and DAZ are
// on, as in a DAW.
//
// After a warm-up it times R repetitions of at least S seconds of audio and
// 0.5 s of wall time each, and prints one tab-separated line per block size
// with the median. A plug-in whose output is silent or not finite is flagged
// rather than reported as fast.

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/patch/patch.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <pmmintrin.h>
#include <xmmintrin.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace
{
struct Options
{
    std::string uri;
    std::string label;
    double sampleRate = 48000.0;
    std::vector<uint32_t> blocks;
    double timedSeconds = 5.0; // audio per repetition, at least
    double warmupSeconds = 1.0; // untimed audio before the first repetition
    double minWallSeconds = 0.5;
    int repetitions = 3;
    std::vector<std::pair<std::string, float>> controls;
    std::vector<std::pair<std::string, float>> patches;
};

struct UridTable
{
    std::map<std::string, LV2_URID> ids;
    std::vector<std::string> uris { "" };

    static LV2_URID map (LV2_URID_Map_Handle handle, const char* uri)
    {
        auto* table = static_cast<UridTable*> (handle);
        const auto found = table->ids.find (uri);

        if (found != table->ids.end())
            return found->second;

        table->uris.emplace_back (uri);
        return table->ids[uri] = static_cast<LV2_URID> (table->uris.size() - 1);
    }

    static const char* unmap (LV2_URID_Unmap_Handle handle, LV2_URID id)
    {
        auto* table = static_cast<UridTable*> (handle);
        return id < table->uris.size() ? table->uris[id].c_str() : nullptr;
    }
};

int logPrintf (LV2_Log_Handle, LV2_URID, const char* format, ...)
{
    va_list args;
    va_start (args, format);
    const int written = std::vfprintf (stderr, format, args);
    va_end (args);
    return written;
}

int logVprintf (LV2_Log_Handle, LV2_URID, const char* format, va_list args)
{
    return std::vfprintf (stderr, format, args);
}

// Paths are used as given: an absolute path maps to itself.
char* mapPath (LV2_State_Map_Path_Handle, const char* path) { return strdup (path); }

// Work runs at once in the calling thread; its responses are delivered after
// the current run(), as a host without a worker thread does.
struct Worker
{
    const LV2_Worker_Interface* iface = nullptr;
    LV2_Handle handle = nullptr;
    std::vector<std::vector<uint8_t>> responses;

    static LV2_Worker_Status respond (LV2_Worker_Respond_Handle h, uint32_t size, const void* data)
    {
        const auto* bytes = static_cast<const uint8_t*> (data);
        static_cast<Worker*> (h)->responses.emplace_back (bytes, bytes + size);
        return LV2_WORKER_SUCCESS;
    }

    static LV2_Worker_Status schedule (LV2_Worker_Schedule_Handle h, uint32_t size, const void* data)
    {
        auto* worker = static_cast<Worker*> (h);

        if (worker->iface == nullptr || worker->iface->work == nullptr)
            return LV2_WORKER_ERR_UNKNOWN;

        return worker->iface->work (worker->handle, respond, worker, size, data);
    }

    void afterRun()
    {
        if (iface == nullptr)
            return;

        auto pending = std::move (responses);
        responses.clear();

        for (auto& response : pending)
            if (iface->work_response != nullptr)
                iface->work_response (handle, static_cast<uint32_t> (response.size()), response.data());

        if (iface->end_run != nullptr)
            iface->end_run (handle);
    }
};

// xorshift32 white noise, one seed per channel, at about -15 dBFS RMS.
std::vector<float> makeNoise (std::size_t length, uint32_t seed)
{
    std::vector<float> samples (length);

    for (auto& sample : samples)
    {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        sample = 0.25f * (static_cast<float> (seed) / 2147483648.0f - 1.0f);
    }

    return samples;
}

double nowNs (clockid_t clock)
{
    timespec time {};
    clock_gettime (clock, &time);
    return static_cast<double> (time.tv_sec) * 1e9 + static_cast<double> (time.tv_nsec);
}

struct Result
{
    std::string status = "ok";
    uint32_t audioIn = 0, audioOut = 0;
    std::vector<double> wallNsPerFrame, cpuNsPerFrame; // one per repetition
    double outRms = 0.0;
};

Result timeBlockSize (LilvWorld* world, const LilvPlugin* plugin, const Options& options, uint32_t block)
{
    Result result;
    UridTable urids;
    LV2_URID_Map map { &urids, UridTable::map };
    LV2_URID_Unmap unmap { &urids, UridTable::unmap };
    const auto urid = [&] (const char* uri) { return UridTable::map (&urids, uri); };
    LV2_Log_Log log { nullptr, logPrintf, logVprintf };
    Worker worker;
    LV2_Worker_Schedule schedule { &worker, Worker::schedule };
    LV2_State_Map_Path pathMap { nullptr, mapPath, mapPath };

    const auto rate = static_cast<float> (options.sampleRate);
    const auto blockLength = static_cast<int32_t> (block);
    const auto atomInt = urid (LV2_ATOM__Int), atomFloat = urid (LV2_ATOM__Float);
    const LV2_Options_Option hostOptions[] = {
        { LV2_OPTIONS_INSTANCE, 0, urid (LV2_PARAMETERS__sampleRate), sizeof (float), atomFloat, &rate },
        { LV2_OPTIONS_INSTANCE, 0, urid (LV2_BUF_SIZE__minBlockLength), sizeof (int32_t), atomInt, &blockLength },
        { LV2_OPTIONS_INSTANCE, 0, urid (LV2_BUF_SIZE__maxBlockLength), sizeof (int32_t), atomInt, &blockLength },
        { LV2_OPTIONS_INSTANCE, 0, urid (LV2_BUF_SIZE__nominalBlockLength), sizeof (int32_t), atomInt, &blockLength },
        { LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr }
    };

    LV2_Feature mapFeature { LV2_URID__map, &map }, unmapFeature { LV2_URID__unmap, &unmap },
        logFeature { LV2_LOG__log, &log },
        optionsFeature { LV2_OPTIONS__options, const_cast<LV2_Options_Option*> (hostOptions) },
        boundedFeature { LV2_BUF_SIZE__boundedBlockLength, nullptr },
        fixedFeature { LV2_BUF_SIZE__fixedBlockLength, nullptr },
        powerOf2Feature { LV2_BUF_SIZE__powerOf2BlockLength, nullptr },
        scheduleFeature { LV2_WORKER__schedule, &schedule }, mapPathFeature { LV2_STATE__mapPath, &pathMap };
    const LV2_Feature* features[] = { &mapFeature,     &unmapFeature, &logFeature,      &optionsFeature,
                                      &boundedFeature, &fixedFeature, &powerOf2Feature, &scheduleFeature,
                                      &mapPathFeature, nullptr };

    LilvNodes* required = lilv_plugin_get_required_features (plugin);

    LILV_FOREACH (nodes, i, required)
    {
        const char* needed = lilv_node_as_uri (lilv_nodes_get (required, i));
        bool offered = false;

        for (const LV2_Feature* const* f = features; *f != nullptr; ++f)
            offered = offered || std::strcmp ((*f)->URI, needed) == 0;

        if (! offered)
            result.status = std::string ("needs ") + needed;
    }

    lilv_nodes_free (required);

    if (result.status != "ok")
        return result;

    LilvInstance* instance = lilv_plugin_instantiate (plugin, options.sampleRate, features);

    if (instance == nullptr)
    {
        result.status = "instantiate failed";
        return result;
    }

    // Asked of the instance: some plug-ins use the worker without declaring
    // its interface in their Turtle.
    worker.iface =
        static_cast<const LV2_Worker_Interface*> (lilv_instance_get_extension_data (instance, LV2_WORKER__interface));
    worker.handle = lilv_instance_get_handle (instance);

    LilvNode* audioClass = lilv_new_uri (world, LV2_CORE__AudioPort);
    LilvNode* controlClass = lilv_new_uri (world, LV2_CORE__ControlPort);
    LilvNode* cvClass = lilv_new_uri (world, LV2_CORE__CVPort);
    LilvNode* atomClass = lilv_new_uri (world, LV2_ATOM__AtomPort);
    LilvNode* inputClass = lilv_new_uri (world, LV2_CORE__InputPort);
    LilvNode* optionalProperty = lilv_new_uri (world, LV2_CORE__connectionOptional);

    const uint32_t numPorts = lilv_plugin_get_num_ports (plugin);
    std::vector<float> minimums (numPorts), maximums (numPorts), defaults (numPorts);
    lilv_plugin_get_port_ranges_float (plugin, minimums.data(), maximums.data(), defaults.data());
    std::vector<float> controls (numPorts, 0.0f);
    std::vector<std::vector<float>> buffers (numPorts);
    std::vector<uint32_t> audioInputs, audioOutputs, atomInputs, atomOutputs;
    constexpr std::size_t atomCapacity = 65536;
    std::vector<std::vector<uint8_t>> atomBuffers (numPorts);
    std::map<std::string, bool> controlsUsed;

    for (uint32_t i = 0; i < numPorts && result.status == "ok"; ++i)
    {
        const LilvPort* port = lilv_plugin_get_port_by_index (plugin, i);
        const std::string symbol = lilv_node_as_string (lilv_port_get_symbol (plugin, port));
        const bool isInput = lilv_port_is_a (plugin, port, inputClass);

        if (lilv_port_is_a (plugin, port, controlClass))
        {
            auto value = defaults[i];

            if (std::isnan (value))
                value = ! std::isnan (minimums[i]) ? minimums[i] : (! std::isnan (maximums[i]) ? maximums[i] : 0.0f);

            for (const auto& [name, given] : options.controls)
                if (name == symbol && isInput)
                {
                    value = given;
                    controlsUsed[name] = true;
                }

            controls[i] = value;
            lilv_instance_connect_port (instance, i, &controls[i]);
        }
        else if (lilv_port_is_a (plugin, port, audioClass))
        {
            buffers[i].assign (block, 0.0f);
            (isInput ? audioInputs : audioOutputs).push_back (i);
            lilv_instance_connect_port (instance, i, buffers[i].data());
        }
        else if (lilv_port_is_a (plugin, port, cvClass))
        {
            // CV inputs hold their default; CV outputs get scratch space.
            buffers[i].assign (block, std::isnan (defaults[i]) ? 0.0f : defaults[i]);
            lilv_instance_connect_port (instance, i, buffers[i].data());
        }
        else if (lilv_port_is_a (plugin, port, atomClass))
        {
            atomBuffers[i].assign (atomCapacity, 0);
            (isInput ? atomInputs : atomOutputs).push_back (i);
            lilv_instance_connect_port (instance, i, atomBuffers[i].data());
        }
        else if (lilv_port_has_property (plugin, port, optionalProperty))
        {
            lilv_instance_connect_port (instance, i, nullptr);
        }
        else
        {
            result.status = "unsupported port " + symbol;
        }
    }

    for (auto* node : { audioClass, controlClass, cvClass, atomClass, inputClass, optionalProperty })
        lilv_node_free (node);

    if (result.status != "ok")
    {
        lilv_instance_free (instance);
        return result;
    }

    for (const auto& [name, value] : options.controls)
        if (! controlsUsed[name])
            std::fprintf (stderr, "lv2time: no control input '%s' in %s\n", name.c_str(), options.uri.c_str());

    if (! options.patches.empty() && atomInputs.empty())
        std::fprintf (stderr, "lv2time: %s has no atom input for -P\n", options.uri.c_str());

    result.audioIn = static_cast<uint32_t> (audioInputs.size());
    result.audioOut = static_cast<uint32_t> (audioOutputs.size());

    // Four seconds of input per channel; each block points the inputs at the next slice.
    const auto streamLength = static_cast<std::size_t> (options.sampleRate) * 4 + block;
    std::vector<std::vector<float>> streams;

    for (std::size_t c = 0; c < audioInputs.size(); ++c)
        streams.push_back (makeNoise (streamLength, static_cast<uint32_t> (1234 + 77 * c)));

    std::size_t offset = 0;
    LV2_Atom_Forge forge;
    lv2_atom_forge_init (&forge, &map);
    const auto atomSequence = urid (LV2_ATOM__Sequence), atomChunk = urid (LV2_ATOM__Chunk);
    bool patchesPending = ! options.patches.empty();

    const auto runBlock = [&] {
        for (std::size_t c = 0; c < audioInputs.size(); ++c)
            lilv_instance_connect_port (instance, audioInputs[c], streams[c].data() + offset);

        offset += block;

        if (offset + block > streamLength)
            offset = 0;

        for (auto i : atomInputs)
        {
            auto* sequence = reinterpret_cast<LV2_Atom_Sequence*> (atomBuffers[i].data());
            sequence->atom.size = sizeof (LV2_Atom_Sequence_Body);
            sequence->atom.type = atomSequence;
            sequence->body.unit = 0;
            sequence->body.pad = 0;
        }

        if (patchesPending && ! atomInputs.empty())
        {
            lv2_atom_forge_set_buffer (&forge, atomBuffers[atomInputs[0]].data(), atomCapacity);
            LV2_Atom_Forge_Frame sequenceFrame;
            lv2_atom_forge_sequence_head (&forge, &sequenceFrame, 0);

            for (const auto& [property, value] : options.patches)
            {
                LV2_Atom_Forge_Frame objectFrame;
                lv2_atom_forge_frame_time (&forge, 0);
                lv2_atom_forge_object (&forge, &objectFrame, 0, urid (LV2_PATCH__Set));
                lv2_atom_forge_key (&forge, urid (LV2_PATCH__property));
                lv2_atom_forge_urid (&forge, urid (property.c_str()));
                lv2_atom_forge_key (&forge, urid (LV2_PATCH__value));
                lv2_atom_forge_float (&forge, value);
                lv2_atom_forge_pop (&forge, &objectFrame);
            }

            lv2_atom_forge_pop (&forge, &sequenceFrame);
            patchesPending = false;
        }

        for (auto i : atomOutputs)
        {
            auto* atom = reinterpret_cast<LV2_Atom*> (atomBuffers[i].data());
            atom->size = static_cast<uint32_t> (atomCapacity - sizeof (LV2_Atom));
            atom->type = atomChunk;
        }

        lilv_instance_run (instance, block);
        worker.afterRun();
    };

    const auto blocksIn = [&] (double seconds) {
        return std::max<uint64_t> (1, static_cast<uint64_t> (seconds * options.sampleRate / block));
    };

    lilv_instance_activate (instance);

    for (uint64_t b = 0, n = blocksIn (options.warmupSeconds); b < n; ++b)
        runBlock();

    // A tenth of a repetition sets how many blocks fill the minimum wall time,
    // so that a cheap plug-in is not timed over a few milliseconds.
    auto timedBlocks = blocksIn (options.timedSeconds);
    {
        const auto probeBlocks = std::max<uint64_t> (1, timedBlocks / 10);
        const auto start = nowNs (CLOCK_MONOTONIC);

        for (uint64_t b = 0; b < probeBlocks; ++b)
            runBlock();

        const auto nsPerBlock = (nowNs (CLOCK_MONOTONIC) - start) / static_cast<double> (probeBlocks);

        if (nsPerBlock > 0)
            timedBlocks = std::max (timedBlocks, static_cast<uint64_t> (options.minWallSeconds * 1e9 / nsPerBlock) + 1);
    }

    const auto frames = static_cast<double> (timedBlocks) * block;

    for (int r = 0; r < options.repetitions; ++r)
    {
        const auto wallStart = nowNs (CLOCK_MONOTONIC), cpuStart = nowNs (CLOCK_PROCESS_CPUTIME_ID);

        for (uint64_t b = 0; b < timedBlocks; ++b)
            runBlock();

        // Process CPU time counts the plug-in's helper threads too.
        result.wallNsPerFrame.push_back ((nowNs (CLOCK_MONOTONIC) - wallStart) / frames);
        result.cpuNsPerFrame.push_back ((nowNs (CLOCK_PROCESS_CPUTIME_ID) - cpuStart) / frames);
    }

    // The output level over a further, untimed quarter second.
    double sumOfSquares = 0.0;
    uint64_t counted = 0;

    for (uint64_t b = 0, n = blocksIn (0.25); b < n; ++b)
    {
        runBlock();

        for (auto i : audioOutputs)
            for (auto sample : buffers[i])
            {
                sumOfSquares += static_cast<double> (sample) * sample;
                ++counted;
            }
    }

    result.outRms = counted > 0 ? std::sqrt (sumOfSquares / static_cast<double> (counted)) : 0.0;

    if (! std::isfinite (result.outRms))
        result.status = "output not finite";
    else if (result.audioOut > 0 && result.outRms == 0.0)
        result.status = "silent output";

    lilv_instance_deactivate (instance);
    lilv_instance_free (instance);
    return result;
}

double median (std::vector<double> values)
{
    if (values.empty())
        return 0.0;

    std::sort (values.begin(), values.end());
    const auto middle = values.size() / 2;
    return values.size() % 2 != 0 ? values[middle] : 0.5 * (values[middle - 1] + values[middle]);
}

void printUsage()
{
    std::puts ("usage: lv2time [options] PLUGIN_URI\n"
               "  -b FRAMES        block size; repeat for several (default 64)\n"
               "  -r RATE          sample rate (default 48000)\n"
               "  -s SECONDS       audio timed per repetition, at least (default 5)\n"
               "  -w SECONDS       untimed warm-up audio (default 1)\n"
               "  -R COUNT         repetitions (default 3)\n"
               "  -c SYMBOL=VALUE  set a control input (repeatable); the others keep their defaults\n"
               "  -P PROPERTY=NUM  send patch:Set PROPERTY = atom:Float NUM before the warm-up\n"
               "                   (repeatable); a JUCE 7 plug-in's parameter is\n"
               "                   <plugin URI>:<parameter ID>, NUM in the range its dsp.ttl gives\n"
               "  -l LABEL         label for the output lines (default: the URI)\n"
               "Prints one tab-separated line per block size:\n"
               "  label block audio_in audio_out ns_per_frame spread_pct cpu_ns_per_frame out_rms status\n"
               "ns_per_frame is the median of the repetitions' wall time, over all channels;\n"
               "spread_pct is (max - min) / median of them.");
}

bool parseAssignment (const std::string& text, std::vector<std::pair<std::string, float>>& into)
{
    // The last '=': property URIs may hold one.
    const auto equals = text.rfind ('=');

    if (equals == std::string::npos || equals == 0)
        return false;

    char* end = nullptr;
    const auto value = std::strtof (text.c_str() + equals + 1, &end);

    if (end == text.c_str() + equals + 1 || *end != '\0')
        return false;

    into.emplace_back (text.substr (0, equals), value);
    return true;
}
} // namespace

int main (int argc, char** argv)
{
    Options options;

    for (int a = 1; a < argc; ++a)
    {
        const std::string arg = argv[a];
        const bool hasValue = a + 1 < argc;
        const std::string value = hasValue ? argv[a + 1] : "";
        bool valid = true;

        if (arg == "-h" || arg == "--help")
        {
            printUsage();
            return 0;
        }

        if (arg[0] != '-' && options.uri.empty())
        {
            options.uri = arg;
            continue;
        }

        if (! hasValue)
            valid = false;
        else if (arg == "-b")
            options.blocks.push_back (static_cast<uint32_t> (std::strtoul (value.c_str(), nullptr, 10)));
        else if (arg == "-r")
            options.sampleRate = std::strtod (value.c_str(), nullptr);
        else if (arg == "-s")
            options.timedSeconds = std::strtod (value.c_str(), nullptr);
        else if (arg == "-w")
            options.warmupSeconds = std::strtod (value.c_str(), nullptr);
        else if (arg == "-R")
            options.repetitions = std::max (1, std::atoi (value.c_str()));
        else if (arg == "-c")
            valid = parseAssignment (value, options.controls);
        else if (arg == "-P")
            valid = parseAssignment (value, options.patches);
        else if (arg == "-l")
            options.label = value;
        else
            valid = false;

        if (! valid)
        {
            std::fprintf (stderr, "lv2time: bad argument '%s'\n", arg.c_str());
            printUsage();
            return 2;
        }

        ++a;
    }

    if (options.blocks.empty())
        options.blocks = { 64 };

    const bool blocksValid = std::all_of (
        options.blocks.begin(), options.blocks.end(), [] (uint32_t block) { return block > 0 && block <= 65536; });

    if (options.uri.empty() || ! blocksValid || ! (options.sampleRate > 0.0))
    {
        printUsage();
        return 2;
    }

    if (options.label.empty())
        options.label = options.uri;

    _MM_SET_FLUSH_ZERO_MODE (_MM_FLUSH_ZERO_ON);
    _MM_SET_DENORMALS_ZERO_MODE (_MM_DENORMALS_ZERO_ON);

    LilvWorld* world = lilv_world_new();
    lilv_world_load_all (world);
    LilvNode* uri = lilv_new_uri (world, options.uri.c_str());
    const LilvPlugin* plugin = lilv_plugins_get_by_uri (lilv_world_get_all_plugins (world), uri);
    int exitCode = 0;

    for (auto block : options.blocks)
    {
        Result result;

        if (plugin == nullptr)
            result.status = "not installed";
        else
            result = timeBlockSize (world, plugin, options, block);

        if (result.status != "ok")
            exitCode = 1;

        const auto nsPerFrame = median (result.wallNsPerFrame);
        double spreadPercent = 0.0;

        if (nsPerFrame > 0.0)
        {
            const auto [low, high] = std::minmax_element (result.wallNsPerFrame.begin(), result.wallNsPerFrame.end());
            spreadPercent = (*high - *low) / nsPerFrame * 100.0;
        }

        std::printf ("%s\t%u\t%u\t%u\t%.1f\t%.1f\t%.1f\t%.4f\t%s\n",
                     options.label.c_str(),
                     block,
                     result.audioIn,
                     result.audioOut,
                     nsPerFrame,
                     spreadPercent,
                     median (result.cpuNsPerFrame),
                     result.outRms,
                     result.status.c_str());
        std::fflush (stdout);
    }

    lilv_node_free (uri);
    lilv_world_free (world);
    return exitCode;
}
