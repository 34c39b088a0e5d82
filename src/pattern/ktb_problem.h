#pragma once
// The one-line messages that refuse a pattern file, naming it by its path.

#include <string>
#include <string_view>

namespace tamboro {

// "KTB file is damaged: <path> ends inside <where>"
std::string KtbEndsInside(std::string_view path, std::string_view where);
// "KTB file is damaged: <path> <what>"
std::string KtbProblem(std::string_view path, std::string_view what);
// "KTB file is refused: <path>: <why>"
std::string KtbRefused(std::string_view path, std::string_view why);

}  // namespace tamboro
