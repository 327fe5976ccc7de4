// A small EXIF/TIFF writer for building test pictures: the APP1 payload
// ("Exif\0\0" + TIFF data) of a camera picture, with chosen tags in the 0th,
// EXIF, GPS and 1st directories, an embedded thumbnail, and maker notes laid
// out as cameras write them.
//
//   using namespace std::string_literals;         // for bytes with zeros: "..."s
//   testutil::tiff_ifd olympus;
//   olympus.short_(0x100B, {1});
//   testutil::exif_block exif;                     // little-endian ("II")
//   exif.ifd0.ascii(0x010F, "OLYMPUS IMAGING CORP.").short_(0x0112, {6});
//   exif.exif.rational(0x829A, {{1, 125}});
//   exif.exif.makernote({"OLYMP\0\1\0"s, olympus});
//   exif.thumbnail = testutil::make_jpeg({160, 120});
//   std::string app1 = exif.app1_payload();
//
// Directories are built with tiff_ifd; each adder appends one entry and
// returns the directory for chaining. Entries are written in ascending tag
// order whatever the order they were added in; values of more than 4 bytes
// go to a data area right after the directory, at even offsets. Numbers are
// written in the block's byte order; `raw` bytes are written as given.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace testutil {

// TIFF field types.
enum tiff_type : uint16_t {
  TIFF_BYTE = 1,
  TIFF_ASCII = 2,
  TIFF_SHORT = 3,
  TIFF_LONG = 4,
  TIFF_RATIONAL = 5,
  TIFF_SBYTE = 6,
  TIFF_UNDEFINED = 7,
  TIFF_SSHORT = 8,
  TIFF_SLONG = 9,
  TIFF_SRATIONAL = 10,
  TIFF_FLOAT = 11,
  TIFF_DOUBLE = 12,
  TIFF_IFD = 13,
};

class tiff_ifd;

// A maker note: `header` bytes (the maker's signature, e.g. "OLYMP\0\1\0" or
// "OM SYSTEM\0\0\0II\4\0") followed by a directory. Offsets inside the
// directory count from the maker note's first byte, or from the start of the
// TIFF data when `tiff_relative` is set (older Olympus and Pentax "AOC"
// layouts).
struct makernote_t {
  std::string header;
  std::shared_ptr<const tiff_ifd> ifd;
  bool tiff_relative = false;
  makernote_t(std::string header, const tiff_ifd& ifd, bool tiff_relative = false);
};

class tiff_ifd {
 public:
  using urational = std::pair<uint32_t, uint32_t>;
  using srational = std::pair<int32_t, int32_t>;

  tiff_ifd& byte(uint16_t tag, const std::vector<uint8_t>& values);
  // The text and its terminating zero byte (count = size + 1).
  tiff_ifd& ascii(uint16_t tag, const std::string& text);
  tiff_ifd& short_(uint16_t tag, const std::vector<uint16_t>& values);
  tiff_ifd& long_(uint16_t tag, const std::vector<uint32_t>& values);
  tiff_ifd& rational(uint16_t tag, const std::vector<urational>& values);
  tiff_ifd& undefined(uint16_t tag, const std::string& bytes);
  tiff_ifd& srational_(uint16_t tag, const std::vector<srational>& values);
  // Any type and count with the value's bytes exactly as given (they are not
  // converted to the byte order), e.g. an Orientation of type LONG or a count
  // that does not match the bytes.
  tiff_ifd& raw(uint16_t tag, uint16_t type, uint32_t count, const std::string& bytes);
  // An entry whose 32-bit value field holds `field` as it is: an offset that
  // points anywhere (past the end, into another structure).
  tiff_ifd& offset_field(uint16_t tag, uint16_t type, uint32_t count, uint32_t field);
  // A LONG pointing at `child`, which is written after this directory's data
  // (ExifIFDPointer, GPSInfoIFDPointer, the newer Olympus sub-directories).
  tiff_ifd& sub_ifd(uint16_t tag, const tiff_ifd& child);
  // A LONG pointing at `bytes`, which are written after this directory's
  // data (JPEGInterchangeFormat; add the length tag yourself).
  tiff_ifd& data_pointer(uint16_t tag, const std::string& bytes);
  // MakerNote (0x927C, UNDEFINED) holding the maker note's bytes.
  tiff_ifd& makernote(const makernote_t& note);

  bool empty() const { return entries_.empty(); }

  // The directory, its data area and everything it points at, laid out as
  // if its first byte sits at offset `at` from the point that its offsets
  // count from. `next` is the next-directory offset after the entries.
  std::string write(bool big_endian, uint32_t at, uint32_t next = 0) const;

 private:
  struct entry_t;
  std::vector<std::shared_ptr<const entry_t>> entries_;

  tiff_ifd& add(std::shared_ptr<entry_t> e);
  template <typename T>
  tiff_ifd& numbers(uint16_t tag, uint16_t type, const std::vector<T>& values);
};

// The EXIF data of one picture.
struct exif_block {
  bool big_endian = false;  // "MM" instead of "II"
  uint16_t magic = 42;      // other values make a broken header
  tiff_ifd ifd0;            // ExifIFDPointer / GPSInfoIFDPointer are added
  tiff_ifd exif;            // when these are not empty
  tiff_ifd gps;
  tiff_ifd ifd1;            // the thumbnail's directory
  std::string thumbnail;    // JPEG bytes; adds 0x0201/0x0202 to ifd1

  // The TIFF data: header, 0th directory at offset 8, the 1st after it.
  std::string tiff() const;
  // "Exif\0\0" followed by tiff().
  std::string app1_payload() const;
};

// Settings of a typical camera picture, for tests that need plausible EXIF
// data rather than particular bytes.
struct camera_settings {
  std::string make = "Pictora";
  std::string model = "Test Camera";
  uint16_t orientation = 1;  // 0: no Orientation tag
  std::string datetime = "2024:05:01 10:20:30";
  tiff_ifd::urational exposure_time{1, 125};
  tiff_ifd::urational fnumber{28, 10};
  uint16_t iso = 200;
  tiff_ifd::srational exposure_bias{-1, 3};
  tiff_ifd::urational focal_length{50, 1};
  std::string thumbnail;  // JPEG bytes, none when empty
  bool big_endian = false;
};

// Make, Model, Orientation, DateTime, resolutions in the 0th directory;
// exposure time, f-number, ISO, DateTimeOriginal, bias, focal length, colour
// space in the EXIF directory; the thumbnail when given.
exif_block camera_exif(const camera_settings& settings);

}  // namespace testutil
