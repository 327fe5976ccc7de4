#include "tests/support/exif_writer.h"

#include <algorithm>
#include <functional>
#include <type_traits>

namespace testutil {

namespace {

void put(std::string& out, uint64_t v, unsigned size, bool big_endian) {
  for (unsigned i = 0; i < size; ++i) {
    const unsigned shift = 8 * (big_endian ? size - 1 - i : i);
    out.push_back(static_cast<char>((v >> shift) & 0xff));
  }
}

std::string number(uint64_t v, unsigned size, bool big_endian) {
  std::string out;
  put(out, v, size, big_endian);
  return out;
}

void pad_even(std::string& out, uint32_t& pos) {
  if (pos % 2 != 0) {
    out.push_back('\0');
    ++pos;
  }
}

}  // namespace

// One directory entry. Its 32-bit field is the value itself (up to 4 bytes),
// an offset to the value in the data area, an offset to an attachment
// written after the data area, or a fixed number.
struct tiff_ifd::entry_t {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  // The value's bytes when its first byte lands at `pos`.
  std::function<std::string(bool big_endian, uint32_t pos)> value;
  // Bytes the field points at, written after the data area.
  std::function<std::string(bool big_endian, uint32_t pos)> attachment;
  uint32_t fixed = 0;  // the field when there is neither
};

makernote_t::makernote_t(std::string header_, const tiff_ifd& ifd_, bool tiff_relative_)
    : header(std::move(header_)),
      ifd(std::make_shared<const tiff_ifd>(ifd_)),
      tiff_relative(tiff_relative_) {}

tiff_ifd& tiff_ifd::add(std::shared_ptr<entry_t> e) {
  entries_.push_back(std::move(e));
  return *this;
}

template <typename T>
tiff_ifd& tiff_ifd::numbers(uint16_t tag, uint16_t type, const std::vector<T>& values) {
  auto e = std::make_shared<entry_t>();
  e->tag = tag;
  e->type = type;
  e->count = static_cast<uint32_t>(values.size());
  e->value = [values](bool be, uint32_t) {
    std::string out;
    for (const T& v : values) {
      if constexpr (std::is_integral_v<T>) {
        put(out, static_cast<uint64_t>(v), sizeof(T), be);
      } else {  // a rational: numerator, then denominator
        put(out, static_cast<uint32_t>(v.first), 4, be);
        put(out, static_cast<uint32_t>(v.second), 4, be);
      }
    }
    return out;
  };
  return add(e);
}

tiff_ifd& tiff_ifd::byte(uint16_t tag, const std::vector<uint8_t>& v) {
  return numbers(tag, TIFF_BYTE, v);
}
tiff_ifd& tiff_ifd::short_(uint16_t tag, const std::vector<uint16_t>& v) {
  return numbers(tag, TIFF_SHORT, v);
}
tiff_ifd& tiff_ifd::long_(uint16_t tag, const std::vector<uint32_t>& v) {
  return numbers(tag, TIFF_LONG, v);
}
tiff_ifd& tiff_ifd::rational(uint16_t tag, const std::vector<urational>& v) {
  return numbers(tag, TIFF_RATIONAL, v);
}
tiff_ifd& tiff_ifd::srational_(uint16_t tag, const std::vector<srational>& v) {
  return numbers(tag, TIFF_SRATIONAL, v);
}

tiff_ifd& tiff_ifd::raw(uint16_t tag, uint16_t type, uint32_t count, const std::string& bytes) {
  auto e = std::make_shared<entry_t>();
  e->tag = tag;
  e->type = type;
  e->count = count;
  e->value = [bytes](bool, uint32_t) { return bytes; };
  return add(e);
}

tiff_ifd& tiff_ifd::ascii(uint16_t tag, const std::string& text) {
  return raw(tag, TIFF_ASCII, static_cast<uint32_t>(text.size() + 1), text + '\0');
}

tiff_ifd& tiff_ifd::undefined(uint16_t tag, const std::string& bytes) {
  return raw(tag, TIFF_UNDEFINED, static_cast<uint32_t>(bytes.size()), bytes);
}

tiff_ifd& tiff_ifd::offset_field(uint16_t tag, uint16_t type, uint32_t count, uint32_t field) {
  auto e = std::make_shared<entry_t>();
  e->tag = tag;
  e->type = type;
  e->count = count;
  e->fixed = field;
  return add(e);
}

tiff_ifd& tiff_ifd::sub_ifd(uint16_t tag, const tiff_ifd& child) {
  auto e = std::make_shared<entry_t>();
  e->tag = tag;
  e->type = TIFF_LONG;
  e->count = 1;
  e->attachment = [child](bool be, uint32_t pos) { return child.write(be, pos); };
  return add(e);
}

tiff_ifd& tiff_ifd::data_pointer(uint16_t tag, const std::string& bytes) {
  auto e = std::make_shared<entry_t>();
  e->tag = tag;
  e->type = TIFF_LONG;
  e->count = 1;
  e->attachment = [bytes](bool, uint32_t) { return bytes; };
  return add(e);
}

tiff_ifd& tiff_ifd::makernote(const makernote_t& note) {
  auto e = std::make_shared<entry_t>();
  e->tag = 0x927C;
  e->type = TIFF_UNDEFINED;
  const auto size = static_cast<uint32_t>(note.header.size());
  e->value = [note, size](bool be, uint32_t pos) {
    return note.header + note.ifd->write(be, note.tiff_relative ? pos + size : size);
  };
  e->count = static_cast<uint32_t>(e->value(false, 0).size());
  return add(e);
}

std::string tiff_ifd::write(bool be, uint32_t at, uint32_t next) const {
  std::vector<std::shared_ptr<const entry_t>> sorted = entries_;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return a->tag < b->tag; });

  // Values longer than 4 bytes go to the data area, attachments after it.
  // Their sizes do not depend on where they land, so one pass places them.
  const auto n = static_cast<uint32_t>(sorted.size());
  uint32_t pos = at + 2 + 12 * n + 4;
  std::string data;
  std::vector<std::string> fields(n);
  auto place = [&](const std::function<std::string(bool, uint32_t)>& make) {
    pad_even(data, pos);
    const std::string bytes = make(be, pos);
    const std::string field = number(pos, 4, be);
    data += bytes;
    pos += static_cast<uint32_t>(bytes.size());
    return field;
  };
  for (uint32_t i = 0; i < n; ++i) {
    const entry_t& e = *sorted[i];
    if (!e.value) {
      fields[i] = number(e.fixed, 4, be);
    } else if (std::string v = e.value(be, pos); v.size() <= 4) {
      v.resize(4, '\0');  // a short value sits at the field's first bytes
      fields[i] = v;
    } else {
      fields[i] = place(e.value);
    }
  }
  for (uint32_t i = 0; i < n; ++i)
    if (sorted[i]->attachment) fields[i] = place(sorted[i]->attachment);

  std::string out;
  put(out, n, 2, be);
  for (uint32_t i = 0; i < n; ++i) {
    put(out, sorted[i]->tag, 2, be);
    put(out, sorted[i]->type, 2, be);
    put(out, sorted[i]->count, 4, be);
    out += fields[i];
  }
  put(out, next, 4, be);
  return out + data;
}

std::string exif_block::tiff() const {
  tiff_ifd zeroth = ifd0;
  if (!exif.empty()) zeroth.sub_ifd(0x8769, exif);
  if (!gps.empty()) zeroth.sub_ifd(0x8825, gps);
  tiff_ifd first = ifd1;
  if (!thumbnail.empty()) {
    first.data_pointer(0x0201, thumbnail);
    first.long_(0x0202, {static_cast<uint32_t>(thumbnail.size())});
  }

  std::string out = big_endian ? "MM" : "II";
  put(out, magic, 2, big_endian);
  put(out, 8, 4, big_endian);
  uint32_t first_at = 8 + static_cast<uint32_t>(zeroth.write(big_endian, 8).size());
  first_at += first_at % 2;
  out += zeroth.write(big_endian, 8, first.empty() ? 0 : first_at);
  if (!first.empty()) {
    out.resize(first_at, '\0');
    out += first.write(big_endian, first_at);
  }
  return out;
}

std::string exif_block::app1_payload() const { return std::string("Exif\0\0", 6) + tiff(); }

exif_block camera_exif(const camera_settings& s) {
  exif_block b;
  b.big_endian = s.big_endian;
  b.ifd0.ascii(0x010F, s.make).ascii(0x0110, s.model);
  if (s.orientation != 0) b.ifd0.short_(0x0112, {s.orientation});
  b.ifd0.rational(0x011A, {{72, 1}})
      .rational(0x011B, {{72, 1}})
      .short_(0x0128, {2})
      .ascii(0x0132, s.datetime)
      .short_(0x0213, {1});
  b.exif.rational(0x829A, {s.exposure_time})
      .rational(0x829D, {s.fnumber})
      .short_(0x8827, {s.iso})
      .undefined(0x9000, "0230")
      .ascii(0x9003, s.datetime)
      .srational_(0x9204, {s.exposure_bias})
      .rational(0x920A, {s.focal_length})
      .short_(0xA001, {1});
  if (!s.thumbnail.empty()) {
    b.thumbnail = s.thumbnail;
    b.ifd1.short_(0x0103, {6});  // JPEG-compressed thumbnail
  }
  return b;
}

}  // namespace testutil
