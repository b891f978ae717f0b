#include "ui/GadgetChainerComponent.h"

#include <Images.h>

namespace
{
// The slot numbers sit in cells inset from both ends of the strip, and a
// little above its bottom edge, to line up with the buttons in the picture.
constexpr int numberInsetX = 6;
constexpr int numberInsetBottom = 2;

juce::String slotLabel (int slot) { return juce::String (slot + 1); }
} // namespace

GadgetChainerComponent::GadgetChainerComponent (CustomLookAndFeel* sharedLookAndFeel)
    : font (sharedLookAndFeel != nullptr ? sharedLookAndFeel->regularFont : juce::Font (CustomLookAndFeel::fontHeight))
    , buttonsImage (juce::ImageCache::getFromMemory (Images::buttons_png, Images::buttons_pngSize))
{
}

GadgetChainerComponent::~GadgetChainerComponent() = default;

//==============================================================================
void GadgetChainerComponent::paint (juce::Graphics& g)
{
    const int width = getWidth();
    const int height = getHeight();
    const int shownSlot = juce::jlimit (0, numSlots - 1, selectedSlot);

    // The picture stacks one frame per slot, that slot's button lit.
    g.drawImage (buttonsImage, 0, 0, width, height, 0, buttonsImage.getHeight() * shownSlot / numSlots, width, height);

    g.setColour (juce::Colours::white);
    g.setFont (font);

    const int numbersWidth = width - 2 * numberInsetX;

    for (int slot = 0; slot < numSlots; ++slot)
        if (slotEnabled[slot])
            g.drawFittedText (slotLabel (slot),
                              slot * numbersWidth / numSlots + numberInsetX,
                              0,
                              numbersWidth / numSlots,
                              height - numberInsetBottom,
                              juce::Justification::centred,
                              1,
                              0.0f);
}

int GadgetChainerComponent::slotAtX (int x) const noexcept
{
    if (getWidth() <= 0)
        return 0;

    // Biased one pixel to the right, as the buttons in the picture are.
    return juce::jlimit (0, numSlots - 1, numSlots * (x - 1) / getWidth());
}

//==============================================================================
void GadgetChainerComponent::mouseDown (const juce::MouseEvent& e)
{
    if (e.getNumberOfClicks() != 1)
        return;

    const int slot = slotAtX (e.x);

    if (e.mods.isLeftButtonDown())
    {
        if (! slotEnabled[slot])
            return;

        selectedSlot = slot;
        repaint();
        sendChangeMessage();
    }
    else if (e.mods.isRightButtonDown())
    {
        showSlotMenu (slot);
    }
}

juce::PopupMenu GadgetChainerComponent::createSlotMenu (int slot) const
{
    juce::PopupMenu menu;

    if (! juce::isPositiveAndBelow (slot, numSlots))
        return menu;

    if (! slotEnabled[slot])
    {
        menu.addItem (toggleItemId, "Enable this slot");
        return menu;
    }

    if (countEnabledSlots() >= 2)
        menu.addItem (toggleItemId, "Disable this slot");

    for (int other = 0; other < numSlots; ++other)
        if (other != slot)
            menu.addItem (firstSwapItemId + other, "Swap with slot " + slotLabel (other));

    return menu;
}

void GadgetChainerComponent::showSlotMenu (int slot)
{
    // Plug-ins may not run modal loops, so the choice arrives when the menu
    // closes; the strip may be gone by then.
    juce::Component::SafePointer<GadgetChainerComponent> strip (this);

    createSlotMenu (slot).showMenuAsync (juce::PopupMenu::Options().withTargetComponent (this),
                                         [strip, slot] (int itemId) {
                                             if (strip != nullptr)
                                                 strip->handleMenuChoice (slot, itemId);
                                         });
}

void GadgetChainerComponent::handleMenuChoice (int slot, int itemId)
{
    if (! juce::isPositiveAndBelow (slot, numSlots))
        return;

    const int otherSlot = itemId - firstSwapItemId;

    if (itemId == toggleItemId)
        toggleSlot (slot);
    else if (juce::isPositiveAndBelow (otherSlot, numSlots) && otherSlot != slot)
        swapSlots (slot, otherSlot);
}

void GadgetChainerComponent::toggleSlot (int slot)
{
    // The menu offers no way to disable the last enabled slot; a choice that
    // arrives after the state changed under an open menu must not either.
    if (slotEnabled[slot] && countEnabledSlots() < 2)
        return;

    slotEnabled[slot] = ! slotEnabled[slot];
    keepSelectionEnabled();
    swapPending = false;
    repaint();
    sendChangeMessage();
}

void GadgetChainerComponent::swapSlots (int slot, int otherSlot)
{
    swapPending = true;
    swapSlotA = slot;
    swapSlotB = otherSlot;

    // The enabled state travels with the slot's content; the selection keeps
    // its index, so after the editor's swap it shows the other content.
    std::swap (slotEnabled[slot], slotEnabled[otherSlot]);
    keepSelectionEnabled();
    repaint();
    sendChangeMessage();
}

void GadgetChainerComponent::keepSelectionEnabled()
{
    if (! juce::isPositiveAndBelow (selectedSlot, numSlots) || ! slotEnabled[selectedSlot])
        selectedSlot = lowestEnabledSlot();
}

int GadgetChainerComponent::countEnabledSlots() const noexcept
{
    return (int) std::count (std::begin (slotEnabled), std::end (slotEnabled), true);
}

int GadgetChainerComponent::lowestEnabledSlot() const noexcept
{
    for (int slot = 0; slot < numSlots; ++slot)
        if (slotEnabled[slot])
            return slot;

    return 0;
}
