#include "GadgetManager.h"

#include "engine/gadgets/GadgetN01.h"
#include "engine/gadgets/GadgetN02.h"
#include "engine/gadgets/GadgetN03.h"
#include "engine/gadgets/GadgetN04.h"
#include "engine/gadgets/GadgetN05.h"
#include "engine/gadgets/GadgetN06.h"
#include "engine/gadgets/GadgetN07.h"
#include "engine/gadgets/GadgetN08.h"
#include "engine/gadgets/GadgetN09.h"
#include "engine/gadgets/GadgetN10.h"
#include "engine/gadgets/GadgetN11.h"
#include "engine/gadgets/GadgetN12.h"
#include "engine/gadgets/GadgetN13.h"
#include "engine/gadgets/GadgetN14.h"

GadgetManager::GadgetManager()
    : algorithms { std::make_unique<GadgetN06>(), std::make_unique<GadgetN09>(), std::make_unique<GadgetN05>(),
                   std::make_unique<GadgetN10>(), std::make_unique<GadgetN11>(), std::make_unique<GadgetN02>(),
                   std::make_unique<GadgetN01>(), std::make_unique<GadgetN04>(), std::make_unique<GadgetN08>(),
                   std::make_unique<GadgetN03>(), std::make_unique<GadgetN07>(), std::make_unique<GadgetN12>(),
                   std::make_unique<GadgetN13>(), std::make_unique<GadgetN14>() }
    , lastRun (algorithms[0].get())
{
    for (auto& drive : drives)
        drive.setParameters (driveDb);
}

GadgetManager::~GadgetManager()
{
    // Last first, as they were built in index order.
    for (auto i = algorithms.size(); i-- > 0;)
        algorithms[i].reset();
}

void GadgetManager::setCurrentIndex (int index) noexcept
{
    currentIndex = (index >= 0 && index < numGadgets) ? index : 0;
}

void GadgetManager::initProcessing (double sampleRate, int blockSize)
{
    for (auto& gadget : algorithms)
        gadget->initProcessing (sampleRate, blockSize);

    for (auto& drive : drives)
        drive.initProcessing (sampleRate, blockSize);

    for (auto& gadget : algorithms)
        gadget->reset();

    for (auto& drive : drives)
        drive.reset();

    // Every gadget starts from silence now, as in a new slot: the first
    // block needs no further reset (one would draw new random start angles).
    lastRun = getCurrentAlgorithmObject();
    prepared = true;
}

void GadgetManager::processSamples (float* left, float* right, int numSamples, float bpm, bool hot)
{
    if (! prepared)
        return;

    auto* gadget = getCurrentAlgorithmObject();

    if (gadget != lastRun)
    {
        lastRun = gadget;
        gadget->reset();
    }

    if (hot)
        gadget->processSamplesThenDrive (left, right, numSamples, bpm, drives[0], drives[1]);
    else
        gadget->processSamples (left, right, numSamples, bpm);
}

void GadgetManager::resetRunningState() noexcept
{
    lastRun->reset();

    for (auto& drive : drives)
        drive.reset();
}
