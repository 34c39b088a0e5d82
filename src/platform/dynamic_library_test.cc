#include "platform/dynamic_library.h"

#include <gtest/gtest.h>

namespace tamboro {
namespace {

TEST(DynamicLibraryTest, FindsExportedSymbolsAndNotOthers) {
  std::string error;
  std::optional<DynamicLibrary> libm = DynamicLibrary::Open("libm.so.6", &error);
  ASSERT_TRUE(libm.has_value()) << error;
  using Cos = double (*)(double);
  auto cos = reinterpret_cast<Cos>(libm->Symbol("cos"));
  ASSERT_NE(cos, nullptr);
  EXPECT_DOUBLE_EQ(cos(0.0), 1.0);
  EXPECT_EQ(libm->Symbol("no_such_symbol_here"), nullptr);

  DynamicLibrary moved = std::move(*libm);
  EXPECT_EQ(libm->Symbol("cos"), nullptr);
  EXPECT_NE(moved.Symbol("cos"), nullptr);
}

TEST(DynamicLibraryTest, MissingLibraryGivesTheLoadersReason) {
  std::string error;
  EXPECT_FALSE(DynamicLibrary::Open("libtamboro_absent.so.9", &error).has_value());
  EXPECT_NE(error.find("libtamboro_absent.so.9"), std::string::npos) << error;
}

}  // namespace
}  // namespace tamboro
