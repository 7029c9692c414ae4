#include <gtest/gtest.h>

#include <vector>

#include "ui/skinned/draw_state.h"
#include "ui/skinned/placement.h"

namespace arlo::skinned {
namespace {

TEST(Placement, fitShrinksKeepingProportionsAndCentres) {
    EXPECT_EQ(placeImage({200, 100}, {100, 100}, kPlaceFit), (Placement{0, 25, 100, 50}));
    EXPECT_EQ(placeImage({50, 200}, {100, 100}, kPlaceFit), (Placement{37, 0, 25, 100}));
    EXPECT_EQ(placeImage({40, 20}, {100, 100}, kPlaceFit), (Placement{30, 40, 40, 20}));
    // Both sides too big: the second step uses the height of the first.
    EXPECT_EQ(fittedSize({300, 400}, {100, 100}), (Size{75, 100}));
    EXPECT_EQ(fittedSize({301, 99}, {100, 10}), (Size{31, 10}));  // 100 x 32, then 31 x 10
    // Sizes whose products overflow 32 bits still fit.
    EXPECT_EQ(fittedSize({60000, 50000}, {60000, 40000}), (Size{48000, 40000}));
    EXPECT_EQ(fittedSize({0, 0}, {10, 10}), (Size{0, 0}));
}

TEST(Placement, stretchFillsTheControlAndOtherModesUseNaturalSize) {
    EXPECT_EQ(placeImage({35, 34}, {162, 230}, kPlaceStretch), (Placement{0, 0, 162, 230}));
    EXPECT_EQ(placeImage({35, 34}, {162, 230}, kPlaceNatural), (Placement{0, 0, 35, 34}));
    EXPECT_EQ(placeImage({300, 34}, {162, 230}, 7), (Placement{0, 0, 300, 34}));
    EXPECT_EQ(placeImage({300, 34}, {162, 230}, -1), (Placement{0, 0, 300, 34}));
}

// Runs events through the rules as the button hook does, tracking focus like the widget.
struct Button {
    int state = kStateNormal;
    bool focused = false;
    std::vector<int> redraws;

    void on(ButtonEvent event, int stateOnArrival = -1) {
        if (event == ButtonEvent::FocusIn) {
            focused = true;
        } else if (event == ButtonEvent::FocusOut) {
            focused = false;
        }
        const auto change =
            nextDrawState(stateOnArrival >= 0 ? stateOnArrival : state, event, focused);
        if (change && (change->state != state || change->forced)) {
            state = change->state;
            redraws.push_back(state);
        }
    }
    // A left click's release: the button comes up first, then the release is looked at
    // with the state it found.
    void release() {
        const int arrival = state;
        on(ButtonEvent::Up);
        on(ButtonEvent::LeftRelease, arrival);
    }
};

TEST(DrawState, clickInsideShowsHoverAgainAfterwards) {
    Button b;
    b.on(ButtonEvent::MouseMove);
    EXPECT_EQ(b.state, kStateHover);
    b.on(ButtonEvent::MouseMove);  // further moves do not redraw
    EXPECT_EQ(b.redraws.size(), 1u);
    b.on(ButtonEvent::Down);
    b.on(ButtonEvent::FocusIn);  // a click focuses the button while it is down
    b.on(ButtonEvent::LeftPress);
    EXPECT_EQ(b.state, kStatePressed);
    b.release();
    EXPECT_EQ(b.state, kStateHover);
    b.on(ButtonEvent::MouseLeave);
    EXPECT_EQ(b.state, kStateNormal);

    // Without the focus the release still shows hover.
    Button plain;
    plain.on(ButtonEvent::MouseMove);
    plain.on(ButtonEvent::Down);
    plain.on(ButtonEvent::LeftPress);
    plain.release();
    EXPECT_EQ(plain.state, kStateHover);
}

TEST(DrawState, pressDragOffAndReleaseOutsideEndsNormal) {
    Button b;
    b.on(ButtonEvent::MouseMove);
    b.on(ButtonEvent::FocusIn);
    b.on(ButtonEvent::Down);
    b.on(ButtonEvent::LeftPress);
    b.on(ButtonEvent::Up);  // dragged off: the button comes up while the mouse is held
    b.on(ButtonEvent::MouseMove);
    EXPECT_EQ(b.state, kStateHover);
    const int arrival = b.state;
    b.on(ButtonEvent::LeftRelease, arrival);
    b.on(ButtonEvent::MouseLeave);
    EXPECT_EQ(b.state, kStateNormal);
}

TEST(DrawState, focusAndEnablingFollowTheTable) {
    EXPECT_EQ(nextDrawState(kStatePressed, ButtonEvent::FocusIn, true)->state, kStateHover);
    EXPECT_FALSE(nextDrawState(kStateNormal, ButtonEvent::FocusIn, true));
    EXPECT_FALSE(nextDrawState(kStateHover, ButtonEvent::FocusIn, true));
    EXPECT_EQ(nextDrawState(kStateHover, ButtonEvent::FocusOut, false)->state, kStateNormal);
    EXPECT_FALSE(nextDrawState(kStatePressed, ButtonEvent::FocusOut, false));
    EXPECT_EQ(nextDrawState(kStateHover, ButtonEvent::Disabled, false)->state, kStateDisabled);
    EXPECT_EQ(nextDrawState(kStateDisabled, ButtonEvent::Enabled, false)->state, kStateNormal);
    EXPECT_EQ(nextDrawState(kStatePressed, ButtonEvent::Up, true)->state, kStateHover);
    EXPECT_EQ(nextDrawState(kStatePressed, ButtonEvent::Up, false)->state, kStateNormal);
    EXPECT_EQ(nextDrawState(kStateNormal, ButtonEvent::LeftRelease, true)->state, kStateNormal);
    EXPECT_FALSE(nextDrawState(kStatePressed, ButtonEvent::MouseMove, true));
}

TEST(DrawState, eachStateShowsItsPictureSlot) {
    EXPECT_EQ(imageSlotForState(kStateNormal), ImageSlot::Normal);
    EXPECT_EQ(imageSlotForState(kStateHover), ImageSlot::Hover);
    EXPECT_EQ(imageSlotForState(kStatePressed), ImageSlot::Pressed);
    EXPECT_EQ(imageSlotForState(kStateDisabled), ImageSlot::Disabled);
    EXPECT_EQ(imageSlotForState(9), ImageSlot::Normal);
}

}  // namespace
}  // namespace arlo::skinned
