#include "pattern/ktb_contents.h"

#include "pattern/ktb_layout.h"
#include "pattern/ktb_problem.h"

namespace tamboro {

namespace {

// Walks the bytes from the start; every take says whether the bytes were there.
class ByteCursor {
 public:
  explicit ByteCursor(std::string_view bytes) : bytes_(bytes) {}

  size_t left() const { return bytes_.size() - pos_; }

  bool Take(size_t n, std::string_view& out) {
    if (left() < n) return false;
    out = bytes_.substr(pos_, n);
    pos_ += n;
    return true;
  }

  bool TakeU32(uint32_t& out) {
    std::string_view b;
    if (!Take(4, b)) return false;
    out = ReadU32(b);
    return true;
  }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

std::string Numbered(const char* what, int n) { return what + std::to_string(n); }

// A record names a sample only when it begins with "S"; the name runs to
// its first zero byte, or to the record's end when there is none.
void TakeRecord(std::string_view record, std::string& name, uint8_t& present) {
  if (record[0] != 'S') {
    present = 0;
    return;
  }
  name.assign(record.substr(0, record.find('\0')));
  present = 1;
}

void TakeNameArea(std::string_view area, KtbContents& out) {
  int slot = 0;
  for (char c : area) {
    if (slot == kSampleSlots) break;  // the area holds twenty names at most
    if (c == '\0') {
      out.present[slot++] = 1;
    } else if (static_cast<uint8_t>(c) != kNameFiller) {
      out.names[slot].push_back(c);
    }
  }
}

}  // namespace

ParsedKtb ParseKtbContents(std::string_view bytes, bool new_layout, std::string_view path) {
  ParsedKtb result;
  KtbContents& out = result.contents;
  ByteCursor cursor(bytes);
  std::string_view chunk;
  int drum_count = 5;

  if (new_layout) {
    drum_count = 10;
    if (!cursor.Take(kKtbHeaderSize, chunk)) {
      result.problem = KtbEndsInside(path, "the header");
      return result;
    }
    for (int slot = 0; slot < kSampleSlots; ++slot) {
      if (!cursor.Take(kSampleRecordSize, chunk)) {
        result.problem = KtbEndsInside(path, Numbered("sample record ", slot + 1));
        return result;
      }
      TakeRecord(chunk, out.names[slot], out.present[slot]);
      if (slot % 2 == 1) {
        if (!cursor.Take(1, chunk)) {
          result.problem = KtbEndsInside(path, Numbered("the secondary on/off byte of drum ", slot / 2 + 1));
          return result;
        }
        out.on_off[slot / 2] = static_cast<uint8_t>(chunk[0]);
      }
    }
    if (!cursor.Take(kSkippedFieldSize, chunk)) {
      result.problem = KtbEndsInside(path, "the field before the hits");
      return result;
    }
  } else {
    if (!cursor.Take(kOldNameAreaSize, chunk)) {
      result.problem = KtbEndsInside(path, "the name area");
      return result;
    }
    TakeNameArea(chunk, out);
  }

  for (int drum = 0; drum < drum_count; ++drum) {
    uint32_t count = 0;
    if (!cursor.TakeU32(count)) {
      result.problem = KtbEndsInside(path, Numbered("the hit count of drum ", drum + 1));
      return result;
    }
    // Checked before anything is kept: a hostile count allocates nothing.
    if (count > cursor.left() / 4) {
      result.problem = KtbEndsInside(path, Numbered("the hits of drum ", drum + 1));
      return result;
    }
    std::vector<uint32_t>& hits = out.hits[drum];
    hits.resize(count);
    for (uint32_t& t : hits) cursor.TakeU32(t);
  }
  return result;
}

}  // namespace tamboro
