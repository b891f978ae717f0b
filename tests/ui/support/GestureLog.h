#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <mutex>
#include <string>
#include <vector>

/** What the host hears from the plug-in, in order: "begin 3", "set 3 0.25",
    "end 3". MIDI learn reports from the audio thread, hence the lock. */
class GestureLog final : public juce::AudioProcessorListener
{
public:
    void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override
    {
        add ("set " + std::to_string (index) + " " + juce::String (value, 4).toStdString());
    }

    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}

    void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int index) override
    {
        add ("begin " + std::to_string (index));
    }

    void audioProcessorParameterChangeGestureEnd (juce::AudioProcessor*, int index) override
    {
        add ("end " + std::to_string (index));
    }

    std::vector<std::string> take()
    {
        const std::lock_guard<std::mutex> hold (lock);
        return std::exchange (events, {});
    }

private:
    void add (std::string event)
    {
        const std::lock_guard<std::mutex> hold (lock);
        events.push_back (std::move (event));
    }

    std::mutex lock;
    std::vector<std::string> events;
};
