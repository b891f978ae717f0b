#pragma once

#include <juce_core/juce_core.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class Convolution;

/** The one loader thread that builds impulse kernels for every convolver of
    the process. It starts with the first request and lives as long as any
    convolver holds it, asleep between requests, so a session of many
    instances keeps one idle thread instead of sixteen per instance.

    A request only wakes it (no thread is started once it runs); it then
    serves every convolver with work pending. A convolver leaves the list in
    its destructor, which waits for a load of its own to finish. */
class ImpulseLoader : private juce::Thread
{
public:
    ~ImpulseLoader() override;

    /** The process's loader, created when no convolver holds one. */
    static std::shared_ptr<ImpulseLoader> shared();

    void add (Convolution* convolver);
    void remove (Convolution* convolver);

    /** Asks for a pass over the convolvers; safe from any thread. */
    void wake();

    /** True when the loader is being shut down: a load in progress ends early. */
    bool isStopping() const { return threadShouldExit(); }

    /** Called on the loader thread each time it wakes, before it looks at its
        stop flag; none unless a test sets one. Lets a test hold the wake-up
        as long as a loaded machine would. */
    static inline std::atomic<void (*)()> onWake { nullptr };

private:
    ImpulseLoader();

    void run() override;

    std::mutex listMutex;
    std::vector<Convolution*> convolvers;

    JUCE_DECLARE_NON_COPYABLE (ImpulseLoader)
};
