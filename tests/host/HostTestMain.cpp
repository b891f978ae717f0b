#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

// The plug-in formats are hosted on the message thread, which this main
// thread becomes for the whole run.
int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI framework;
    ::testing::InitGoogleTest (&argc, argv);
    return RUN_ALL_TESTS();
}
