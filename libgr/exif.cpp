// The EXIF directories of an APP1 segment: the TIFF header, the 0th, EXIF and
// 1st IFDs, the GPS IFD's location and the maker notes of Olympus, OM System
// and Ricoh-made Pentax cameras.
//
// Every directory is a window cut at the end of the data it lies in, and every
// value is checked to lie inside its window before it is read, so that no
// input makes the reader look outside the APP1 segment. Where the checks of a
// directory are not fixed by the format, this reader decides:
// - a 0th IFD whose entry count lies outside the TIFF data is rejected with
//   the 0th IFD's offset report; a directory whose entries do not all fit
//   in its window is rejected before any entry is read (a type code above
//   13 would otherwise end the walk first and hide it), with the in-entry
//   value report (0th IFD) or the "too few ifd area" report (EXIF and 1st
//   IFDs) of the first entry that does not fit;
// - a type code above 13 ends the 0th IFD's walk as it ends the EXIF IFD's;
// - the next-IFD offset is read only when it lies inside the TIFF data;
// - a 1st IFD is checked as the EXIF IFD is, and a thumbnail that runs past
//   the TIFF data is rejected with the EXIF IFD's "offset+size over" report;
// - a newer Olympus or Pentax IFD that does not fit in its maker note fails
//   with the directory's size report, as the older Olympus IFD does;
// - an offset value running past an older Olympus maker note is skipped
//   silently (see ifd_kind_t);
// - a maker note that begins with OLYMP is read as the older layout with its
//   directory at byte 8, so the "OLYMPUS\0II" layout of later Olympus cameras
//   fails its length check and the whole block is rejected, silently.
#include "libgr/exif.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "libgr/jpeg_marker.h"
#include "libgr/jpeg_common.h"

namespace libgr {

namespace ExifType {

const unsigned char exiftypesize[max_type + 1] = {0, 1, 1, 2, 4, 8, 0, 1, 2, 4, 8, 0, 0, 4};

void tag_0th_ifd::clear() { *this = tag_0th_ifd(); }
void tag_exif_ifd::clear() { *this = tag_exif_ifd(); }
void tag_olympus_ifd::clear() { *this = tag_olympus_ifd(); }
void tag_olympus3_equipment_ifd::clear() { *this = tag_olympus3_equipment_ifd(); }
void tag_olympus3_camerasettings_ifd::clear() { *this = tag_olympus3_camerasettings_ifd(); }
void tag_olympus3_focusinfo_ifd::clear() { *this = tag_olympus3_focusinfo_ifd(); }
void tag_pentax5_ifd::clear() { *this = tag_pentax5_ifd(); }

}  // namespace ExifType

namespace {

using libutils::byteorder;
using namespace ExifType;

constexpr uint64_t to_end = ~uint64_t{0};

// The part of src from `start` for `length` bytes, cut at src's end.
bytes_t subwindow(const bytes_t& src, uint64_t start, uint64_t length) {
  const uint64_t size = src.size();
  start = std::min(start, size);
  bytes_t w;
  w.setwindow(src, start, std::min(length, size - start));
  return w;
}

unsigned short get16(const unsigned char* p, const byteorder& order) {
  unsigned short v;
  std::memcpy(&v, p, sizeof v);
  return order.tohs(v);
}

uint32_t get32(const unsigned char* p, const byteorder& order) {
  uint32_t v;
  std::memcpy(&v, p, sizeof v);
  return order.tohl(v);
}

bool begins_with(const bytes_t& data, const char* prefix) {
  const size_t n = std::strlen(prefix);
  return data.size() >= n && std::memcmp(data.begin(), prefix, n) == 0;
}

bool begins_with_nocase(const std::string& s, const char* prefix) {
  const size_t n = std::strlen(prefix);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(s[i])) !=
        std::tolower(static_cast<unsigned char>(prefix[i]))) {
      return false;
    }
  }
  return true;
}

// The entry count of the directory at `offset`, 0 when it lies outside data.
uint64_t entry_count(const bytes_t& data, uint64_t offset, const byteorder& order) {
  return offset + 2 <= data.size() ? get16(data.begin() + offset, order) : 0;
}

// One directory entry's value, known to lie inside its window.
struct value_t {
  unsigned short tag;
  bytes_t bytes;
  const byteorder& order;

  size_t size() const { return bytes.size(); }
  unsigned short short_at(size_t i) const { return get16(bytes.begin() + 2 * i, order); }
  uint32_t long_at(size_t i) const { return get32(bytes.begin() + 4 * i, order); }
};

// The put_* functions keep a value when its size is the accepted one and
// leave the field alone otherwise.
void put_shorts(short_t& f, const value_t& v, size_t n) {
  if (v.size() != 2 * n) return;
  f.resize(n);
  for (size_t i = 0; i < n; ++i) f[i] = v.short_at(i);
}

void put_one_or_two_shorts(short_t& f, const value_t& v) {
  if (v.size() == 2 || v.size() == 4) put_shorts(f, v, v.size() / 2);
}

void put_long(long_t& f, const value_t& v) {
  if (v.size() == 4) f.assign(1, v.long_at(0));
}

void put_rational(rationals_t& f, const value_t& v) {
  if (v.size() == 8) f.assign(1, rational_t{v.long_at(0), v.long_at(1)});
}

void put_srational(srationals_t& f, const value_t& v) {
  if (v.size() == 8) {
    f.assign(1, srational_t{static_cast<int32_t>(v.long_at(0)), static_cast<int32_t>(v.long_at(1))});
  }
}

// s bytes: the text up to its first zero (within the first s - 1 bytes),
// padded with zeros.
void put_string(std::string& f, const value_t& v) {
  const size_t s = v.size();
  if (s == 0) {
    f.clear();
    return;
  }
  const char* p = reinterpret_cast<const char*>(v.bytes.begin());
  f.assign(p, strnlen(p, s - 1));
  f.resize(s, '\0');
}

void put_all_bytes(std::string& f, const value_t& v) {
  f.assign(reinterpret_cast<const char*>(v.bytes.begin()), v.size());
}

// Which checks and reports a directory walk applies. The older Olympus maker
// note counts its offsets from the TIFF data, not from the maker note as read
// here, so its out-of-range values are expected and skipped without a report.
enum class ifd_kind_t { zeroth, exif, makernote, old_makernote };

// Walks the entries of the directory `ifd`, whose offset values count from
// the start of `base`, and hands each value that lies inside its window to
// store. `name` heads the maker-note reports.
template <typename Store>
bool walk_ifd(std::vector<std::string>& complaints, const bytes_t& ifd, const bytes_t& base, const byteorder& order, ifd_kind_t kind,
              const char* name, Store store) {
  const uint64_t ifd_size = ifd.size();
  const uint64_t n = entry_count(ifd, 0, order);
  const bool makernote = kind == ifd_kind_t::makernote || kind == ifd_kind_t::old_makernote;
  if (makernote && 12 * n + 2 > ifd_size) {
    report_error(complaints, name, n, ": size ", 12 * n + 2, " over than ifd.size(", ifd_size, ").");
    return false;
  }
  // Every entry must fit before any is read, even when a type code would
  // end the walk early: a directory that claims more entries than its data
  // holds is garbage, not a short list. The report names the first entry
  // that does not fit.
  const uint64_t fitting = ifd_size < 2 ? 0 : (ifd_size - 2) / 12;
  if (n > fitting) {
    const uint64_t entry = 2 + 12 * fitting;
    if (kind == ifd_kind_t::zeroth) {
      report_error(complaints, "value over, offset: ", entry + 8, " ifd size: ", ifd_size);
    } else {
      report_error(complaints, "too few ifd area", entry + 12, " > ", ifd_size);
    }
    return false;
  }
  for (uint64_t i = 0; i < n; ++i) {
    const uint64_t entry = 2 + 12 * i;
    const unsigned char* p = ifd.begin() + entry;
    const unsigned short tag = get16(p, order);
    const unsigned short type = get16(p + 2, order);
    if (type > max_type) return !makernote;
    const uint64_t size = uint64_t{get32(p + 4, order)} * exiftypesize[type];
    if (size <= 4) {
      store(value_t{tag, subwindow(ifd, entry + 8, size), order});
      continue;
    }
    const uint64_t offset = get32(p + 8, order);
    if (offset + size > base.size()) {
      switch (kind) {
        case ifd_kind_t::zeroth:
          report_error(complaints, "value over, offset ", offset, " tiff size: ", base.size());
          return false;
        case ifd_kind_t::exif:
          report_error(complaints, "offset+size over: ", offset, ", ", size, ", tiff size: ", base.size());
          return false;
        case ifd_kind_t::makernote:
          report_error(complaints, std::hex, tag, std::dec, ": [", i, "]: ", offset, ", ", size,
                       ": app1 size: ", base.size(), " over.");
          continue;
        case ifd_kind_t::old_makernote:
          continue;
      }
    }
    store(value_t{tag, subwindow(base, offset, size), order});
  }
  return true;
}

void store_0th(tag_0th_ifd& r, const value_t& v) {
  switch (v.tag) {
    case 0x010E: put_string(r.ImageDescription, v); break;
    case 0x010F: put_string(r.Make, v); break;
    case 0x0110: put_string(r.Model, v); break;
    case 0x0112: put_shorts(r.Orientation, v, 1); break;
    case 0x011A: put_rational(r.XResolution, v); break;
    case 0x011B: put_rational(r.YResolution, v); break;
    case 0x0128: put_shorts(r.ResolutionUnit, v, 1); break;
    case 0x0131: put_string(r.Software, v); break;
    case 0x0132: put_string(r.DateTime, v); break;
    case 0x0213: put_shorts(r.YCbCrPositioning, v, 1); break;
    case 0x8769: put_long(r.ExifIFDPointer, v); break;
    case 0x8825: put_long(r.GPSInfoIFDPointer, v); break;
    default: break;
  }
}

void store_1st(tag_1st_ifd& r, const value_t& v) {
  switch (v.tag) {
    case 0x0201: put_long(r.JPEGInterchangeFormat, v); break;
    case 0x0202: put_long(r.JPEGInterchangeFormatLength, v); break;
    default: break;
  }
}

void store_exif(tag_exif_ifd& r, const value_t& v) {
  switch (v.tag) {
    case 0x829A: put_rational(r.ExposureTime, v); break;
    case 0x829D: put_rational(r.FNumber, v); break;
    case 0x8822: put_shorts(r.ExposureProgram, v, 1); break;
    case 0x8827: put_shorts(r.ISOSpeedRatings, v, 1); break;
    case 0x8831: put_long(r.StandardOutputSensitivity, v); break;
    case 0x8833: put_long(r.ISOSpeed, v); break;
    case 0x9003: put_string(r.DateTimeOriginal, v); break;
    case 0x9004: put_string(r.DateTimeDigitized, v); break;
    case 0x9202: put_rational(r.ApertureValue, v); break;
    case 0x9204: put_srational(r.ExposureBiasValue, v); break;
    case 0x9205: put_rational(r.MaxApertureValue, v); break;
    case 0x9207: put_shorts(r.MeteringMode, v, 1); break;
    case 0x9209: put_shorts(r.Flash, v, 1); break;
    case 0x920A: put_rational(r.FocalLength, v); break;
    case 0x927C: r.MakerNote = v.bytes; break;
    case 0xA001: put_shorts(r.ColorSpace, v, 1); break;
    case 0xA403: put_shorts(r.WhiteBalance, v, 1); break;
    case 0xA405: put_shorts(r.FocalLengthIn35mmFilm, v, 1); break;
    case 0xA408: put_shorts(r.Contrast, v, 1); break;
    case 0xA409: put_shorts(r.Saturation, v, 1); break;
    case 0xA40A: put_shorts(r.Sharpness, v, 1); break;
    case 0xA434: put_string(r.LensModel, v); break;
    default: break;
  }
}

void store_olympus(tag_olympus_ifd& r, const value_t& v) {
  switch (v.tag) {
    case 0x100B: put_shorts(r.FocusMode, v, 1); break;
    case 0x100C: put_rational(r.ManualFocusDistance, v); break;
    case 0x100F: put_shorts(r.Sharpness, v, 1); break;
    case 0x1015: put_shorts(r.WB_Mode, v, 2); break;
    case 0x1029: put_shorts(r.Contrast, v, 1); break;
    default: break;
  }
}

void store_olympus3_equipment(tag_olympus3_equipment_ifd& r, const value_t& v) {
  if (v.tag == 0x0203) put_all_bytes(r.LensModel, v);
}

void store_olympus3_camerasettings(tag_olympus3_camerasettings_ifd& r, const value_t& v) {
  switch (v.tag) {
    case 0x0301: put_one_or_two_shorts(r.FocusMode, v); break;
    case 0x0302: put_one_or_two_shorts(r.FocusProcess, v); break;
    case 0x0500: put_shorts(r.WhiteBalance2, v, 1); break;
    case 0x0501: put_shorts(r.WhiteBalanceTemperature, v, 1); break;
    case 0x0804: put_rational(r.StackedImage, v); break;
    default: break;
  }
}

void store_olympus3_focusinfo(tag_olympus3_focusinfo_ifd& r, const value_t& v) {
  switch (v.tag) {
    case 0x0209: put_shorts(r.AutoFocus, v, 1); break;
    case 0x0300: put_shorts(r.ZoomStepCount, v, 1); break;
    case 0x0301: put_shorts(r.FocusStepCount, v, 1); break;
    case 0x0303: put_shorts(r.FocusStepInfinity, v, 1); break;
    case 0x0304: put_shorts(r.FocusStepNear, v, 1); break;
    case 0x0305: put_rational(r.FocusDistance, v); break;
    case 0x0308: put_shorts(r.AFPoint, v, 1); break;
    case 0x031B: put_shorts(r.ContinuousFocusMode, v, 1); break;
    default: break;
  }
}

void store_pentax5(tag_pentax5_ifd& r, const value_t& v) {
  switch (v.tag) {
    case 0x000D: put_shorts(r.FocusMode, v, 1); break;
    case 0x0010: put_shorts(r.FocusPosition, v, 1); break;
    case 0x0019: put_shorts(r.WhiteBalance, v, 1); break;
    case 0x001A: put_shorts(r.WhiteBalanceMode, v, 1); break;
    default: break;
  }
}

}  // namespace

using tiff_header_t = app1_marker_t::tiff_header_t;

void tiff_header_t::set_tiff_buffer(bytes_t& buf) {
  buffer = buf;
  release_windows();
}

bool tiff_header_t::is_intel() const { return begins_with(buffer, "II"); }

bool tiff_header_t::is_motorola() const { return begins_with(buffer, "MM"); }

bool tiff_header_t::parse() {
  clear_records();
  complaints.clear();
  const uint64_t size = buffer.size();
  if (size < 8) {
    report_error(complaints, "too few tiff header size.");
    return false;
  }
  byteorder.reset();
  if (is_intel()) {
    byteorder.reset(new libutils::intel_byteorder);
  } else if (is_motorola()) {
    byteorder.reset(new libutils::motorola_byteorder);
  } else {
    report_error(complaints, "byteorder mark not recognized.");
    return false;
  }
  const unsigned char* p = buffer.begin();
  if (get16(p + 2, *byteorder) != 42) {
    report_error(complaints, "not tiff(0x00, 0x2a).");
    return false;
  }
  const uint64_t offset = get32(p + 4, *byteorder);
  if (offset + 2 > size) {
    report_error(complaints, "value over, offset ", offset, " tiff size: ", size);
    return false;
  }
  const uint64_t n = entry_count(buffer, offset, *byteorder);
  ifd0 = subwindow(buffer, offset, 12 * n + 4);
  if (!parse_0th_ifd()) return false;
  const uint64_t next_position = offset + 2 + 12 * n;
  if (next_position + 4 > size) return true;
  const uint32_t next = get32(p + next_position, *byteorder);
  return next == 0 || parse_1st_ifd(next);
}

bool tiff_header_t::parse_0th_ifd() {
  if (!walk_ifd(complaints, ifd0, buffer, *byteorder, ifd_kind_t::zeroth, nullptr,
                [this](const value_t& v) { store_0th(tag_0th_ifd, v); })) {
    return false;
  }
  const uint64_t size = buffer.size();
  if (!tag_0th_ifd.ExifIFDPointer.empty()) {
    const uint64_t offset = tag_0th_ifd.ExifIFDPointer[0];
    if (offset >= size) {
      report_error(complaints, "exif_ifd_offset size exceed: ", offset, " > ", size);
      return false;
    }
    // An entry count cut by the end of the data counts as none, and the
    // length check below still fails.
    const uint64_t end = offset + 12 * entry_count(buffer, offset, *byteorder) + 4;
    if (end > size) {
      report_error(complaints, "exif ifd size exceed: ", end, " > ", size);
      return false;
    }
    exif_ifd = subwindow(buffer, offset, end - offset);
    if (!parse_exif_ifd()) return false;
  }
  if (!tag_0th_ifd.GPSInfoIFDPointer.empty()) {
    const uint64_t offset = tag_0th_ifd.GPSInfoIFDPointer[0];
    const uint64_t length = 12 * entry_count(buffer, offset, *byteorder) + 4;
    if (length > size) {
      report_error(complaints, "gps_ifd size exceed: ", length, " > ", size);
      return false;
    }
    gps_ifd = subwindow(buffer, offset, length);
    if (!parse_gps_ifd()) return false;
  }
  if (tag_exif_ifd.MakerNote.empty()) return true;
  return parse_makernote();
}

bool tiff_header_t::parse_exif_ifd() {
  return walk_ifd(complaints, exif_ifd, buffer, *byteorder, ifd_kind_t::exif, nullptr,
                  [this](const value_t& v) { store_exif(tag_exif_ifd, v); });
}

// The GPS entries are not used by the system; the directory is only located.
bool tiff_header_t::parse_gps_ifd() { return true; }

bool tiff_header_t::parse_1st_ifd(uint32_t offset) {
  const bytes_t ifd1 = subwindow(buffer, offset, 12 * entry_count(buffer, offset, *byteorder) + 4);
  if (!walk_ifd(complaints, ifd1, buffer, *byteorder, ifd_kind_t::exif, nullptr,
                [this](const value_t& v) { store_1st(tag_1st_ifd, v); })) {
    return false;
  }
  if (tag_1st_ifd.JPEGInterchangeFormat.empty() || tag_1st_ifd.JPEGInterchangeFormatLength.empty()) {
    return true;
  }
  const uint64_t start = tag_1st_ifd.JPEGInterchangeFormat[0];
  const uint64_t length = tag_1st_ifd.JPEGInterchangeFormatLength[0];
  if (start + length > buffer.size()) {
    report_error(complaints, "offset+size over: ", start, ", ", length, ", tiff size: ", buffer.size());
    return false;
  }
  thumbnail = subwindow(buffer, start, length);
  return true;
}

bool tiff_header_t::parse_makernote() {
  const bytes_t& note = tag_exif_ifd.MakerNote;
  const std::string& make = tag_0th_ifd.Make;
  if (begins_with_nocase(make, "OLYMPUS")) {
    uint64_t start = 0;
    if (begins_with(note, "OLYMP")) {
      start = 8;
      const uint64_t length = 12 * entry_count(note, start, *byteorder) + 2;
      if (length <= 8 || length > note.size()) return false;
    }
    makernote_ifd = subwindow(note, start, to_end);
    return parse_olympus_ifd();
  }
  if (begins_with_nocase(make, "OM Digital Solutions") && begins_with(note, "OM SYSTEM")) {
    makernote_ifd = subwindow(note, 16, to_end);
    return parse_olympus3_ifd();
  }
  if (begins_with_nocase(make, "RICOH") && begins_with(note, "PENTAX")) {
    makernote_ifd = subwindow(note, 10, to_end);
    return parse_pentax5_ifd();
  }
  return true;
}

bool tiff_header_t::parse_olympus_ifd() {
  return walk_ifd(complaints, makernote_ifd, tag_exif_ifd.MakerNote, *byteorder, ifd_kind_t::old_makernote,
                  "olympus ifd: ", [this](const value_t& v) { store_olympus(tag_olympus_ifd, v); });
}

bool tiff_header_t::parse_olympus3_ifd() {
  const bytes_t& note = tag_exif_ifd.MakerNote;
  long_t equipment, camerasettings, focusinfo;
  const bool ok = walk_ifd(complaints, makernote_ifd, note, *byteorder, ifd_kind_t::makernote, "olympus3 ifd: ",
                           [&](const value_t& v) {
                             switch (v.tag) {
                               case 0x2010: put_long(equipment, v); break;
                               case 0x2020: put_long(camerasettings, v); break;
                               case 0x2050: put_long(focusinfo, v); break;
                               default: break;
                             }
                           });
  if (!ok) return false;
  const struct {
    const long_t& offset;
    bytes_t& window;
    bool (tiff_header_t::*parse)();
  } subifds[] = {
      {equipment, olympus3_equipment_ifd, &tiff_header_t::parse_olympus3_equipment_ifd},
      {camerasettings, olympus3_camerasettings_ifd, &tiff_header_t::parse_olympus3_camerasettings_ifd},
      {focusinfo, olympus3_focusinfo_ifd, &tiff_header_t::parse_olympus3_focusinfo_ifd},
  };
  for (const auto& sub : subifds) {
    if (sub.offset.empty()) continue;
    sub.window = subwindow(note, sub.offset[0], to_end);
    if (!(this->*sub.parse)()) return false;
  }
  return true;
}

bool tiff_header_t::parse_olympus3_equipment_ifd() {
  return walk_ifd(complaints, olympus3_equipment_ifd, tag_exif_ifd.MakerNote, *byteorder, ifd_kind_t::makernote,
                  "olympus3 equipment ifd: ", [this](const value_t& v) {
                    store_olympus3_equipment(tag_olympus3_equipment_ifd, v);
                  });
}

bool tiff_header_t::parse_olympus3_camerasettings_ifd() {
  return walk_ifd(complaints, olympus3_camerasettings_ifd, tag_exif_ifd.MakerNote, *byteorder,
                  ifd_kind_t::makernote, "olympus3 camerasettings ifd: ", [this](const value_t& v) {
                    store_olympus3_camerasettings(tag_olympus3_camerasettings_ifd, v);
                  });
}

bool tiff_header_t::parse_olympus3_focusinfo_ifd() {
  return walk_ifd(complaints, olympus3_focusinfo_ifd, tag_exif_ifd.MakerNote, *byteorder, ifd_kind_t::makernote,
                  "olympus3 focusinfo ifd: ", [this](const value_t& v) {
                    store_olympus3_focusinfo(tag_olympus3_focusinfo_ifd, v);
                  });
}

bool tiff_header_t::parse_pentax5_ifd() {
  return walk_ifd(complaints, makernote_ifd, tag_exif_ifd.MakerNote, *byteorder, ifd_kind_t::makernote,
                  "pentax5 ifd: ", [this](const value_t& v) { store_pentax5(tag_pentax5_ifd, v); });
}

void tiff_header_t::release_windows() {
  for (bytes_t* w : {&ifd0, &exif_ifd, &gps_ifd, &makernote_ifd, &olympus3_equipment_ifd,
                     &olympus3_camerasettings_ifd, &olympus3_focusinfo_ifd, &thumbnail}) {
    w->clear();
  }
}

void tiff_header_t::clear_records() {
  tag_0th_ifd.clear();
  tag_exif_ifd.clear();
  tag_gps_ifd.clear();
  tag_1st_ifd.clear();
  tag_olympus_ifd.clear();
  tag_olympus3_equipment_ifd.clear();
  tag_olympus3_camerasettings_ifd.clear();
  tag_olympus3_focusinfo_ifd.clear();
  tag_pentax5_ifd.clear();
}

void tiff_header_t::clear() {
  complaints.clear();
  buffer.clear();
  byteorder.reset();
  release_windows();
  clear_records();
}

}  // namespace libgr
