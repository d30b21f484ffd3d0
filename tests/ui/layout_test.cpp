// Docking and anchoring as geometry, at 100 % and 150 %.
#include "ui/layout.h"

#include <gtest/gtest.h>

namespace vandrel::ui {
namespace {

TEST(LayoutTest, DockedStripsAreTakenInOrderAndTheFillGetsTheRest) {
  const std::vector<Placement> items = {
      {.dock = Dock::kTop, .height = 32},
      {.dock = Dock::kFill},  // placed after every strip, whatever its position in the list
      {.dock = Dock::kBottom, .height = 19},
      {.dock = Dock::kLeft, .width = 220},
      {.dock = Dock::kRight, .width = 10},
  };
  const struct {
    int dpi;
    std::vector<Box> expected;
  } cases[] = {
      {96, {{0, 0, 684, 32}, {220, 32, 674, 492}, {0, 492, 684, 511}, {0, 32, 220, 492}, {674, 32, 684, 492}}},
      {144, {{0, 0, 684, 48}, {330, 48, 669, 482}, {0, 482, 684, 511}, {0, 48, 330, 482}, {669, 48, 684, 482}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dpi);
    EXPECT_EQ(LayOut(items, Box{0, 0, 684, 511}, c.dpi), c.expected);
  }
}

TEST(LayoutTest, FreeControlsKeepTheirMarginsWhenAnchoredOrStretched) {
  const std::vector<Placement> items = {
      {.x = 212, .width = 24, .height = 24},                         // fixed
      {.x = 2, .y = 2, .width = 22, .height = 22, .anchor_right = true},  // 2 px from the right
      {.x = 240, .y = 1, .width = 28, .height = 22, .stretch = true},     // 28 px right margin
      {.x = 60, .width = 24, .height = 24, .anchor_right = true},
  };
  const Box area{6, 16, 506, 39};  // inside a group box: the offsets count from its corner
  EXPECT_EQ(LayOut(items, area, 96),
            (std::vector<Box>{{218, 16, 242, 40}, {482, 18, 504, 40}, {246, 17, 478, 39}, {422, 16, 446, 40}}));
  EXPECT_EQ(LayOut(items, area, 144),
            (std::vector<Box>{{324, 16, 360, 52}, {470, 19, 503, 52}, {366, 18, 464, 51}, {380, 16, 416, 52}}));
}

TEST(LayoutTest, AFillInAnAreaTooSmallGetsNoNegativeSize) {
  const auto boxes = LayOut({{.dock = Dock::kTop, .height = 50}, {.dock = Dock::kFill}}, Box{0, 0, 40, 30}, 96);
  EXPECT_EQ(boxes[1].Width(), 40);
  EXPECT_EQ(boxes[1].Height(), 0);
}

TEST(LayoutTest, ScalingRoundsAsTheSystemDoesAndInteriorsScale) {
  EXPECT_EQ(ScaleForDpi(21, 144), 32);  // 31.5 rounds up
  EXPECT_EQ(ScaleForDpi(-11, 144), -17);  // -16.5 rounds away from zero
  EXPECT_EQ(ScaleForDpi(7, 120), 9);
  EXPECT_EQ(GroupBoxInterior(Box{0, 0, 200, 75}, 96), (Box{6, 16, 194, 69}));
  EXPECT_EQ(GroupBoxInterior(Box{0, 0, 300, 113}, 144), (Box{9, 24, 291, 104}));
  EXPECT_EQ(FramedPanelInterior(Box{0, 0, 100, 35}, 144), (Box{5, 5, 95, 30}));
}

}  // namespace
}  // namespace vandrel::ui
