// The bridge between the system's buffers and libjpeg (6.2 interface): a JPEG
// file held in memory, decoding it into a bottom-up image2d_t, encoding an
// image2d_t into a new file, and the APPn/COM segments of the file last read.
// The memory source and destination and the jumping error exit are shared
// with the lossless transform.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <string>
#include <vector>

#include <jpeglib.h>

#include "libgr/imagetype.h"
#include "libgr/pixel_limit.h"
#include "libutils/alloc_mmap_win.h"
#include "libutils/ofsvector.h"

namespace libgr {

using bytes_t = libutils::ofsvector<unsigned char, libutils::alloc_mmap_win>;

// A JPEG file's bytes and the name it was loaded from or saved to. The name
// is the caller's pointer (null for data made in memory) and only appears in
// reports.
class jpegdata_t : public bytes_t {
 public:
  using bytes_t::load;

  const char* name = nullptr;

  // Maps the whole file read-only; the name is kept on success.
  bool load(const char* filename, android_app* app = nullptr);
  // Writes every byte to `filename`, replacing what is there (a link at that
  // name is replaced, never written through); no report.
  bool save(const char* filename, android_app* app = nullptr);
  // Shares `bytes` and records `name`.
  void setvector(bytes_t& bytes, const char* name);
};

// Index into marker_array, the segments the adapter keeps.
enum e_marker_num_t : int {
  e_marker_app0 = 0,
  e_marker_app1 = 1,
  e_marker_app15 = 15,
  e_marker_com = 16,
  e_marker_max = 17,
};

// Marker codes by e_marker_num_t: 0xE0 to 0xEF (APP0 to APP15), then 0xFE (COM).
extern const unsigned char marker_array[e_marker_max];

// What reading a JPEG file found wrong, kept for its caller's report: the
// codec writes no report of its own.
struct jpeg_issues_t {
  // Why the picture cannot be had, or had whole, in plain words ("empty
  // file", "not a JPEG picture", "the picture data ends early", ...); ""
  // when the read went through cleanly.
  std::string reason;
  // libjpeg's own messages and the adapter's, in the order they came.
  std::vector<std::string> complaints;

  void clear();
  // The complaints joined by "; ", for a report's detail line.
  std::string detail() const;
};

// A kept segment: its marker code and its own copy of the payload.
struct marker_t {
  unsigned char code = 0;
  bytes_t data;
};

struct my_error_mgr;

class jpeginfo_t {
 public:
  uint64_t width = 0;   // of the last file read
  uint64_t height = 0;
  int components = 0;   // of the last file read; 0 when its header was not read
  // The last decompress read every row of the picture: its data did not end
  // early and libjpeg met no error.
  bool complete = false;
  // Complete APPn and COM segments in file order. Each payload is a window
  // into the data that was read, which it keeps alive.
  std::vector<marker_t> markers;
  // The largest picture decode() takes, in pixels; the settings' max_pixels.
  uint64_t max_pixels = default_pixel_limit;
  // What the last analyze_markers or decompress found wrong.
  jpeg_issues_t issues;

  // Reads the header: size and kept segments. On a libjpeg error notes
  // "jpeg decompress fail, stop." in issues and returns false.
  bool analyze_markers(jpegdata_t& data);
  // Decodes into img (bottom-up rows). `align` != 0 makes the image a square
  // whose side is the picture's larger side rounded up to a multiple of
  // `align`; `border` adds a one-pixel frame of `background`. False for
  // header errors, for colour spaces other than RGB and grayscale, and for
  // pictures of more pixels than max_pixels (refused with their size before
  // anything is allocated); a picture damaged further on decodes as far as
  // it goes and gives true, with the reason in issues.
  bool decompress(image2d_t& img, jpegdata_t& data, unsigned short align, bool border,
                  const color3ub_t& background);
  // Encodes img into out with the kept segments of the last file read.
  // False only when img's pixel description cannot be encoded.
  bool compress(jpegdata_t& out, const image2d_t& img, int quality, bool baseline);
  // Payload of the first kept segment with marker_array[n]'s code; empty when
  // there is none or n is outside 0 to 16.
  bytes_t get_marker(e_marker_num_t n) const;
  // Payload of the first kept APP1 segment that holds an EXIF block (it
  // begins with "Exif", 0, 0), wherever it stands among the APP1 segments:
  // editing programs put an XMP packet in the first one. Empty when none.
  bytes_t get_exif() const;

 private:
  // Starts reading `data`: the jumping error exit, the memory source, every
  // APPn and COM segment kept into `markers`, the header read. The caller
  // has set the jump point.
  void open(jpeg_decompress_struct& cinfo, my_error_mgr& jerr, const jpegdata_t& data);
};

// libjpeg's error record extended with the jump back into the running
// operation and where its messages go.
struct my_error_mgr {
  jpeg_error_mgr pub;
  jmp_buf setjmp_buffer;
  jpeg_issues_t* issues;
  bool empty_source = false;  // the data has no byte at all
};

// jpeg_std_error(&err.pub) whose messages are noted in issues instead of
// going to the C library's stderr, with my_error_exit as its error exit.
jpeg_error_mgr* error_to_issues(my_error_mgr& err, jpeg_issues_t& issues);

// Error exit for coders whose err points at a my_error_mgr: calls the
// error() hook, notes "error detected.", libjpeg's message and the reason in
// plain words, then longjmps to setjmp_buffer.
void my_error_exit(j_common_ptr cinfo);

// Makes `data` the decompressor's input. `data` must outlive the
// decompressor. When libjpeg asks for more than the data holds, it gets an
// end-of-image marker and a premature-end warning.
void set_jpegimage_src(j_decompress_ptr cinfo, const jpegdata_t& data);
// True once the source had to make up an end of image because the data
// ended early.
bool jpegimage_src_exhausted(j_decompress_ptr cinfo);

// False, with the reason naming its size noted in issues, when the picture
// whose header cinfo has read has more pixels than max_pixels.
bool within_pixel_limit(const jpeg_decompress_struct& cinfo, uint64_t max_pixels, jpeg_issues_t& issues);

// Whether `bytes` begins with the EXIF header "Exif", 0, 0.
bool is_exif_payload(const bytes_t& bytes);

// The system's text for why `filename` cannot be read ("No such file or
// directory", "Is a directory", ...); empty when it can be opened.
std::string unreadable_reason(const char* filename);

// Makes `out` the compressor's output: the buffer grows in 1 MiB steps and is
// cut to the encoded length when compression finishes.
void set_jpegimage_dest(j_compress_ptr cinfo, jpegdata_t& out);

}  // namespace libgr
