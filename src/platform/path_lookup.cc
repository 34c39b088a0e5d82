#include "platform/path_lookup.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <vector>

namespace tamboro {
namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

// The entry of `dir` whose name equals `name` but for case; the first in
// name order, so the choice does not depend on the directory's order.
bool FindIgnoringCase(const std::string& dir, const std::string& name, std::string* found) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return false;
  std::vector<std::string> matches;
  while (const dirent* e = ::readdir(d)) {
    if (EqualsIgnoringCase(e->d_name, name)) matches.emplace_back(e->d_name);
  }
  ::closedir(d);
  if (matches.empty()) return false;
  *found = *std::min_element(matches.begin(), matches.end());
  return true;
}

}  // namespace

std::string ToPosixPath(const std::string& path) {
  std::string out = path;
  std::replace(out.begin(), out.end(), '\\', '/');
  return out;
}

std::string LookUpPath(const std::string& path) {
  std::string posix = ToPosixPath(path);
  if (posix.empty() || Exists(posix)) return posix;

  // Walk the components; `resolved` always names something that exists
  // until the first component that matches nothing.
  std::string resolved;
  size_t pos = 0;
  if (posix[0] == '/') {
    resolved = "/";
    pos = 1;
  }
  bool matching = true;
  while (pos <= posix.size()) {
    size_t slash = posix.find('/', pos);
    if (slash == std::string::npos) slash = posix.size();
    std::string part = posix.substr(pos, slash - pos);
    bool last = slash == posix.size();
    if (!part.empty()) {
      std::string dir = resolved;
      std::string candidate = resolved + part;
      std::string found;
      if (matching && part != "." && part != ".." && !Exists(candidate) &&
          FindIgnoringCase(dir, part, &found)) {
        candidate = resolved + found;
      } else if (matching && !Exists(candidate)) {
        matching = false;
      }
      resolved = candidate;
    }
    if (!last) resolved += '/';
    pos = slash + 1;
  }
  return resolved;
}

}  // namespace tamboro
