#include "Gadgets.h"

#include "dsp/DriveProcessing.h"

void Gadgets::setParameters (double newP1, double newP2, double newP3, double newP4, int impulse)
{
    p1 = (float) newP1;
    p2 = (float) newP2;
    p3 = (float) newP3;
    p4 = (float) newP4;
    impulseIndex = impulse;
    needsUpdate = true;
    prepared = true;
}

void Gadgets::initProcessing (double newSampleRate, int newBlockSize)
{
    sampleRate = newSampleRate;
    blockSize = newBlockSize;
    needsUpdate = true;
    prepared = true;
}

void Gadgets::describe (const char* gadgetName,
                        int pictureIndex,
                        std::initializer_list<const char*> labels,
                        std::initializer_list<float> defaults)
{
    name = gadgetName;
    pedalImageIndex = pictureIndex;
    numControls = (int) labels.size();

    int i = 0;
    for (auto* label : labels)
        controlLabel[i++] = label;

    RelaxedAtomic<float>* controls[] = { &p1, &p2, &p3, &p4 };
    i = 0;
    for (auto value : defaults)
        *controls[i++] = value;
}

void Gadgets::processSamplesThenDrive (float* left,
                                      float* right,
                                      int numSamples,
                                      float bpm,
                                      DriveProcessing& leftDrive,
                                      DriveProcessing& rightDrive)
{
    processSamples (left, right, numSamples, bpm);
    DriveProcessing::processPair (leftDrive, left, rightDrive, right, numSamples);
}
