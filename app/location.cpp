#include "app/location.h"

#include <cstdint>
#include <cstring>
#include <cerrno>
#include <string_view>


namespace pictora {

namespace {

constexpr unsigned char app1 = 0xE1;
constexpr uint16_t gps_pointer_tag = 0x8825;
constexpr std::string_view exif_header("Exif\0\0", 6);
// The standard XMP packet and the extension that continues a long one.
constexpr std::string_view xmp_headers[] = {"http://ns.adobe.com/xap/1.0/", "http://ns.adobe.com/xmp/extension/"};

std::string_view view(const libgr::bytes_t& bytes) {
  return {reinterpret_cast<const char*>(bytes.begin()), bytes.size()};
}

bool is_xmp(std::string_view payload) {
  for (std::string_view header : xmp_headers) {
    if (payload.substr(0, header.size()) == header) return true;
  }
  return false;
}

// The TIFF data of an EXIF block, read and changed in its own byte order.
// Every access is checked against the data's end.
class tiff_t {
 public:
  explicit tiff_t(std::string& data) : d_(data), intel_(data.compare(0, 2, "II") == 0) {}

  bool valid() const { return d_.size() >= 8 && (intel_ || d_.compare(0, 2, "MM") == 0) && u16(2) == 42; }
  bool fits(uint64_t at, uint64_t n) const { return at <= d_.size() && n <= d_.size() - at; }
  uint32_t u16(uint64_t at) const { return fits(at, 2) ? get(at, 2) : 0; }
  uint32_t u32(uint64_t at) const { return fits(at, 4) ? get(at, 4) : 0; }
  void set16(uint64_t at, uint32_t v) {
    for (int i = 0; i < 2; ++i) d_[at + (intel_ ? i : 1 - i)] = static_cast<char>(v >> (8 * i));
  }
  void clear(uint64_t at, uint64_t n) {
    if (fits(at, n)) std::memset(&d_[at], 0, n);
  }

  // The GPS directory of the 0th or 1st directory, removed: its entry goes
  // (the entries after it move up) and its own bytes are cleared. Returns
  // whether the directories could be followed; *found tells whether there
  // was one.
  bool remove_gps(bool* found) {
    *found = false;
    uint64_t ifd = u32(4);
    for (int n = 0; n < 2 && ifd != 0; ++n) {
      const uint32_t count = u16(ifd);
      if (!fits(ifd, 2 + 12ull * count + 4)) return false;
      for (uint32_t i = 0; i < count; ++i) {
        const uint64_t entry = ifd + 2 + 12ull * i;
        if (u16(entry) != gps_pointer_tag) continue;
        *found = true;
        if (!clear_directory(u32(entry + 8))) return false;
        // The later entries and the next directory's offset move up; the
        // freed last 12 bytes are cleared.
        const uint64_t end = ifd + 2 + 12ull * count + 4;
        std::memmove(&d_[entry], &d_[entry + 12], end - entry - 12);
        clear(end - 12, 12);
        set16(ifd, count - 1);
        break;
      }
      ifd = u32(ifd + 2 + 12ull * u16(ifd));
    }
    return true;
  }

 private:
  uint32_t get(uint64_t at, int n) const {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
      const uint32_t byte = static_cast<unsigned char>(d_[at + (intel_ ? n - 1 - i : i)]);
      v = v << 8 | byte;
    }
    return v;
  }

  // Clears a GPS directory and the values it points to.
  bool clear_directory(uint64_t ifd) {
    static const unsigned type_size[] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
    const uint32_t count = u16(ifd);
    if (!fits(ifd, 2 + 12ull * count + 4)) return false;
    for (uint32_t i = 0; i < count; ++i) {
      const uint64_t entry = ifd + 2 + 12ull * i;
      const uint32_t type = u16(entry + 2);
      const uint64_t size = (type < 13 ? type_size[type] : 1) * uint64_t{u32(entry + 4)};
      if (size > 4) clear(u32(entry + 8), size);
    }
    clear(ifd, 2 + 12ull * count + 4);
    return true;
  }

  std::string& d_;
  bool intel_;
};

// What becomes of one segment: kept as it is, changed (payload rewritten
// into `changed`) or dropped.
enum class fate_t { keep, change, drop };

fate_t fate(unsigned char code, std::string_view payload, std::string& changed) {
  if (code != app1) return fate_t::keep;
  if (is_xmp(payload)) return payload.find("GPS") == std::string_view::npos ? fate_t::keep : fate_t::drop;
  if (payload.substr(0, exif_header.size()) != exif_header) return fate_t::keep;
  changed.assign(payload);
  std::string tiff = changed.substr(exif_header.size());
  tiff_t t(tiff);
  bool found = false;
  if (!t.valid() || !t.remove_gps(&found)) return fate_t::drop;
  if (!found) return fate_t::keep;
  changed.replace(exif_header.size(), std::string::npos, tiff);
  return fate_t::change;
}

bool segment_holds_location(unsigned char code, std::string_view payload) {
  std::string unused;
  return fate(code, payload, unused) != fate_t::keep;
}

// The segments of a JPEG file before its first scan: calls each(code,
// payload, start, end) with the segment's bytes [start, end) in data; false
// when data is no JPEG file whose segments can be walked up to a scan. Sets
// *scan to where the scan's marker begins.
template <typename Each>
bool walk_segments(std::string_view data, size_t* scan, Each each) {
  if (data.size() < 4 || static_cast<unsigned char>(data[0]) != 0xFF || static_cast<unsigned char>(data[1]) != 0xD8)
    return false;
  size_t at = 2;
  while (at + 4 <= data.size()) {
    if (static_cast<unsigned char>(data[at]) != 0xFF) return false;
    const unsigned char code = static_cast<unsigned char>(data[at + 1]);
    if (code == 0xFF) {  // fill byte before a marker
      ++at;
      continue;
    }
    if (code == 0x01 || (code >= 0xD0 && code <= 0xD7)) {  // markers without a length
      each(code, std::string_view(), at, at + 2);
      at += 2;
      continue;
    }
    if (code == 0xDA || code == 0xD9) {
      *scan = at;
      return true;
    }
    const size_t length = static_cast<unsigned char>(data[at + 2]) << 8 | static_cast<unsigned char>(data[at + 3]);
    if (length < 2 || at + 2 + length > data.size()) return false;
    each(code, data.substr(at + 4, length - 2), at, at + 2 + length);
    at += 2 + length;
  }
  return false;
}

}  // namespace

bool holds_location(const std::vector<libgr::marker_t>& markers) {
  for (const libgr::marker_t& m : markers) {
    if (segment_holds_location(m.code, view(m.data))) return true;
  }
  return false;
}

bool file_holds_location(const std::string& path) {
  libgr::jpegdata_t data;
  if (!data.load(path.c_str())) return false;
  bool holds = false;
  size_t scan = 0;
  walk_segments(view(data), &scan, [&](unsigned char code, std::string_view payload, size_t, size_t) {
    holds = holds || segment_holds_location(code, payload);
  });
  return holds;
}

void drop_location(std::vector<libgr::marker_t>& markers) {
  for (auto it = markers.begin(); it != markers.end();) {
    std::string changed;
    switch (fate(it->code, view(it->data), changed)) {
      case fate_t::keep:
        ++it;
        break;
      case fate_t::drop:
        it = markers.erase(it);
        break;
      case fate_t::change:
        libgr::bytes_t bytes;
        if (!bytes.resize(changed.size())) {
          it = markers.erase(it);  // what cannot be changed goes
          break;
        }
        std::memcpy(bytes.begin(), changed.data(), changed.size());
        it->data = bytes;
        ++it;
        break;
    }
  }
}

bool copy_without_location(const std::string& src, const std::string& dst, libutils::report_log_t& log) {
  libgr::jpegdata_t data;
  if (!data.load(src.c_str())) return libutils::fail(log, src, ": cannot be read", errno, "jpegdata load fail.");
  const std::string_view in = view(data);
  std::string out = "\xFF\xD8";
  size_t scan = 0;
  const bool walked = walk_segments(in, &scan, [&](unsigned char code, std::string_view payload, size_t start,
                                                   size_t end) {
    std::string changed;
    switch (fate(code, payload, changed)) {
      case fate_t::keep:
        out.append(in.substr(start, end - start));
        break;
      case fate_t::drop:
        break;
      case fate_t::change:
        out += '\xFF';
        out += static_cast<char>(code);
        out += static_cast<char>((changed.size() + 2) >> 8);
        out += static_cast<char>((changed.size() + 2) & 0xFF);
        out += changed;
        break;
    }
  });
  if (!walked) return libutils::fail(log, src, ": not read as a JPEG file, no copy without the location.");
  out.append(in.substr(scan));
  libgr::jpegdata_t copy;
  if (!copy.resize(out.size())) return libutils::fail(log, dst, ": no memory for the copy.");
  std::memcpy(copy.begin(), out.data(), out.size());
  if (!copy.save(dst.c_str())) return libutils::fail(log, dst, ": cannot be written", errno, "file write error.");
  return true;
}

}  // namespace pictora
