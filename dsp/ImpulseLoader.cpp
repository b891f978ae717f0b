#include "ImpulseLoader.h"

#include "dsp/Convolution.h"

#include <algorithm>

ImpulseLoader::ImpulseLoader()
    : juce::Thread ("Impulse loader")
{
}

ImpulseLoader::~ImpulseLoader()
{
    // Waits as long as the thread takes to end: the framework kills a thread
    // that outlasts a deadline, and a killed thread aborts the process. No
    // convolver is left to serve, so only the wake-up and the thread's exit
    // remain, which a loaded machine (or a sanitizer) can stretch past a second.
    stopThread (-1);
}

std::shared_ptr<ImpulseLoader> ImpulseLoader::shared()
{
    static std::mutex mutex;
    static std::weak_ptr<ImpulseLoader> current;

    const std::lock_guard<std::mutex> guard (mutex);
    auto loader = current.lock();

    // The last convolver took the previous loader, and its thread, with it.
    if (loader == nullptr)
    {
        loader.reset (new ImpulseLoader());
        current = loader;
    }

    return loader;
}

void ImpulseLoader::add (Convolution* convolver)
{
    const std::lock_guard<std::mutex> guard (listMutex);
    convolvers.push_back (convolver);
}

void ImpulseLoader::remove (Convolution* convolver)
{
    // Waits while a pass is serving the list, so no load outlives its convolver.
    const std::lock_guard<std::mutex> guard (listMutex);
    convolvers.erase (std::remove (convolvers.begin(), convolvers.end(), convolver), convolvers.end());
}

void ImpulseLoader::wake()
{
    // Only the very first request of a process (or of a loader made afresh)
    // starts the thread; every later one just wakes it.
    if (! isThreadRunning())
        startThread();

    notify();
}

void ImpulseLoader::run()
{
    while (! threadShouldExit())
    {
        // A request made during a pass leaves the event raised: the next
        // wait returns at once and another pass serves it.
        wait (-1);

        if (auto* hook = onWake.load())
            hook();

        const std::lock_guard<std::mutex> guard (listMutex);

        for (auto* convolver : convolvers)
        {
            if (threadShouldExit())
                return;

            convolver->serveRequests();
        }
    }
}
