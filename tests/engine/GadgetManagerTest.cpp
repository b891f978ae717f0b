#include "engine/GadgetManager.h"
#include "support/TestSignals.h"

#include <gtest/gtest.h>

namespace
{
constexpr double rate = 44100.0;
constexpr int blockSize = 128;

struct Block
{
    std::vector<float> left = testsignals::noiseWithImpulses (blockSize, 11);
    std::vector<float> right = testsignals::noiseWithImpulses (blockSize, 12);
};

void process (GadgetManager& slot, Block& block, bool hot = false)
{
    slot.processSamples (block.left.data(), block.right.data(), blockSize, 120.0f, hot);
}
} // namespace

TEST (GadgetManager, HoldsTheFourteenGadgetsOfTheTable)
{
    const struct
    {
        const char* name;
        int picture;
        int controls;
        const char* firstLabel;
        float defaults[3];
        int switchControl;
    } table[] = {
        { "Derurevore", 5, 4, "Delay", { 0.5f, 0.5f, 0.0f }, -1 },
        { "Vuvuru", 10, 3, "Rate", { 0.5f, 0.5f, 0.7f }, -1 },
        { "Dirizovazi", 9, 3, "Feed", { 0.0f, 0.5f, 0.5f }, -1 },
        { "Virozidur", 8, 4, "Cutoff", { 1.0f, 0.5f, 0.0f }, -1 },
        { "Doviduduza", 7, 3, "Tone", { 0.5f, 0.0f, 1.0f }, -1 },
        { "Rezov Ididiz", 1, 3, "Amount", { 0.5f, 0.5f, 0.5f }, -1 },
        { "Dovid Udizur", 0, 4, "Delay", { 0.5f, 0.2f, 0.3f }, 3 },
        { "Rar Uvidavi", 3, 3, "Amount", { 0.0f, 0.0f, 1.0f }, -1 },
        { "Riverovodizir", 4, 3, "Limit", { 0.5f, 0.0f, 0.0f }, -1 },
        { "Divoror Irovi", 2, 4, "Delay", { 0.2f, 0.5f, 0.2f }, -1 },
        { "Dizuz Ovovu Dozuz", 11, 4, "Course", { 0.0f, 0.5f, 0.0f }, -1 },
        { "Divuruzidodi EQ", 6, 3, "Bass", { 0.5f, 0.5f, 0.5f }, -1 },
        { "Dazovi Ruvora", 12, 4, "Slow LFO", { 0.5f, 0.5f, 1.0f }, 3 },
        { "Rovazavu", 13, 3, "Sens.", { 0.5f, 0.5f, 0.0f }, -1 },
    };

    GadgetManager slot;
    ASSERT_EQ (slot.getNumAlgorithms(), 14);

    for (int index = 0; index < 14; ++index)
    {
        const auto& row = table[index];
        const auto& gadget = *slot.getAlgorithmObject (index);
        SCOPED_TRACE (row.name);
        EXPECT_EQ (gadget.name, row.name);
        EXPECT_EQ (gadget.pedalImageIndex, row.picture);
        EXPECT_EQ (gadget.numControls, row.controls);
        EXPECT_EQ (gadget.controlLabel[0], row.firstLabel);
        EXPECT_EQ (gadget.p1, row.defaults[0]);
        EXPECT_EQ (gadget.p2, row.defaults[1]);
        EXPECT_EQ (gadget.p3, row.defaults[2]);
        EXPECT_EQ (gadget.usesImpulse, index == 4);
        EXPECT_TRUE (gadget.description.isNotEmpty());
        EXPECT_TRUE (std::isfinite (gadget.p4.load()));

        for (int control = 0; control < 4; ++control)
            EXPECT_EQ (gadget.isSwitch[control], control == row.switchControl);

        if (row.controls == 3)
            EXPECT_TRUE (gadget.controlLabel[3].isEmpty());
    }
}

TEST (GadgetManager, OutOfRangeSelectionPicksGadgetZero)
{
    GadgetManager slot;

    for (int index : { 14, -1, 1000 })
    {
        slot.setCurrentIndex (5);
        slot.setCurrentIndex (index);
        EXPECT_EQ (slot.getCurrentIndex(), 0) << index;
    }
}

TEST (GadgetManager, UnpreparedSlotLeavesAudioAloneEvenWhenHot)
{
    GadgetManager slot;
    slot.getAlgorithmObject (0)->setParameters (0.5, 1.0, 0.5, 0.5, 0); // would ring if it ran
    Block block;
    const Block input;

    process (slot, block, true);

    EXPECT_EQ (block.left, input.left);
    EXPECT_EQ (block.right, input.right);
}

TEST (GadgetManager, ASwitchedInGadgetStartsFromSilenceWithItsControls)
{
    GadgetManager slot;
    slot.initProcessing (rate, blockSize);
    auto* comb = slot.getAlgorithmObject (0);
    comb->setParameters (0.9, 0.95, 0.3, 0.5, 0);

    Block warmUp;
    process (slot, warmUp); // fills the comb's delay lines

    slot.setCurrentIndex (1);
    Block other;
    process (slot, other);
    slot.setCurrentIndex (0);

    Block afterSwitch;
    process (slot, afterSwitch);

    GadgetManager fresh;
    fresh.initProcessing (rate, blockSize);
    fresh.getAlgorithmObject (0)->setParameters (0.9, 0.95, 0.3, 0.5, 0);
    Block reference;
    process (fresh, reference);

    EXPECT_EQ (comb->p2, 0.95f);
    EXPECT_EQ (afterSwitch.left, reference.left);
    EXPECT_EQ (afterSwitch.right, reference.right);
}

TEST (GadgetManager, HotRunsTheTubeStagesAfterTheGadgetPerChannel)
{
    // The comb runs its block and then both stages as one vector; the ladder
    // runs the stages inside its own sample loop. Either way each channel
    // must come out as one scalar stage would make it, also when the input
    // drives the grid into conduction.
    for (const int gadget : { 0, 3 })
        for (const float inputGain : { 1.0f, 8.0f })
        {
            GadgetManager slot, separate;
            for (auto* manager : { &slot, &separate })
            {
                manager->initProcessing (rate, blockSize);
                manager->setCurrentIndex (gadget);
                manager->getCurrentAlgorithmObject()->setParameters (0.2, 0.9, 0.6, 0.5, 0);
            }

            DriveProcessing leftStage, rightStage;
            for (auto* stage : { &leftStage, &rightStage })
            {
                stage->setParameters (GadgetManager::driveDb);
                stage->initProcessing (rate, blockSize);
            }

            for (int blockIndex = 0; blockIndex < 3; ++blockIndex)
            {
                Block block;
                for (auto* channel : { &block.left, &block.right })
                    for (auto& sample : *channel)
                        sample *= inputGain;

                auto expected = block;
                process (slot, block, true);
                process (separate, expected, false);
                leftStage.processSamples (expected.left.data(), blockSize);
                rightStage.processSamples (expected.right.data(), blockSize);

                EXPECT_EQ (block.left, expected.left) << "gadget " << gadget << ", gain " << inputGain;
                EXPECT_EQ (block.right, expected.right) << "gadget " << gadget << ", gain " << inputGain;
            }
        }

    GadgetManager slot;
    slot.initProcessing (rate, blockSize);
    Block warm;
    process (slot, warm, true);

    // With hot off the stages are skipped and keep their state.
    const auto frozen = slot.drives[0].vk;
    Block cold;
    process (slot, cold, false);
    EXPECT_EQ (slot.drives[0].vk, frozen);
}
