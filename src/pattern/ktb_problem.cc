#include "pattern/ktb_problem.h"

namespace tamboro {

std::string KtbEndsInside(std::string_view path, std::string_view where) {
  return KtbProblem(path, std::string("ends inside ").append(where));
}

std::string KtbProblem(std::string_view path, std::string_view what) {
  return std::string("KTB file is damaged: ").append(path).append(" ").append(what);
}

std::string KtbRefused(std::string_view path, std::string_view why) {
  return std::string("KTB file is refused: ").append(path).append(": ").append(why);
}

}  // namespace tamboro
