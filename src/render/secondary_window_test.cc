#include "render/secondary_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tamboro {
namespace {

struct WindowCase {
  const char* name;
  std::vector<uint32_t> secondaries;
  std::vector<uint32_t> hits;
  std::string expected;  // per hit: 'S' secondary sample, 'O' own sample
};

TEST(SecondaryWindowTest, ChoosesSampleForEachHitInListOrder) {
  const WindowCase cases[] = {
      {"three times: windows 1000-2000 and 3000 on",
       {1000, 2000, 3000},
       {500, 1000, 1500, 2000, 2500, 3000, 3500, 399999, 400000, 400001},
       "OOSOOOSSOO"},
      {"single time: open up to 400000", {1000}, {999, 1000, 1001, 399999, 400000}, "OOSSO"},
      {"two times: strictly between", {1000, 2000}, {1000, 1500, 2000, 2500}, "OSOO"},
      {"first hit past several windows",
       {100, 200, 300, 400, 500, 600},
       {550, 650},
       "SO"},
      {"an earlier hit does not move the window back",
       {100, 200, 300, 400},
       {350, 150, 250, 350},
       "SOOS"},
      {"a hit between windows takes the next one's start as bound",
       {100, 200, 300, 400},
       {250, 350},
       "OS"},
      {"no secondaries: always own", {}, {0, 100, 500000}, "OOO"},
      {"hit at zero", {0, 100}, {0, 50}, "OS"},
  };
  for (const WindowCase& c : cases) {
    SecondaryWindow window(c.secondaries);
    std::string got;
    for (uint32_t hit : c.hits) got += window.TakesSecondary(hit) ? 'S' : 'O';
    EXPECT_EQ(got, c.expected) << c.name;
  }
}

}  // namespace
}  // namespace tamboro
