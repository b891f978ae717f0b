#pragma once

#include "dsp/DriveProcessing.h"
#include "dsp/RelaxedAtomic.h"
#include "engine/Gadgets.h"

#include <array>
#include <memory>

/** One slot: owns one object of each of the fourteen gadgets for its whole
    life (switching never allocates and every gadget keeps its settings),
    runs the selected one, and the tube stage after it when "hot" is on. */
class GadgetManager
{
public:
    static constexpr int numGadgets = 14;
    static constexpr float driveDb = 10.0f;

    GadgetManager();
    ~GadgetManager();

    int getNumAlgorithms() const noexcept { return numGadgets; }
    Gadgets* getAlgorithmObject (int index) const noexcept { return algorithms[(size_t) index].get(); }
    Gadgets* getCurrentAlgorithmObject() const noexcept { return getAlgorithmObject (currentIndex); }
    int getCurrentIndex() const noexcept { return currentIndex; }

    /** Selects a gadget; anything outside 0..13 selects 0. The gadget is reset
        on the audio thread just before its first block. */
    void setCurrentIndex (int index) noexcept;

    void initProcessing (double sampleRate, int blockSize);
    void processSamples (float* left, float* right, int numSamples, float bpm, bool hot);

    /** Returns the gadget that ran last and both tube stages to rest. */
    void resetRunningState() noexcept;

    std::array<std::unique_ptr<Gadgets>, numGadgets> algorithms;
    Gadgets* lastRun = nullptr;
    RelaxedAtomic<int> currentIndex { 0 };
    bool prepared = false;
    DriveProcessing drives[2];

private:
    JUCE_DECLARE_NON_COPYABLE (GadgetManager)
};
