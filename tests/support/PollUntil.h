#pragma once

#include <chrono>
#include <thread>

/** Polls a condition every millisecond until it holds or the timeout runs
    out; returns whether it held. For waiting on background work (impulse
    loads) without sleeping for a guessed time. The timeout is generous so
    that slow builds (sanitizers) and busy machines still pass. */
template <typename Condition>
bool pollUntil (Condition condition, int timeoutMs = 30000)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds (timeoutMs);

    while (! condition())
    {
        if (std::chrono::steady_clock::now() > deadline)
            return false;

        std::this_thread::sleep_for (std::chrono::milliseconds (1));
    }

    return true;
}
