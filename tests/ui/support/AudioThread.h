#pragma once

#include "engine/PluginProcessor.h"

#include <atomic>
#include <thread>

/** A host's audio thread: processes blocks of noise through the processor,
    holding the callback lock as the wrappers do, until destroyed. A MIDI
    controller handed over with sendController arrives in the next block. */
class AudioThread
{
public:
    static constexpr double sampleRateHz = 48000.0;
    static constexpr int blockSize = 256;

    explicit AudioThread (TarvolinAudioProcessor& processorToRun);
    ~AudioThread();

    /** Queues one controller message for the next block. */
    void sendController (int number, int value);

    /** Blocks processed so far. */
    int blocksDone() const noexcept { return blocks.load(); }

private:
    void run();

    TarvolinAudioProcessor& processor;
    std::atomic<bool> running { true };
    std::atomic<int> pendingController { -1 };
    std::atomic<int> blocks { 0 };
    std::thread thread;
};
