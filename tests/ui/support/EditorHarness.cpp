#include "EditorHarness.h"

#include "support/StateBlob.h"
#include "ui/support/MessageLoop.h"

namespace
{
const juce::ModifierKeys noButton;
const juce::ModifierKeys leftButton (juce::ModifierKeys::leftButtonModifier);
const juce::ModifierKeys rightButton (juce::ModifierKeys::rightButtonModifier);

// Gestures far enough apart that two of them never make a double click.
constexpr juce::int64 gestureSpacingMs = 2000;
constexpr juce::int64 doubleClickGapMs = 50;
} // namespace

EditorHarness::EditorHarness()
    : processor (std::make_unique<TarvolinAudioProcessor>())
{
    processor->presets = std::make_unique<PresetManagement> (&processor->params, presetRoot.folder);
    processor->addListener (&log);
}

EditorHarness::~EditorHarness()
{
    close();
    processor->removeListener (&log);
}

TarvolinAudioProcessorEditor& EditorHarness::open()
{
    close();
    editor.reset (dynamic_cast<TarvolinAudioProcessorEditor*> (processor->createEditorIfNeeded()));
    editor->addToDesktop (0);
    editor->setVisible (true);
    deliverPendingMessages();
    log.take();
    return *editor;
}

void EditorHarness::close()
{
    if (editor == nullptr)
        return;

    editor.reset();
    deliverPendingMessages();
}

juce::int64 EditorHarness::nextGestureTime() { return clockMs += gestureSpacingMs; }

void EditorHarness::send (juce::Component& target,
                          juce::Point<int> local,
                          juce::ModifierKeys buttons,
                          juce::int64 timeMs)
{
    auto* peer = editor->getPeer();
    const auto position = editor->getLocalPoint (&target, local).toFloat();
    peer->handleMouseEvent (juce::MouseInputSource::InputSourceType::mouse,
                            position,
                            buttons,
                            juce::MouseInputSource::defaultPressure,
                            juce::MouseInputSource::defaultOrientation,
                            timeMs);
    deliverAfterEvent();
}

void EditorHarness::deliverAfterEvent()
{
    if (aheadOfMessages)
        aheadOfMessages();

    deliverPendingMessages();
}

void EditorHarness::moveTo (juce::Component& target, juce::Point<int> local)
{
    send (target, local, noButton, nextGestureTime());
}

void EditorHarness::press (juce::Component& target, juce::Point<int> local, juce::ModifierKeys button)
{
    moveTo (target, local);
    const auto time = nextGestureTime();
    send (target, local, button, time);
    send (target, local, noButton, time);
}

void EditorHarness::click (juce::Component& target, juce::Point<int> local)
{
    press (target, local, leftButton);
}

void EditorHarness::rightClick (juce::Component& target)
{
    press (target, target.getLocalBounds().getCentre(), rightButton);
}

void EditorHarness::doubleClick (juce::Component& target)
{
    const auto centre = target.getLocalBounds().getCentre();
    moveTo (target, centre);
    const auto time = nextGestureTime();

    for (const auto pressTime : { time, time + doubleClickGapMs })
    {
        send (target, centre, leftButton, pressTime);
        send (target, centre, noButton, pressTime);
    }
}

void EditorHarness::drag (juce::Component& target, int dy, int stepPx)
{
    const auto start = target.getLocalBounds().getCentre();
    moveTo (target, start);
    auto time = nextGestureTime();
    send (target, start, leftButton, time);

    for (int moved = 0; moved != dy;)
    {
        moved = dy > 0 ? juce::jmin (dy, moved + stepPx) : juce::jmax (dy, moved - stepPx);
        send (target, start.translated (0, moved), leftButton, ++time);
    }

    send (target, start.translated (0, dy), noButton, ++time);
}

void EditorHarness::wheel (juce::Component& target, float deltaY)
{
    const auto centre = target.getLocalBounds().getCentre();
    moveTo (target, centre);
    juce::MouseWheelDetails details {};
    details.deltaY = deltaY;
    editor->getPeer()->handleMouseWheel (juce::MouseInputSource::InputSourceType::mouse,
                                         editor->getLocalPoint (&target, centre).toFloat(),
                                         nextGestureTime(),
                                         details);
    deliverAfterEvent();
}

void EditorHarness::hostSets (int index, float value)
{
    processor->getParameters()[index]->setValueNotifyingHost (value);
}

void EditorHarness::restoreStateWith (const Attributes& attributes)
{
    juce::MemoryBlock state;
    processor->getStateInformation (state);
    auto element = juce::AudioProcessor::getXmlFromBinary (state.getData(), (int) state.getSize());

    for (const auto& [name, value] : attributes)
        element->setAttribute (name, value);

    const auto edited = blobOf (element->toString (juce::XmlElement::TextFormat().singleLine().withoutHeader()));
    processor->setStateInformation (edited.getData(), (int) edited.getSize());
}
