#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include <memory>

class Component2048;
class CustomLookAndFeel;

/** The about panel over the upper part of the editor: title, version, a few
    lines and two web links. It hides the game, which a fixed sequence of
    clicks in its title band reveals; the game's change messages are passed
    on as the panel's own. A click in the body band hides the panel. */
class AboutTab : public juce::Component, public juce::ChangeBroadcaster, public juce::ChangeListener
{
public:
    /** The game keeps its best score beside our other files. */
    explicit AboutTab (CustomLookAndFeel* customLookAndFeel);

    AboutTab (CustomLookAndFeel* customLookAndFeel, juce::File bestScoreFile);

    ~AboutTab() override;

    void mouseDown (const juce::MouseEvent& e) override;
    void paint (juce::Graphics& g) override;
    void resized() override;
    void changeListenerCallback (juce::ChangeBroadcaster* source) override;

    juce::Image backgroundImage;
    juce::Image panelImage;
    juce::Font textFont;
    juce::Font linkFont;
    std::unique_ptr<juce::HyperlinkButton> eventLink;
    std::unique_ptr<juce::HyperlinkButton> makerLink;
    int revealClickCount = 0;
    std::unique_ptr<Component2048> game;

private:
    AboutTab (CustomLookAndFeel* customLookAndFeel, std::unique_ptr<Component2048> hiddenGame);

    std::unique_ptr<juce::HyperlinkButton> makeLink (const juce::String& address);
    void countRevealClick (juce::Point<int> position);
    void revealGame();
    void paintTexts (juce::Graphics& g);

    JUCE_DECLARE_NON_COPYABLE (AboutTab)
};
