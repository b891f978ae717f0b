#pragma once

#include "engine/ParameterMapping.h"
#include "ui/CustomLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

/** The strip of four slot buttons: a left click shows an enabled slot, the
    right-click menu enables, disables or swaps slots. It changes only its own
    fields and sends a change message; the editor carries the change into the
    processor and clears swapPending once it has swapped.

    Kept true by the strip itself: the selected slot is enabled and at least
    one slot stays enabled. */
class GadgetChainerComponent : public juce::Component, public juce::ChangeBroadcaster
{
public:
    static constexpr int numSlots = ParameterMapping::numSlots;
    /** Menu item ids: enable or disable the clicked slot, or swap it with
        slot (id - firstSwapItemId). */
    static constexpr int toggleItemId = 1;
    static constexpr int firstSwapItemId = 10;

    explicit GadgetChainerComponent (CustomLookAndFeel* sharedLookAndFeel);
    ~GadgetChainerComponent() override;

    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;

    /** The slot under a point x pixels into the strip. */
    int slotAtX (int x) const noexcept;

    /** The right-click menu for a slot, as the strip's state stands now. */
    juce::PopupMenu createSlotMenu (int slot) const;

    /** Acts on the item chosen from the menu of a slot; 0 (dismissed) and
        unknown ids change nothing. */
    void handleMenuChoice (int slot, int itemId);

    int selectedSlot = 0;
    bool slotEnabled[numSlots] = { true, false, false, false };
    bool swapPending = false;
    int swapSlotA = 0;
    int swapSlotB = 0;
    juce::Font font;
    juce::Image buttonsImage;

private:
    void showSlotMenu (int slot);
    void toggleSlot (int slot);
    void swapSlots (int slot, int otherSlot);
    void keepSelectionEnabled();
    int countEnabledSlots() const noexcept;
    int lowestEnabledSlot() const noexcept;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GadgetChainerComponent)
};
