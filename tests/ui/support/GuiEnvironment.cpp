#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
/** The framework's message thread and desktop for the whole run: the test
    thread is the message thread, as a host's main thread is. */
class GuiEnvironment final : public ::testing::Environment
{
public:
    void SetUp() override { framework = std::make_unique<juce::ScopedJuceInitialiser_GUI>(); }
    void TearDown() override { framework.reset(); }

private:
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> framework;
};

[[maybe_unused]] auto* const environment = ::testing::AddGlobalTestEnvironment (new GuiEnvironment());
} // namespace
