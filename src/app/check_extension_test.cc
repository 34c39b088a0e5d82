#include "app/check_extension.h"

#include <gtest/gtest.h>

namespace tamboro {
namespace {

TEST(CheckExtensionTest, AcceptsDotKtbInAnyCaseAndCutsAtThatDot) {
  struct Case {
    std::string path;
    std::string base;
  };
  for (const Case& c : {Case{"song.ktb", "song"}, Case{"song.KtB", "song"},
                        Case{"/home/me/my.song.KTB", "/home/me/my.song"},
                        Case{".ktb", ""}, Case{"/a.b/c.ktb", "/a.b/c"}}) {
    std::string base = c.path;
    EXPECT_EQ(CheckExtension(base), ExtensionCheck::kAccepted) << c.path;
    EXPECT_EQ(base, c.base);
  }
}

TEST(CheckExtensionTest, RejectsOtherEndingsAndLeavesThePathAlone) {
  struct Case {
    std::string path;
    ExtensionCheck result;
  };
  for (const Case& c : {
           Case{"song.tb", ExtensionCheck::kRejectedOnConsole},
           Case{"song.b", ExtensionCheck::kRejectedOnConsole},
           Case{"song.", ExtensionCheck::kRejectedOnConsole},
           Case{"song.ktbx", ExtensionCheck::kRejectedOnConsole},
           Case{"song.kt.", ExtensionCheck::kRejectedOnConsole},
           Case{"tb", ExtensionCheck::kRejectedOnConsole},  // the start matches nothing
           Case{"", ExtensionCheck::kRejectedOnConsole},
           Case{"songktb", ExtensionCheck::kRejectedInLog},
           Case{"/a.b/songktb", ExtensionCheck::kRejectedInLog},  // only the last four count
           Case{"ktb", ExtensionCheck::kRejectedInLog},
           Case{"song_ktb", ExtensionCheck::kRejectedInLog},
       }) {
    std::string base = c.path;
    EXPECT_EQ(CheckExtension(base), c.result) << c.path;
    EXPECT_EQ(base, c.path);
  }
}

}  // namespace
}  // namespace tamboro
