#include "widgets/Form.h"

#include <gtest/gtest.h>

#include <vector>

#include "widgets/Application.h"
#include "widgets/Control.h"

namespace brisko::win {
namespace {

// Children from the top of the z-order down, which is also the tab order.
std::vector<HWND> ZOrder(HWND parent) {
  std::vector<HWND> order;
  for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) order.push_back(w);
  return order;
}

int Place(const std::vector<HWND>& order, const Control& control) {
  for (std::size_t i = 0; i < order.size(); ++i)
    if (order[i] == control.Handle()) return static_cast<int>(i);
  return -1;
}

TEST(Form, GroupBoxesLieBelowTheControlsDrawnOnThemBeforeAndAfterTheFirstShow) {
  Application app(GetModuleHandleW(nullptr));
  FormArgs args;
  args.className = L"FormTestForm";
  args.width = 300;
  args.height = 200;
  Form form(args);
  GroupBox group(form, "Group", Bounds{10, 10, 200, 150});
  Button first(form, "First", Bounds{20, 30, 80, 24});
  Button second(form, "Second", Bounds{20, 60, 80, 24});
  form.Show();
  // Made after the form showed.
  Button third(form, "Third", Bounds{20, 90, 80, 24});
  GroupBox lower(form, "Lower", Bounds{220, 10, 70, 150});
  Button fourth(form, "Fourth", Bounds{230, 30, 50, 24});

  const std::vector<HWND> order = ZOrder(form.Handle());
  for (const GroupBox* box : {&group, &lower})
    for (const Button* button : {&first, &second, &third, &fourth})
      EXPECT_LT(Place(order, *button), Place(order, *box)) << "a button above every group box";
  EXPECT_LT(Place(order, first), Place(order, second)) << "the tab order follows the order of making";
  EXPECT_LT(Place(order, second), Place(order, third));
  EXPECT_LT(Place(order, third), Place(order, fourth));
}

}  // namespace
}  // namespace brisko::win
