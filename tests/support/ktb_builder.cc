#include "support/ktb_builder.h"

#include <fstream>
#include <stdexcept>

namespace tamboro::testing {

namespace {
constexpr size_t kRecordSize = 196;
constexpr size_t kOldNameArea = 980;
}  // namespace

void AppendU32(std::string& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

KtbBuilder::KtbBuilder(bool new_layout) : new_layout_(new_layout) {}

KtbBuilder KtbBuilder::OldLayout() { return KtbBuilder(false); }
KtbBuilder KtbBuilder::NewLayout() { return KtbBuilder(true); }

KtbBuilder& KtbBuilder::Tag(std::string tag) {
  tag_ = std::move(tag);
  return *this;
}

KtbBuilder& KtbBuilder::Kits(uint32_t kits) {
  kits_ = kits;
  return *this;
}

KtbBuilder& KtbBuilder::Sample(int slot, std::string name) {
  if (slot < 0 || slot >= (new_layout_ ? 20 : 5)) throw std::out_of_range("KtbBuilder::Sample: slot");
  samples_[slot] = std::move(name);
  return *this;
}

KtbBuilder& KtbBuilder::Secondary(int drum, uint8_t on_off) {
  secondary_.at(drum) = on_off;
  return *this;
}

KtbBuilder& KtbBuilder::Filler(uint8_t byte) {
  filler_ = byte;
  return *this;
}

KtbBuilder& KtbBuilder::NameArea(std::string raw) {
  name_area_ = std::move(raw);
  return *this;
}

KtbBuilder& KtbBuilder::Hits(int drum, std::vector<uint32_t> times) {
  if (drum < 0 || drum >= drum_count()) throw std::out_of_range("KtbBuilder::Hits: drum");
  hits_[drum] = std::move(times);
  return *this;
}

KtbBuilder& KtbBuilder::HitCount(int drum, uint32_t count) {
  if (drum < 0 || drum >= drum_count()) throw std::out_of_range("KtbBuilder::HitCount: drum");
  hit_count_[drum] = count;
  return *this;
}

KtbBuilder& KtbBuilder::Trailer(std::string bytes) {
  trailer_ = std::move(bytes);
  return *this;
}

KtbBuilder& KtbBuilder::Truncate(size_t size) {
  truncate_ = size;
  return *this;
}

std::string KtbBuilder::Head() const {
  std::string out;
  if (new_layout_) {
    std::string tag = tag_;
    tag.resize(5, '\0');
    out += tag;
    AppendU32(out, kits_);
    for (int slot = 0; slot < 20; ++slot) {
      // Name, its zero byte, filler to the record's end; a name too long for
      // the record is cut so the layout stays in place.
      std::string record = samples_[slot].substr(0, kRecordSize);
      if (record.size() < kRecordSize) record.push_back('\0');
      record.resize(kRecordSize, static_cast<char>(filler_));
      out += record;
      if (slot % 2 == 1) out.push_back(static_cast<char>(secondary_[slot / 2]));
    }
    AppendU32(out, 0);  // the skipped field
  } else if (name_area_) {
    std::string area = name_area_->substr(0, kOldNameArea);
    area.resize(kOldNameArea, static_cast<char>(filler_));
    out += area;
  } else {
    for (int slot = 0; slot < 5; ++slot) {
      std::string place = samples_[slot];
      place.push_back('\0');
      // Names longer than a place push the later places on; the area is
      // still 980 bytes.
      if (place.size() < kRecordSize) place.resize(kRecordSize, static_cast<char>(filler_));
      out += place;
    }
    out.resize(kOldNameArea, static_cast<char>(filler_));
  }
  return out;
}

size_t KtbBuilder::HitStreamOffset(int drum) const {
  size_t offset = Head().size();
  for (int d = 0; d < drum && d < drum_count(); ++d) offset += 4 + 4 * hits_[d].size();
  return offset;
}

std::string KtbBuilder::Build() const {
  std::string out = Head();
  for (int d = 0; d < drum_count(); ++d) {
    AppendU32(out, hit_count_[d].value_or(static_cast<uint32_t>(hits_[d].size())));
    for (uint32_t t : hits_[d]) AppendU32(out, t);
  }
  out += trailer_;
  if (truncate_ && *truncate_ < out.size()) out.resize(*truncate_);
  return out;
}

void KtbBuilder::WriteTo(const std::string& path) const {
  std::string bytes = Build();
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) throw std::runtime_error("KtbBuilder: cannot create " + path);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) throw std::runtime_error("KtbBuilder: cannot write " + path);
}

}  // namespace tamboro::testing
