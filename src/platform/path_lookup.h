#pragma once
// Paths as the patterns name them: written for a case-insensitive file
// system with '\' as separator.

#include <string>

namespace tamboro {

// The path with every '\' read as '/'.
std::string ToPosixPath(const std::string& path);

// The path on disk that `path` names: '\' read as '/', and, when the path
// does not exist as written, each component matched case-insensitively
// (an exact match first). Components that match nothing are kept as
// written, so the result also serves as the name of a file to be made.
std::string LookUpPath(const std::string& path);

}  // namespace tamboro
