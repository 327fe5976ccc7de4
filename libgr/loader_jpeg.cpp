#include "libgr/loader_jpeg.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include <jerror.h>

#include "libutils/common.h"
#include "libutils/dirutil.h"

namespace libgr {

const unsigned char marker_array[e_marker_max] = {
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7,
    0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xFE,
};

namespace {

constexpr size_t k_dest_step = 1024 * 1024;

bool write_all(int fd, const unsigned char* p, size_t n) {
  while (n > 0) {
    const ssize_t done = ::write(fd, p, n);
    if (done < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += done;
    n -= static_cast<size_t>(done);
  }
  return true;
}

// ---- memory source ----

struct source_mgr {
  jpeg_source_mgr pub;
  const jpegdata_t* data;
  bool handed;     // the data went to libjpeg already
  bool exhausted;  // libjpeg asked for more than the data holds
  std::vector<marker_t>* kept;  // where keep_segment puts APPn and COM segments
};

void init_source(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<source_mgr*>(cinfo->src);
  src->pub.next_input_byte = nullptr;
  src->pub.bytes_in_buffer = 0;
}

// The first call hands over all the data at once. A later call means the
// data ended before the picture did; handing the data again would make the
// decoder read the file's start as picture data, so it gets an end-of-image
// marker and a premature-end warning instead, as libjpeg's own memory source
// does. libjpeg never gets an empty buffer from here.
boolean fill_input_buffer(j_decompress_ptr cinfo) {
  static const JOCTET k_eoi[2] = {0xFF, JPEG_EOI};
  auto* src = reinterpret_cast<source_mgr*>(cinfo->src);
  if (!src->handed && !src->data->empty()) {
    src->handed = true;
    src->pub.next_input_byte = src->data->begin();
    src->pub.bytes_in_buffer = src->data->size();
    return TRUE;
  }
  src->handed = true;
  src->exhausted = true;
  WARNMS(cinfo, JWRN_JPEG_EOF);
  src->pub.next_input_byte = k_eoi;
  src->pub.bytes_in_buffer = sizeof k_eoi;
  return TRUE;
}

void skip_input_data(j_decompress_ptr cinfo, long num_bytes) {
  if (num_bytes <= 0) return;
  jpeg_source_mgr* src = cinfo->src;
  const size_t n = std::min(static_cast<size_t>(num_bytes), src->bytes_in_buffer);
  src->next_input_byte += n;
  src->bytes_in_buffer -= n;
}

void term_source(j_decompress_ptr) {}

// What libjpeg learns from a JFIF APP0 and an Adobe APP14 segment when it
// reads them itself: the colour space of a three- or four-component picture
// follows from them.
void examine_segment(j_decompress_ptr cinfo, const JOCTET* p, size_t n) {
  if (cinfo->unread_marker == JPEG_APP0 && n >= 14 && std::memcmp(p, "JFIF", 5) == 0) {
    cinfo->saw_JFIF_marker = TRUE;
    cinfo->JFIF_major_version = p[5];
    cinfo->JFIF_minor_version = p[6];
    cinfo->density_unit = p[7];
    cinfo->X_density = static_cast<UINT16>(p[8] << 8 | p[9]);
    cinfo->Y_density = static_cast<UINT16>(p[10] << 8 | p[11]);
  } else if (cinfo->unread_marker == JPEG_APP0 + 14 && n >= 12 && std::memcmp(p, "Adobe", 5) == 0) {
    cinfo->saw_Adobe_marker = TRUE;
    cinfo->Adobe_transform = p[11];
  }
}

// The processor of every APPn and COM segment. libjpeg's own one for saved
// segments appends each to its list by walking the list, so a file of many
// segments takes quadratic time; this one appends in constant time, and
// keeps the payload as a window into the data instead of a copy. A segment
// that the data cuts short is skipped, not kept.
boolean keep_segment(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<source_mgr*>(cinfo->src);
  size_t length = 0;
  for (int i = 0; i < 2; ++i) {
    if (src->pub.bytes_in_buffer == 0) (*src->pub.fill_input_buffer)(cinfo);
    length = length << 8 | *src->pub.next_input_byte++;
    --src->pub.bytes_in_buffer;
  }
  if (length < 2) return TRUE;  // a bogus length: nothing to keep or skip
  const size_t payload = length - 2;
  const size_t held = src->exhausted ? 0 : std::min(payload, src->pub.bytes_in_buffer);
  examine_segment(cinfo, src->pub.next_input_byte, held);
  if (payload != 0 && held == payload) {
    marker_t m;
    m.code = static_cast<unsigned char>(cinfo->unread_marker);
    m.data.setwindow(*src->data, src->pub.next_input_byte - src->data->begin(), payload);
    src->kept->push_back(m);
  }
  skip_input_data(cinfo, static_cast<long>(payload));
  return TRUE;
}

// ---- memory destination ----

struct dest_mgr {
  jpeg_destination_mgr pub;
  jpegdata_t* out;
};

// A block that cannot grow is libjpeg's out-of-memory error (which ends the
// process under the standard error handling used for writing).
void grow_dest(j_compress_ptr cinfo, size_t written) {
  auto* dest = reinterpret_cast<dest_mgr*>(cinfo->dest);
  if (!dest->out->resize(written + k_dest_step)) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  dest->pub.next_output_byte = dest->out->begin() + written;
  dest->pub.free_in_buffer = k_dest_step;
}

void init_destination(j_compress_ptr cinfo) { grow_dest(cinfo, 0); }

boolean empty_output_buffer(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<dest_mgr*>(cinfo->dest);
  grow_dest(cinfo, dest->out->size());
  return TRUE;
}

void term_destination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<dest_mgr*>(cinfo->dest);
  if (!dest->out->resize(dest->out->size() - dest->pub.free_in_buffer))
    ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
}

struct layout_t {
  e_image_format_t format;
  J_COLOR_SPACE space;
  int components;
};

// The pixel descriptions the adapter converts, all 8-bit unsigned.
const layout_t s_layouts[] = {
    {IMAGE_FORMAT_RGB, JCS_RGB, 3},
    {IMAGE_FORMAT_YCbCr, JCS_YCbCr, 3},
    {IMAGE_FORMAT_GRAYSCALE, JCS_GRAYSCALE, 1},
};

const layout_t* find_layout(const image_desc_t& desc) {
  if (desc.type != IMAGE_TYPE_UINT || desc.bits != IMAGE_BITS_8) return nullptr;
  for (const layout_t& l : s_layouts)
    if (l.format == desc.format) return &l;
  return nullptr;
}

// Fills img with the background colour (the frame left around the picture).
void fill_background(image2d_t& img, const color3ub_t& background) {
  const uint32_t components = format_components(img.desc.format);
  const unsigned char rgb[3] = {background.r, background.g, background.b};
  for (uint32_t y = 0; y < img.height; ++y) {
    unsigned char* row = img.row(y);
    for (uint32_t x = 0; x < img.width; ++x)
      // A grayscale frame takes the colour's red value.
      std::memcpy(row + uint64_t{x} * components, rgb, components);
  }
}

}  // namespace

void jpeg_issues_t::clear() {
  reason.clear();
  complaints.clear();
}

std::string jpeg_issues_t::detail() const {
  std::string out;
  for (const std::string& complaint : complaints) out += (out.empty() ? "" : "; ") + complaint;
  return out;
}

jpeg_error_mgr* error_to_issues(my_error_mgr& err, jpeg_issues_t& issues) {
  jpeg_std_error(&err.pub);
  err.issues = &issues;
  err.pub.error_exit = my_error_exit;
  err.pub.output_message = [](j_common_ptr cinfo) {
    char text[JMSG_LENGTH_MAX];
    (*cinfo->err->format_message)(cinfo, text);
    jpeg_issues_t& issues = *reinterpret_cast<my_error_mgr*>(cinfo->err)->issues;
    issues.complaints.push_back(text);
    // A warning that the data ran out says why a picture is not whole.
    if (cinfo->err->msg_code == JWRN_JPEG_EOF && issues.reason.empty())
      issues.reason = "the picture data ends early";
  };
  return &err.pub;
}

void my_error_exit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<my_error_mgr*>(cinfo->err);
  libutils::error();
  err->issues->complaints.push_back("error detected.");
  switch (cinfo->err->msg_code) {
    case JERR_INPUT_EMPTY:
      err->issues->reason = "empty file";
      break;
    case JERR_NO_SOI:
      err->issues->reason = err->empty_source ? "empty file" : "not a JPEG picture";
      break;
    default:
      // Data that ran out before the error says more than the error.
      if (err->issues->reason.empty()) err->issues->reason = "damaged picture data";
  }
  (*cinfo->err->output_message)(cinfo);
  longjmp(err->setjmp_buffer, 1);
}

void set_jpegimage_src(j_decompress_ptr cinfo, const jpegdata_t& data) {
  if (cinfo->src == nullptr) {
    cinfo->src = static_cast<jpeg_source_mgr*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(source_mgr)));
  }
  auto* src = reinterpret_cast<source_mgr*>(cinfo->src);
  src->pub.init_source = init_source;
  src->pub.fill_input_buffer = fill_input_buffer;
  src->pub.skip_input_data = skip_input_data;
  src->pub.resync_to_restart = jpeg_resync_to_restart;
  src->pub.term_source = term_source;
  src->pub.next_input_byte = nullptr;
  src->pub.bytes_in_buffer = 0;
  src->data = &data;
  src->handed = false;
  src->exhausted = false;
  src->kept = nullptr;
}

bool jpegimage_src_exhausted(j_decompress_ptr cinfo) {
  return reinterpret_cast<const source_mgr*>(cinfo->src)->exhausted;
}

bool within_pixel_limit(const jpeg_decompress_struct& cinfo, uint64_t max_pixels, jpeg_issues_t& issues) {
  if (uint64_t{cinfo.image_width} * cinfo.image_height <= max_pixels) return true;
  libutils::error();
  issues.reason = std::to_string(cinfo.image_width) + " x " + std::to_string(cinfo.image_height) +
                  " pixels, more than the limit of " + std::to_string(max_pixels) + " (max_pixels)";
  return false;
}

bool is_exif_payload(const bytes_t& bytes) {
  return bytes.size() >= 6 && std::memcmp(bytes.begin(), "Exif\0\0", 6) == 0;
}

std::string unreadable_reason(const char* filename) {
  struct stat info;
  if (::stat(filename, &info) != 0) return std::strerror(errno);
  if (S_ISDIR(info.st_mode)) return std::strerror(EISDIR);
  if (!S_ISREG(info.st_mode)) return "not a regular file";
  const int fd = ::open(filename, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::strerror(errno);
  ::close(fd);
  return "";
}

void set_jpegimage_dest(j_compress_ptr cinfo, jpegdata_t& out) {
  if (cinfo->dest == nullptr) {
    cinfo->dest = static_cast<jpeg_destination_mgr*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(dest_mgr)));
  }
  auto* dest = reinterpret_cast<dest_mgr*>(cinfo->dest);
  dest->pub.init_destination = init_destination;
  dest->pub.empty_output_buffer = empty_output_buffer;
  dest->pub.term_destination = term_destination;
  // Nothing is offered until libjpeg starts: terminating before that leaves
  // `out` empty.
  dest->pub.next_output_byte = nullptr;
  dest->pub.free_in_buffer = 0;
  dest->out = &out;
}

// ---- jpegdata_t ----

bool jpegdata_t::load(const char* filename, android_app* app) {
  if (!load(0, filename, libutils::e_prot_readonly, 0, false, app)) return false;
  name = filename;
  return true;
}

// The bytes go to a fresh file beside the target that is then renamed over
// it: a crash never leaves a partial file under the target's name, and a link
// at that name is replaced rather than written through. Unlike deleting the
// target first, a failed write leaves the old file in place.
bool jpegdata_t::save(const char* filename, android_app*) {
  const std::string temp = libutils::create_temp_beside(filename);
  if (temp.empty()) return false;
  const int fd = ::open(temp.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) {
    ::unlink(temp.c_str());
    return false;
  }
  const bool written = write_all(fd, begin(), size());
  if (::close(fd) != 0 || !written || ::rename(temp.c_str(), filename) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  name = filename;
  return true;
}

void jpegdata_t::setvector(bytes_t& bytes, const char* name) {
  bytes_t::operator=(bytes);
  this->name = name;
}

// ---- jpeginfo_t ----

void jpeginfo_t::open(jpeg_decompress_struct& cinfo, my_error_mgr& jerr, const jpegdata_t& data) {
  markers.clear();
  components = 0;
  complete = false;
  issues.clear();
  cinfo.err = error_to_issues(jerr, issues);
  // The source manager ends a file that runs out with a made-up end marker,
  // so libjpeg would call an empty file one that is no JPEG.
  if (data.empty()) jerr.empty_source = true;
  jpeg_create_decompress(&cinfo);
  set_jpegimage_src(&cinfo, data);
  reinterpret_cast<source_mgr*>(cinfo.src)->kept = &markers;
  jpeg_set_marker_processor(&cinfo, JPEG_COM, keep_segment);
  for (int i = 0; i < 16; ++i) jpeg_set_marker_processor(&cinfo, JPEG_APP0 + i, keep_segment);
  jpeg_read_header(&cinfo, TRUE);
  width = cinfo.image_width;
  height = cinfo.image_height;
  components = cinfo.num_components;
}

bool jpeginfo_t::analyze_markers(jpegdata_t& data) {
  jpeg_decompress_struct cinfo;
  my_error_mgr jerr;
  if (setjmp(jerr.setjmp_buffer)) {
    jpeg_destroy_decompress(&cinfo);
    markers.clear();
    issues.complaints.push_back("jpeg decompress fail, stop.");
    return false;
  }
  open(cinfo, jerr, data);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

// With align 0 and border false the image is the picture's size; the other
// settings place the picture at the start of the buffer's rows and columns
// (inside the frame when there is one), the rest zeroed or framed.
bool jpeginfo_t::decompress(image2d_t& img, jpegdata_t& data, unsigned short align, bool border,
                            const color3ub_t& background) {
  jpeg_decompress_struct cinfo;
  my_error_mgr jerr;
  const auto refuse = [&] {
    jpeg_destroy_decompress(&cinfo);
    markers.clear();
    return false;
  };
  if (setjmp(jerr.setjmp_buffer)) {
    issues.complaints.push_back("jpeg decompress fail, stop.");
    return refuse();
  }
  open(cinfo, jerr, data);

  e_image_format_t format;
  if (cinfo.num_components == 3 && cinfo.out_color_space == JCS_RGB) {
    format = IMAGE_FORMAT_RGB;
  } else if (cinfo.num_components == 1 && cinfo.out_color_space == JCS_GRAYSCALE) {
    format = IMAGE_FORMAT_GRAYSCALE;
  } else {
    libutils::error();
    issues.reason = "a picture of " + std::to_string(cinfo.num_components) +
                    " components; only colour and grayscale pictures are decoded";
    return refuse();
  }
  if (!within_pixel_limit(cinfo, max_pixels, issues)) return refuse();

  const uint32_t frame = border ? 1 : 0;
  uint32_t w = cinfo.image_width + 2 * frame;
  uint32_t h = cinfo.image_height + 2 * frame;
  if (align != 0) {
    const uint32_t side = (std::max(w, h) + align - 1) / align * align;
    w = h = side;
  }
  img.desc = image_desc_t{format, IMAGE_TYPE_UINT, IMAGE_BITS_8};
  img.store = &g_store_align4;
  // A decoded picture starts at the buffer's first byte.
  img.window = image_window2d_t{};
  img.flag = 0;
  img.width = w;
  img.height = h;
  if (!img.allocate()) {
    issues.reason = "no memory for a picture of its size";
    issues.complaints.push_back("allocate() fail.");
    return refuse();
  }
  if (border) fill_background(img, background);

  if (setjmp(jerr.setjmp_buffer)) {
    jpeg_destroy_decompress(&cinfo);
    issues.complaints.push_back("jpeg decompress fail, but continue.");
    return true;
  }
  jpeg_start_decompress(&cinfo);
  const uint64_t column = uint64_t{frame} * cinfo.output_components;
  // Instead of peeking into libjpeg's private decoder state, the loop asks
  // the memory source whether the data ran out (see fill_input_buffer).
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = img.row(frame + cinfo.output_height - 1 - cinfo.output_scanline) + column;
    if (jpeg_read_scanlines(&cinfo, &row, 1) == 0 || jpegimage_src_exhausted(&cinfo)) {
      issues.complaints.push_back("decompress fail.");
      break;
    }
  }
  // Finishing with rows missing is a libjpeg error: it lands at the jump point.
  jpeg_finish_decompress(&cinfo);
  complete = !jpegimage_src_exhausted(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

bool jpeginfo_t::compress(jpegdata_t& out, const image2d_t& img, int quality, bool baseline) {
  out.clear();
  // The bytes about to be written were made in memory and belong to no file.
  out.name = nullptr;
  jpeg_compress_struct cinfo;
  my_error_mgr jerr;
  cinfo.err = error_to_issues(jerr, issues);
  // Errors of the encoder (out of memory) end the process, as libjpeg's own
  // handling does: nothing in this call can be left half done.
  jerr.pub.error_exit = jpeg_std_error(&jerr.pub)->error_exit;
  jpeg_create_compress(&cinfo);
  set_jpegimage_dest(&cinfo, out);
  cinfo.image_width = img.width;
  cinfo.image_height = img.height;

  const layout_t* layout = find_layout(img.desc);
  if (layout == nullptr) {
    (*cinfo.dest->term_destination)(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return false;
  }
  cinfo.in_color_space = layout->space;
  cinfo.input_components = layout->components;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, baseline ? TRUE : FALSE);
  jpeg_start_compress(&cinfo, TRUE);

  for (const marker_t& m : markers)
    jpeg_write_marker(&cinfo, m.code, m.data.begin(), static_cast<unsigned>(m.data.size()));

  while (cinfo.next_scanline < cinfo.image_height) {
    // libjpeg's row pointer is not const, but it only reads input rows.
    JSAMPROW row = const_cast<unsigned char*>(img.row(img.height - 1 - cinfo.next_scanline));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

bytes_t jpeginfo_t::get_marker(e_marker_num_t n) const {
  if (n < 0 || n >= e_marker_max) return bytes_t();
  for (const marker_t& m : markers)
    if (m.code == marker_array[n]) return m.data;
  return bytes_t();
}

bytes_t jpeginfo_t::get_exif() const {
  for (const marker_t& m : markers)
    if (m.code == marker_array[e_marker_app1] && is_exif_payload(m.data)) return m.data;
  return bytes_t();
}

}  // namespace libgr
