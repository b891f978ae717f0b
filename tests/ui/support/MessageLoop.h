#pragma once

#include <juce_events/juce_events.h>

#include <chrono>
#include <thread>

namespace juce
{
// The framework's own hook for hosts that run the message loop themselves.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

/** Delivers every message already posted to the message thread (change
    messages, async updates, window events), as the host's loop would. */
inline void deliverPendingMessages()
{
    // A message can post another (a control's change leading to a repaint):
    // keep going until the queue stays empty.
    for (int round = 0; round < 3; ++round)
    {
        while (juce::dispatchNextMessageOnSystemQueue (true))
        {
        }

        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }
}
