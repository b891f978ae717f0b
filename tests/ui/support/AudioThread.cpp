#include "AudioThread.h"

#include <chrono>
#include <random>

AudioThread::AudioThread (TarvolinAudioProcessor& processorToRun)
    : processor (processorToRun)
{
    processor.prepareToPlay (sampleRateHz, blockSize);
    thread = std::thread ([this] { run(); });
}

AudioThread::~AudioThread()
{
    running = false;
    thread.join();
}

void AudioThread::sendController (int number, int value)
{
    // A host delivers what arrived since the last block; one message is all
    // the tests need at a time.
    pendingController = (number << 8) | value;
}

void AudioThread::run()
{
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;
    midi.ensureSize (64);
    std::minstd_rand noise (1234);
    std::uniform_real_distribution<float> sample (-0.5f, 0.5f);

    while (running)
    {
        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < blockSize; ++i)
                buffer.setSample (channel, i, sample (noise));

        midi.clear();

        if (const auto controller = pendingController.exchange (-1); controller >= 0)
            midi.addEvent (juce::MidiMessage::controllerEvent (1, controller >> 8, controller & 0x7f), 0);

        {
            const juce::ScopedLock hold (processor.getCallbackLock());
            processor.processBlock (buffer, midi);
        }

        ++blocks;
        std::this_thread::sleep_for (std::chrono::milliseconds (2));
    }
}
