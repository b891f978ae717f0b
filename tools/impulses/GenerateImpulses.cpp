// Synthesises the nine impulse responses the convolution gadgets embed.
//
// Each sound is built from damped modes, filtered noise and chirps at the
// sample rate its file names. The plug-in reads only the first 896 frames of
// each file (about 20 ms taken as 44.1 kHz), so every sound starts at frame 0
// with its most telling part: the cone resonance, the thump, the strike, the
// chirp, the ping and its echoes, the crack.
//
// Usage: generate_impulses OUTPUT_FOLDER
// The output is deterministic: a fixed-seed generator, double arithmetic.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
constexpr double twoPi = 6.283185307179586;

using Signal = std::vector<double>;

/** xorshift64*: the same numbers on every platform, unlike <random>'s distributions. */
class Noise
{
public:
    explicit Noise (std::uint64_t seed)
        : state (seed)
    {
    }

    /** Uniform in [-1, 1). */
    double next()
    {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        const auto bits = (state * 2685821657736338717ULL) >> 11;
        return (double) bits / 4503599627370496.0 - 1.0;
    }

private:
    std::uint64_t state;
};

struct FileFormat
{
    const char* fileName;
    double sampleRate;
    int bitsPerSample;
    int numFrames;
};

//==============================================================================
/** A decaying sine: amplitude * exp(-t / decay) * sin(2 pi f t + phase), from startSeconds on. */
void addMode (Signal& s,
              double fs,
              double frequencyHz,
              double amplitude,
              double decaySeconds,
              double startSeconds = 0.0,
              double phase = 0.0)
{
    const auto start = (size_t) std::lround (startSeconds * fs);

    for (size_t n = start; n < s.size(); ++n)
    {
        const double t = (double) (n - start) / fs;
        const double envelope = amplitude * std::exp (-t / decaySeconds);

        if (envelope < 1.0e-7 * std::abs (amplitude) + 1.0e-12)
            break;

        s[n] += envelope * std::sin (twoPi * frequencyHz * t + phase);
    }
}

/** A pair of slightly detuned modes: the slow beating of a real struck object. */
void addBeatingMode (Signal& s, double fs, double frequencyHz, double beatHz, double amplitude, double decaySeconds)
{
    addMode (s, fs, frequencyHz - 0.5 * beatHz, 0.5 * amplitude, decaySeconds, 0.0, 0.3);
    addMode (s, fs, frequencyHz + 0.5 * beatHz, 0.5 * amplitude, decaySeconds * 0.93, 0.0, 1.1);
}

/** Noise burst with an exponential decay, from startSeconds on. */
void addNoiseBurst (Signal& s,
                    double fs,
                    Noise& noise,
                    double amplitude,
                    double decaySeconds,
                    double startSeconds = 0.0)
{
    const auto start = (size_t) std::lround (startSeconds * fs);

    for (size_t n = start; n < s.size(); ++n)
    {
        const double envelope = amplitude * std::exp (-(double) (n - start) / (fs * decaySeconds));

        if (envelope < 1.0e-7)
            break;

        s[n] += envelope * noise.next();
    }
}

/** One-pole low-pass (impulse invariant), run in place. */
void lowPass (Signal& s, double fs, double cornerHz)
{
    const double pole = std::exp (-twoPi * cornerHz / fs);
    double state = 0.0;

    for (auto& x : s)
        x = state = (1.0 - pole) * x + pole * state;
}

/** One-pole high-pass: the input minus its low-passed self. */
void highPass (Signal& s, double fs, double cornerHz)
{
    const double pole = std::exp (-twoPi * cornerHz / fs);
    double state = 0.0;

    for (auto& x : s)
    {
        state = (1.0 - pole) * x + pole * state;
        x -= state;
    }
}

/** A resonant band-pass (two-pole resonator), run in place. */
void resonate (Signal& s, double fs, double centreHz, double bandwidthHz)
{
    const double radius = std::exp (-M_PI * bandwidthHz / fs);
    const double a1 = -2.0 * radius * std::cos (twoPi * centreHz / fs);
    const double a2 = radius * radius;
    const double gain = 1.0 - radius;
    double y1 = 0.0, y2 = 0.0;

    for (auto& x : s)
    {
        const double y = gain * x - a1 * y1 - a2 * y2;
        y2 = y1;
        y1 = y;
        x = y;
    }
}

/** A tone whose frequency follows a curve; the shape adds odd harmonics. */
template <typename FrequencyCurve>
void addSweep (Signal& s, double fs, double amplitude, double hardness, FrequencyCurve frequencyAt)
{
    double phase = 0.0;
    const double norm = std::tanh (hardness);

    for (size_t n = 0; n < s.size(); ++n)
    {
        const double t = (double) n / fs;
        s[n] += amplitude * std::tanh (hardness * std::sin (phase)) / norm;
        phase += twoPi * frequencyAt (t) / fs;
    }
}

/** Fades the last part out so the file ends in silence. */
void fadeOut (Signal& s, double fs, double fadeSeconds)
{
    const auto fadeLength = std::min (s.size(), (size_t) (fadeSeconds * fs));

    for (size_t i = 0; i < fadeLength; ++i)
    {
        const double gain = 0.5 - 0.5 * std::cos (M_PI * (double) i / (double) fadeLength);
        s[s.size() - 1 - i] *= gain;
    }
}

//==============================================================================
Signal smallSpeaker (double fs, int frames)
{
    // A 5 cm cone in a small plastic box: a clean first arrival, the cone's
    // main resonance near 950 Hz, break-up modes above it, a boxy 450 Hz
    // cavity, no bass and little treble.
    Signal s ((size_t) frames, 0.0);
    s[0] = 1.0;
    s[1] = -0.35;
    addMode (s, fs, 950.0, 0.55, 0.0016);
    addMode (s, fs, 2650.0, 0.35, 0.0007, 0.0, 0.4);
    addMode (s, fs, 4300.0, 0.22, 0.0005, 0.0, 1.3);
    addMode (s, fs, 6100.0, 0.12, 0.0003, 0.0, 2.1);
    addMode (s, fs, 450.0, 0.18, 0.0035, 0.0, 0.2);

    // One reflection from the box's back wall.
    Signal reflected = s;
    const auto delay = (size_t) std::lround (0.0011 * fs);

    for (size_t n = delay; n < s.size(); ++n)
        s[n] -= 0.3 * reflected[n - delay];

    highPass (s, fs, 320.0);
    highPass (s, fs, 320.0);
    lowPass (s, fs, 7500.0);
    lowPass (s, fs, 9000.0);
    return s;
}

Signal heartBeat (double fs, int frames)
{
    // "Lub" at once, "dub" a third of a second later: low thumps whose pitch
    // drops as the valve closes, with a soft click of tissue on top.
    Signal s ((size_t) frames, 0.0);
    Noise noise (0x4ea27b1d5eedULL);

    auto thump = [&] (double startSeconds, double fromHz, double toHz, double decaySeconds, double amplitude) {
        const auto start = (size_t) std::lround (startSeconds * fs);
        double phase = 0.0;

        for (size_t n = start; n < s.size(); ++n)
        {
            const double t = (double) (n - start) / fs;
            const double frequency = toHz + (fromHz - toHz) * std::exp (-t / 0.03);
            const double attack = 1.0 - std::exp (-t / 0.0015);
            s[n] += amplitude * attack * std::exp (-t / decaySeconds) * std::sin (phase);
            phase += twoPi * frequency / fs;
        }
    };

    thump (0.0, 95.0, 48.0, 0.045, 1.0);
    thump (0.33, 120.0, 62.0, 0.032, 0.7);

    Signal click ((size_t) frames, 0.0);
    addNoiseBurst (click, fs, noise, 0.25, 0.004);
    addNoiseBurst (click, fs, noise, 0.18, 0.003, 0.33);
    lowPass (click, fs, 900.0);

    for (size_t n = 0; n < s.size(); ++n)
        s[n] += click[n];

    highPass (s, fs, 20.0);
    fadeOut (s, fs, 0.05);
    return s;
}

/** Bending modes of a free-free bar or tube, relative to the first. */
constexpr double barRatios[] = { 1.0, 2.756, 5.404, 8.933, 13.344, 18.638 };

Signal metalPipe (double fs, int frames)
{
    // A struck steel pipe: a bright strike, then long inharmonic bar modes,
    // each a slowly beating pair; higher modes die sooner.
    Signal s ((size_t) frames, 0.0);
    Noise noise (0x9190e5eedULL);
    const double fundamentalHz = 612.0;

    for (size_t k = 0; k < std::size (barRatios); ++k)
    {
        const double ratio = barRatios[k];
        const double frequency = fundamentalHz * ratio;

        if (frequency > 0.45 * fs)
            break;

        addBeatingMode (s, fs, frequency, 0.7 + 0.4 * (double) k, 0.6 / std::sqrt (ratio), 2.4 / std::pow (ratio, 0.7));
    }

    Signal strike ((size_t) frames, 0.0);
    addNoiseBurst (strike, fs, noise, 0.9, 0.0025);
    highPass (strike, fs, 1500.0);

    for (size_t n = 0; n < s.size(); ++n)
        s[n] += strike[n];

    fadeOut (s, fs, 0.3);
    return s;
}

Signal metalPole (double fs, int frames)
{
    // A thick pole hit low down: two bending axes a little apart in pitch,
    // heavily damped by the ground, and a dull clank.
    Signal s ((size_t) frames, 0.0);
    Noise noise (0x901e5eedULL);

    for (double fundamentalHz : { 176.0, 229.0 })
    {
        for (size_t k = 0; k < std::size (barRatios); ++k)
        {
            const double ratio = barRatios[k];
            addBeatingMode (s,
                            fs,
                            fundamentalHz * ratio,
                            1.3 + 0.5 * (double) k,
                            0.45 / std::sqrt (ratio),
                            0.32 / std::pow (ratio, 0.5));
        }
    }

    Signal clank ((size_t) frames, 0.0);
    addNoiseBurst (clank, fs, noise, 1.2, 0.006);
    resonate (clank, fs, 1250.0, 600.0);

    for (size_t n = 0; n < s.size(); ++n)
        s[n] += 6.0 * clank[n];

    fadeOut (s, fs, 0.08);
    return s;
}

Signal thickGlass (double fs, int frames)
{
    // A tap on a thick glass block: a sharp click and a few high, quickly
    // dying modes far from any harmonic series.
    Signal s ((size_t) frames, 0.0);
    Noise noise (0x91a55eedULL);
    const double modesHz[] = { 1820.0, 3350.0, 4990.0, 7420.0, 9650.0, 12800.0 };
    const double decays[] = { 0.07, 0.05, 0.035, 0.025, 0.018, 0.012 };

    for (size_t k = 0; k < std::size (modesHz); ++k)
        addMode (s, fs, modesHz[k], 0.5 / (1.0 + 0.3 * (double) k), decays[k], 0.0, 0.7 * (double) k);

    Signal click ((size_t) frames, 0.0);
    addNoiseBurst (click, fs, noise, 1.0, 0.0006);
    highPass (click, fs, 3000.0);

    for (size_t n = 0; n < s.size(); ++n)
        s[n] += click[n];

    fadeOut (s, fs, 0.05);
    return s;
}

Signal siren (double fs, int frames)
{
    // A siren's yelp: it opens with a fast rising chirp (within the first
    // 20 ms), then wails up and down six times a second, with the odd
    // harmonics of a driven horn.
    Signal s ((size_t) frames, 0.0);
    addSweep (s, fs, 0.8, 2.5, [] (double t) {
        if (t < 0.025)
            return 380.0 + (1450.0 - 380.0) * t / 0.025;

        return 1050.0 + 400.0 * std::cos (twoPi * 6.0 * (t - 0.025));
    });

    lowPass (s, fs, 6000.0);
    highPass (s, fs, 150.0);
    fadeOut (s, fs, 0.15);
    return s;
}

Signal radarPing (double fs, int frames)
{
    // A sonar-like ping: a pure ringing tone with two early echoes off
    // nearby hulls, then the ping again, further away, every 0.7 s.
    Signal s ((size_t) frames, 0.0);
    const double pingHz = 1450.0;
    const double echoes[][2] = { { 0.0, 1.0 },     { 0.0068, 0.55 }, { 0.0131, 0.35 }, { 0.70, 0.4 },
                                 { 0.7068, 0.22 }, { 1.40, 0.16 },   { 1.4068, 0.09 } };

    for (const auto& echo : echoes)
    {
        addMode (s, fs, pingHz, echo[1], 0.18, echo[0]);
        addMode (s, fs, 2.0 * pingHz, 0.15 * echo[1], 0.05, echo[0], 0.5);
    }

    fadeOut (s, fs, 0.2);
    return s;
}

Signal storm (double fs, int frames)
{
    // A thunder crack close by: a broadband burst, then low rumble that
    // swells and rolls, and the crackle of rain throughout.
    Signal s ((size_t) frames, 0.0);
    Noise noise (0x5702e5eedULL);

    Signal crack ((size_t) frames, 0.0);
    addNoiseBurst (crack, fs, noise, 1.0, 0.012);
    addNoiseBurst (crack, fs, noise, 0.6, 0.02, 0.009);
    highPass (crack, fs, 400.0);

    Signal rumble ((size_t) frames, 0.0);

    for (size_t n = 0; n < rumble.size(); ++n)
    {
        const double t = (double) n / fs;
        const double swell =
            (1.0 - std::exp (-t / 0.08)) * std::exp (-t / 0.9) * (1.0 + 0.5 * std::sin (twoPi * 1.7 * t));
        rumble[n] = swell * noise.next();
    }

    lowPass (rumble, fs, 180.0);
    lowPass (rumble, fs, 260.0);

    Signal rain ((size_t) frames, 0.0);

    for (size_t n = 0; n < rain.size(); ++n)
        if (noise.next() > 0.994)
            rain[n] = 0.5 * noise.next();

    resonate (rain, fs, 3000.0, 2500.0);

    for (size_t n = 0; n < s.size(); ++n)
        s[n] = crack[n] + 14.0 * rumble[n] + 1.5 * rain[n];

    fadeOut (s, fs, 0.25);
    return s;
}

Signal glassVase (double fs, int frames)
{
    // A flicked vase: a clear, long ring of a few beating modes, the lowest
    // one strongest, over a faint tap.
    Signal s ((size_t) frames, 0.0);
    Noise noise (0x7a5e5eedULL);
    const double modesHz[] = { 884.0, 2410.0, 4525.0, 7090.0 };
    const double decays[] = { 0.42, 0.25, 0.14, 0.08 };

    for (size_t k = 0; k < std::size (modesHz); ++k)
        addBeatingMode (s, fs, modesHz[k], 2.2 + 1.5 * (double) k, 0.7 / (1.0 + 0.8 * (double) k), decays[k]);

    Signal tap ((size_t) frames, 0.0);
    addNoiseBurst (tap, fs, noise, 0.4, 0.0008);
    highPass (tap, fs, 2000.0);

    for (size_t n = 0; n < s.size(); ++n)
        s[n] += tap[n];

    fadeOut (s, fs, 0.1);
    return s;
}

//==============================================================================
void put16 (std::vector<unsigned char>& out, unsigned value)
{
    out.push_back ((unsigned char) (value & 0xff));
    out.push_back ((unsigned char) ((value >> 8) & 0xff));
}

void put32 (std::vector<unsigned char>& out, unsigned value)
{
    put16 (out, value & 0xffff);
    put16 (out, value >> 16);
}

void putTag (std::vector<unsigned char>& out, const char* tag) { out.insert (out.end(), tag, tag + 4); }

/** A mono PCM RIFF/WAVE file with a 16-byte fmt chunk, peak at -1 dBFS. */
bool writeWav (const std::string& path, const FileFormat& format, const Signal& signal)
{
    const unsigned bytesPerSample = (unsigned) format.bitsPerSample / 8;
    const unsigned dataBytes = (unsigned) signal.size() * bytesPerSample;
    const auto rate = (unsigned) format.sampleRate;

    std::vector<unsigned char> out;
    putTag (out, "RIFF");
    put32 (out, 36 + dataBytes);
    putTag (out, "WAVE");
    putTag (out, "fmt ");
    put32 (out, 16);
    put16 (out, 1);
    put16 (out, 1);
    put32 (out, rate);
    put32 (out, rate * bytesPerSample);
    put16 (out, bytesPerSample);
    put16 (out, (unsigned) format.bitsPerSample);
    putTag (out, "data");
    put32 (out, dataBytes);

    double peak = 0.0;

    for (double x : signal)
        peak = std::max (peak, std::abs (x));

    const double fullScale = std::ldexp (1.0, format.bitsPerSample - 1) - 1.0;
    const double gain = peak > 0.0 ? 0.891 * fullScale / peak : 0.0;

    for (double x : signal)
    {
        const auto value = (long) std::lround (std::clamp (x * gain, -fullScale, fullScale));

        for (unsigned byte = 0; byte < bytesPerSample; ++byte)
            out.push_back ((unsigned char) (((unsigned long) value >> (8 * byte)) & 0xff));
    }

    auto* file = std::fopen (path.c_str(), "wb");

    if (file == nullptr)
        return false;

    const bool written = std::fwrite (out.data(), 1, out.size(), file) == out.size();
    return std::fclose (file) == 0 && written;
}
} // namespace

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }

    using Synth = Signal (*) (double, int);
    const struct
    {
        FileFormat format;
        Synth synth;
    } sounds[] = {
        { { "small_speaker_mono.wav", 48000.0, 24, 20570 }, smallSpeaker },
        { { "fx_heart_beat.wav", 22046.0, 16, 16227 }, heartBeat },
        { { "fx_metal_pipe.wav", 44092.0, 16, 176151 }, metalPipe },
        { { "fx_metal_pole.wav", 44092.0, 16, 28247 }, metalPole },
        { { "fx_thick_glass_l.wav", 44092.0, 16, 23838 }, thickGlass },
        { { "fxpolsr1.wav", 44092.0, 16, 60800 }, siren },
        { { "fxradar1.wav", 44092.0, 16, 99233 }, radarPing },
        { { "fxstrm2.wav", 44092.0, 16, 95252 }, storm },
        { { "glass_vase.wav", 44092.0, 16, 26299 }, glassVase },
    };

    for (const auto& sound : sounds)
    {
        const auto path = std::string (argv[1]) + "/" + sound.format.fileName;

        if (! writeWav (path, sound.format, sound.synth (sound.format.sampleRate, sound.format.numFrames)))
        {
            std::fprintf (stderr, "cannot write %s\n", path.c_str());
            return 1;
        }

        std::printf ("%s\n", path.c_str());
    }

    return 0;
}
