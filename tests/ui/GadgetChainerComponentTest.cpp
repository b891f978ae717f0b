#include "ui/GadgetChainerComponent.h"
#include "ControlTestSupport.h"

#include <array>
#include <vector>

namespace
{
constexpr int stripWidth = 97;
constexpr int stripHeight = 35;
constexpr int numSlots = GadgetChainerComponent::numSlots;

using Flags = std::array<bool, numSlots>;

class SlotStripTest : public GuiTest
{
protected:
    SlotStripTest() { strip.setSize (stripWidth, stripHeight); }

    void setEnabled (const Flags& flags) { std::copy (flags.begin(), flags.end(), std::begin (strip.slotEnabled)); }

    Flags enabled() const
    {
        Flags flags;
        std::copy (std::begin (strip.slotEnabled), std::end (strip.slotEnabled), flags.begin());
        return flags;
    }

    void click (int x, juce::ModifierKeys buttons, int clicks = 1)
    {
        strip.mouseDown (pressAt (strip, { x, stripHeight / 2 }, buttons, clicks));
    }

    CustomLookAndFeel lookAndFeel;
    GadgetChainerComponent strip { &lookAndFeel };
    ChangeWatcher changes { strip };
};

struct MenuItem
{
    int id;
    juce::String text;

    bool operator== (const MenuItem& other) const { return id == other.id && text == other.text; }
};

std::vector<MenuItem> itemsOf (const juce::PopupMenu& menu)
{
    std::vector<MenuItem> items;

    for (juce::PopupMenu::MenuItemIterator it (menu); it.next();)
    {
        const auto& item = it.getItem();
        EXPECT_TRUE (item.isEnabled);
        EXPECT_FALSE (item.isTicked);
        items.push_back ({ item.itemID, item.text });
    }

    return items;
}
} // namespace

TEST_F (SlotStripTest, SlotUnderTheMouse)
{
    const struct
    {
        int x;
        int slot;
    } cases[] = { { 0, 0 },  { 25, 0 }, { 26, 1 }, { 49, 1 }, { 50, 2 },
                  { 73, 2 }, { 74, 3 }, { 96, 3 }, { -5, 0 }, { 400, 3 } };

    for (const auto& c : cases)
        EXPECT_EQ (strip.slotAtX (c.x), c.slot) << "x " << c.x;
}

TEST_F (SlotStripTest, OnlyASingleLeftClickOnAnEnabledSlotSelects)
{
    const struct
    {
        const char* label;
        int selectedBefore;
        int x;
        juce::ModifierKeys buttons;
        int clicks;
        int selectedAfter;
        bool message;
    } cases[] = {
        { "left click on an enabled slot", 0, 30, leftButton, 1, 1, true },
        { "left click on the selected slot", 1, 30, leftButton, 1, 1, true },
        { "left click on a disabled slot", 0, 60, leftButton, 1, 0, false },
        { "double click on an enabled slot", 0, 30, leftButton, 2, 0, false },
        { "right double click", 0, 30, rightButton, 2, 0, false },
    };

    setEnabled ({ true, true, false, false });

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.label);
        strip.selectedSlot = c.selectedBefore;
        click (c.x, c.buttons, c.clicks);
        EXPECT_EQ (strip.selectedSlot, c.selectedAfter);
        EXPECT_EQ (changes.sentSinceLastLook(), c.message);
    }
}

TEST_F (SlotStripTest, MenuOffersWhatTheClickedSlotAllows)
{
    const std::vector<MenuItem> swapsFromSlot0 { { 11, "Swap with slot 2" },
                                                 { 12, "Swap with slot 3" },
                                                 { 13, "Swap with slot 4" } };

    const struct
    {
        const char* label;
        Flags enabled;
        int slot;
        std::vector<MenuItem> items;
    } cases[] = {
        { "the only enabled slot", { true, false, false, false }, 0, swapsFromSlot0 },
        { "one of two enabled slots",
          { false, true, true, false },
          2,
          { { 1, "Disable this slot" },
            { 10, "Swap with slot 1" },
            { 11, "Swap with slot 2" },
            { 13, "Swap with slot 4" } } },
        { "a disabled slot", { true, false, false, false }, 3, { { 1, "Enable this slot" } } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.label);
        setEnabled (c.enabled);
        EXPECT_EQ (itemsOf (strip.createSlotMenu (c.slot)), c.items);
    }
}

TEST_F (SlotStripTest, MenuChoicesKeepASelectedEnabledSlot)
{
    struct Expected
    {
        Flags enabled;
        int selected;
        bool swapPending;
        int swapA;
        int swapB;
        bool message;
    };

    const struct
    {
        const char* label;
        Flags enabled;
        int selected;
        bool swapPending;
        int slot;
        int itemId;
        Expected expected;
        // clang-format off
    } cases[] = {
        // before: enabled, selected, swap pending; slot, item id; after: enabled, selected, swap pending, A, B, message
        { "swap the only enabled, selected slot with slot 3",    { true,  false, false, false }, 0, false, 0, 12, { { false, false, true,  false }, 2, true,  0, 2, true } },
        { "swap two slots, the selection elsewhere",             { true,  true,  false, false }, 0, false, 1, 13, { { true,  false, false, true  }, 0, true,  1, 3, true } },
        { "disable the selected one of two",                     { true,  true,  false, false }, 1, false, 1, 1,  { { true,  false, false, false }, 0, false, 0, 0, true } },
        { "enable a slot: selection kept, pending swap cleared", { true,  false, false, false }, 0, true,  2, 1,  { { true,  false, true,  false }, 0, false, 0, 0, true } },
        { "disable the last enabled slot (menu changed under)",  { false, true,  false, false }, 1, false, 1, 1,  { { false, true,  false, false }, 1, false, 0, 0, false } },
        { "menu dismissed",                                      { true,  true,  false, false }, 0, false, 0, 0,  { { true,  true,  false, false }, 0, false, 0, 0, false } },
        { "swap with itself",                                    { true,  true,  false, false }, 0, false, 0, 10, { { true,  true,  false, false }, 0, false, 0, 0, false } },
    };
    // clang-format on

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.label);
        setEnabled (c.enabled);
        strip.selectedSlot = c.selected;
        strip.swapPending = c.swapPending;
        strip.swapSlotA = strip.swapSlotB = 0;

        strip.handleMenuChoice (c.slot, c.itemId);

        EXPECT_EQ (enabled(), c.expected.enabled);
        EXPECT_EQ (strip.selectedSlot, c.expected.selected);
        EXPECT_EQ (strip.swapPending, c.expected.swapPending);
        EXPECT_EQ (strip.swapSlotA, c.expected.swapA);
        EXPECT_EQ (strip.swapSlotB, c.expected.swapB);
        EXPECT_EQ (changes.sentSinceLastLook(), c.expected.message);
    }
}

TEST_F (SlotStripTest, DrawsTheSelectedFrameAndTheEnabledNumbers)
{
    setEnabled ({ true, false, true, true });
    strip.selectedSlot = 2;
    const auto snapshot = snapshotOf (strip);
    saveSnapshot (snapshot, "slot-strip-slots-1-3-4-selected-3");

    // Inside the third button, clear of its number: lit only in its own frame.
    const int frameHeight = strip.buttonsImage.getHeight() / numSlots;
    const int frameTop = frameHeight * strip.selectedSlot;
    const juce::Point<int> thirdButton { 52, 10 };
    ASSERT_FALSE (pixelsNear (strip.buttonsImage.getPixelAt (thirdButton.x, thirdButton.y),
                              strip.buttonsImage.getPixelAt (thirdButton.x, frameTop + thirdButton.y),
                              8));
    EXPECT_TRUE (pixelsNear (snapshot.getPixelAt (thirdButton.x, thirdButton.y),
                             strip.buttonsImage.getPixelAt (thirdButton.x, frameTop + thirdButton.y),
                             2));

    // Digits (whatever differs from the bare frame) only over enabled slots.
    const auto hasNumberInCell = [&] (int slot) {
        const int cellWidth = (stripWidth - 12) / numSlots;
        const int cellX = slot * (stripWidth - 12) / numSlots + 6;

        for (int y = 0; y < stripHeight; ++y)
            for (int x = cellX; x < cellX + cellWidth; ++x)
                if (! pixelsNear (snapshot.getPixelAt (x, y), strip.buttonsImage.getPixelAt (x, frameTop + y), 8))
                    return true;

        return false;
    };

    for (int slot = 0; slot < numSlots; ++slot)
        EXPECT_EQ (hasNumberInCell (slot), strip.slotEnabled[slot]) << "slot " << slot;
}
