#include "platform/path_lookup.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

namespace tamboro {
namespace {

TEST(PathLookupTest, FindsPathsWrittenForACaseInsensitiveSystem) {
  std::string root = (std::filesystem::temp_directory_path() / "lookup-XXXXXX").string();
  ASSERT_TRUE(mkdtemp(root.data()));
  root += "/";
  std::filesystem::create_directories(root + "Samples/Kit One");
  std::ofstream(root + "Samples/Kit One/Kick.wav") << "x";

  const struct {
    std::string asked;
    std::string found;
  } cases[] = {
      {root + "Samples/Kit One/Kick.wav", root + "Samples/Kit One/Kick.wav"},    // exact
      {root + "samples\\KIT ONE\\kick.WAV", root + "Samples/Kit One/Kick.wav"},  // case, '\'
      {root + "SAMPLES/new.wav", root + "Samples/new.wav"},  // a file still to be made
      {root + "nothing/here.wav", root + "nothing/here.wav"},
      {"a\\b", "a/b"},
  };
  for (const auto& c : cases) EXPECT_EQ(LookUpPath(c.asked), c.found) << c.asked;
  EXPECT_EQ(ToPosixPath("C:\\x\\y.ktb"), "C:/x/y.ktb");
  std::filesystem::remove_all(root);
}

}  // namespace
}  // namespace tamboro
