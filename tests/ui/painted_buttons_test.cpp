#include "wizard/ui/painted_buttons.h"

#include <gtest/gtest.h>

namespace zk {
namespace {

constexpr int INTRO = 0;
constexpr int BUILD = 3;
constexpr int DEPLOY = 4;

TEST(HotAreaTest, PointsCountOnlyStrictlyInside) {
    ASSERT_NE(HotAreaAt(11, 371), nullptr);
    EXPECT_EQ(HotAreaAt(11, 371)->button, PaintedButton::Help);
    EXPECT_EQ(HotAreaAt(10, 390), nullptr);  // on the left edge
    EXPECT_EQ(HotAreaAt(50, 390), nullptr);  // on the right edge
    EXPECT_EQ(HotAreaAt(55, 390), nullptr);  // between Help and About
    EXPECT_EQ(HotAreaAt(99, 409)->button, PaintedButton::About);
    EXPECT_EQ(HotAreaAt(149, 380)->button, PaintedButton::Web);
    EXPECT_EQ(HotAreaAt(431, 420)->button, PaintedButton::Back);
    EXPECT_EQ(HotAreaAt(530, 430), nullptr);  // the gap between Back and Next
    EXPECT_EQ(HotAreaAt(629, 444)->button, PaintedButton::NextPosition);
    EXPECT_EQ(HotAreaAt(580, 445), nullptr);
}

TEST(PaintedButtonsTest, PressDrawsPressedUntilAReleaseInsideTheSameButton) {
    PaintedButtons buttons;
    ASSERT_NE(buttons.Press(470, 430, INTRO), nullptr);  // Back
    EXPECT_TRUE(buttons.IsPressed(SkinPicture::BackPressed));

    // Released on Next: Next acts, Back stays drawn pressed.
    const HotArea* released = buttons.Release(580, 430, INTRO);
    ASSERT_NE(released, nullptr);
    EXPECT_EQ(released->button, PaintedButton::NextPosition);
    EXPECT_TRUE(buttons.IsPressed(SkinPicture::BackPressed));
    EXPECT_EQ(buttons.PicturesToPaint(INTRO), std::vector<SkinPicture>{SkinPicture::BackPressed});

    // A release outside every button does nothing at all.
    EXPECT_EQ(buttons.Release(300, 200, INTRO), nullptr);
    EXPECT_TRUE(buttons.IsPressed(SkinPicture::BackPressed));

    ASSERT_NE(buttons.Release(470, 430, INTRO), nullptr);
    EXPECT_FALSE(buttons.IsPressed(SkinPicture::BackPressed));
    EXPECT_TRUE(buttons.PicturesToPaint(INTRO).empty());

    EXPECT_EQ(buttons.Press(5, 5, INTRO), nullptr);
    EXPECT_TRUE(buttons.PicturesToPaint(INTRO).empty());
}

TEST(PaintedButtonsTest, NextPositionShowsTheStepsOwnButton) {
    PaintedButtons buttons;
    EXPECT_EQ(buttons.PicturesToPaint(BUILD), std::vector<SkinPicture>{SkinPicture::Build});
    EXPECT_EQ(buttons.PicturesToPaint(DEPLOY), std::vector<SkinPicture>{SkinPicture::Deploy});

    buttons.Press(580, 430, BUILD);
    EXPECT_TRUE(buttons.IsPressed(SkinPicture::BuildPressed));
    EXPECT_FALSE(buttons.IsPressed(SkinPicture::NextPressed));
    EXPECT_EQ(buttons.PicturesToPaint(BUILD),
              (std::vector<SkinPicture>{SkinPicture::Build, SkinPicture::BuildPressed}));
    buttons.Release(580, 430, BUILD);
    EXPECT_FALSE(buttons.IsPressed(SkinPicture::BuildPressed));

    buttons.Press(580, 430, DEPLOY);
    buttons.Press(30, 390, DEPLOY);
    EXPECT_EQ(buttons.PicturesToPaint(DEPLOY),
              (std::vector<SkinPicture>{SkinPicture::HelpPressed, SkinPicture::Deploy,
                                        SkinPicture::DeployPressed}));
}

// A key presses at the middle of its button's area, through Press and
// Release; its tooltip names the key, and the next position's its step's.
TEST(PaintedButtonsTest, KeysPressTheirButtonsAndTheTipsNameThem) {
    const struct {
        int key;
        bool withAlt;
        bool presses;
        PaintedButton button;
        const char* tip;
    } cases[] = {
        {KEY_B, true, true, PaintedButton::Back, "Back (Alt+B)"},
        {KEY_N, true, true, PaintedButton::NextPosition, "Next (Alt+N or Enter)"},
        {KEY_RETURN, false, true, PaintedButton::NextPosition, "Next (Alt+N or Enter)"},
        {KEY_F1, false, true, PaintedButton::Help, "Help (F1)"},
        {KEY_B, false, false, PaintedButton::Help, nullptr},
        {KEY_N, false, false, PaintedButton::Help, nullptr},
        {KEY_F1, true, false, PaintedButton::Help, nullptr},
        {KEY_RETURN, true, false, PaintedButton::Help, nullptr},
    };
    for (const auto& c : cases) {
        PaintedButton button = PaintedButton::Web;
        ASSERT_EQ(PaintedButtonForKey(c.key, c.withAlt, &button), c.presses) << c.key;
        if (!c.presses) continue;
        EXPECT_EQ(button, c.button);
        const HotArea& area = HotAreaOf(button);
        EXPECT_EQ(HotAreaAt((area.left + area.right) / 2, (area.top + area.bottom) / 2), &area);
        EXPECT_STREQ(PaintedButtonTip(button, INTRO), c.tip);
    }
    EXPECT_STREQ(PaintedButtonTip(PaintedButton::NextPosition, BUILD), "Build (Alt+N or Enter)");
    EXPECT_STREQ(PaintedButtonTip(PaintedButton::NextPosition, DEPLOY), "Deploy (Alt+N or Enter)");
}

TEST(SkinPicturesTest, PressedPicturesSitOnTheirButtons) {
    // Each pressed picture starts inside its hot area's redraw rectangle.
    const std::pair<SkinPicture, PaintedButton> pairs[] = {
        {SkinPicture::HelpPressed, PaintedButton::Help},
        {SkinPicture::AboutPressed, PaintedButton::About},
        {SkinPicture::WebPressed, PaintedButton::Web},
        {SkinPicture::BackPressed, PaintedButton::Back},
        {SkinPicture::NextPressed, PaintedButton::NextPosition},
        {SkinPicture::BuildPressed, PaintedButton::NextPosition},
        {SkinPicture::DeployPressed, PaintedButton::NextPosition},
    };
    for (const auto& [picture, button] : pairs) {
        const SkinPictureFile& file = SkinFile(picture);
        const HotArea* area = HotAreaAt(file.x + 1, file.y + 1);
        ASSERT_NE(area, nullptr) << file.name;
        EXPECT_EQ(area->button, button) << file.name;
    }
}

}  // namespace
}  // namespace zk
