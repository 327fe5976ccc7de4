#include "libgr/loader_heif.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include <libheif/heif.h>

namespace libgr {

namespace {

// libheif counts its users; the count is taken once and kept for the life
// of the process, so that every thread finds the library ready.
void ensure_libheif() {
  static const bool ready = (heif_init(nullptr), true);
  (void)ready;
}

struct context_deleter {
  void operator()(heif_context* p) const { heif_context_free(p); }
};
struct handle_deleter {
  void operator()(const heif_image_handle* p) const { heif_image_handle_release(p); }
};
struct image_deleter {
  void operator()(const heif_image* p) const { heif_image_release(p); }
};

bool refused(jpeg_issues_t& issues, const char* reason, const heif_error& error) {
  issues.reason = reason;
  if (error.message != nullptr && *error.message != '\0') issues.complaints.push_back(error.message);
  return false;
}

// Sets the orientation entry of the TIFF data's 0th directory to 1, in the
// data's byte order; data without one, or whose directory does not fit, is
// left as it is.
void set_upright(unsigned char* tiff, uint64_t size) {
  if (size < 8) return;
  const bool intel = tiff[0] == 'I';
  const auto get = [&](uint64_t at, int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | tiff[at + (intel ? n - 1 - i : i)];
    return v;
  };
  const uint64_t ifd = get(4, 4);
  if (ifd > size - 2) return;
  const uint64_t count = get(ifd, 2);
  if (count * 12 > size - ifd - 2) return;
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t entry = ifd + 2 + 12 * i;
    if (get(entry, 2) != 0x0112 || get(entry + 2, 2) != 3) continue;
    std::memset(tiff + entry + 8, 0, 4);
    tiff[entry + 8 + (intel ? 0 : 1)] = 1;
  }
}

// The first EXIF block of the picture as a JPEG APP1 payload. libheif
// gives it as stored: four bytes that tell where the TIFF header starts
// after them, then the block.
bool read_exif(const heif_image_handle* handle, bytes_t& exif) {
  heif_item_id id = 0;
  if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) != 1) return true;
  std::vector<unsigned char> stored(heif_image_handle_get_metadata_size(handle, id));
  if (stored.size() < 4 || heif_image_handle_get_metadata(handle, id, stored.data()).code != heif_error_Ok)
    return true;  // a block that cannot be had is no block: the picture still is
  const uint64_t offset = uint64_t{stored[0]} << 24 | stored[1] << 16 | stored[2] << 8 | stored[3];
  if (offset >= stored.size() - 4) return true;
  const uint64_t tiff_size = stored.size() - 4 - offset;
  if (!exif.resize(6 + tiff_size)) return false;
  std::memcpy(exif.begin(), "Exif\0\0", 6);
  std::memcpy(exif.begin() + 6, stored.data() + 4 + offset, tiff_size);
  set_upright(exif.begin() + 6, tiff_size);
  return true;
}

// The raw ICC profile of the picture, when it has one.
bool read_icc(const heif_image_handle* handle, bytes_t& icc) {
  const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
  if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC) return true;
  const size_t size = heif_image_handle_get_raw_color_profile_size(handle);
  if (size == 0) return true;
  if (!icc.resize(size)) return false;
  if (heif_image_handle_get_raw_color_profile(handle, icc.begin()).code != heif_error_Ok) icc.clear();
  return true;
}

// Reads the boxes of file: size and EXIF block into info, the primary
// picture's handle into handle (its context into context) for a decode.
bool open(heifinfo_t& info, const std::string& file, std::unique_ptr<heif_context, context_deleter>& context,
          std::unique_ptr<const heif_image_handle, handle_deleter>& handle) {
  info.issues.clear();
  info.exif.clear();
  info.icc.clear();
  info.width = info.height = 0;
  ensure_libheif();
  context.reset(heif_context_alloc());
  if (!context) return refused(info.issues, "no memory to read it", heif_error{});
  heif_error error = heif_context_read_from_file(context.get(), file.c_str(), nullptr);
  if (error.code != heif_error_Ok) {
    const std::string why = unreadable_reason(file.c_str());
    return refused(info.issues, why.empty() ? "not a HEIF picture" : why.c_str(), error);
  }
  heif_image_handle* primary = nullptr;
  error = heif_context_get_primary_image_handle(context.get(), &primary);
  handle.reset(primary);
  if (error.code != heif_error_Ok) return refused(info.issues, "a HEIF file without a picture", error);
  // The size as the picture stands, after its rotation.
  info.width = static_cast<uint64_t>(heif_image_handle_get_width(primary));
  info.height = static_cast<uint64_t>(heif_image_handle_get_height(primary));
  if (!read_exif(primary, info.exif)) return refused(info.issues, "no memory for its EXIF block", heif_error{});
  if (!read_icc(primary, info.icc)) return refused(info.issues, "no memory for its colour profile", heif_error{});
  return true;
}

}  // namespace

bool heifinfo_t::analyze(const std::string& file) {
  std::unique_ptr<heif_context, context_deleter> context;
  std::unique_ptr<const heif_image_handle, handle_deleter> handle;
  return open(*this, file, context, handle);
}

bool heifinfo_t::decompress(image2d_t& img, const std::string& file) {
  std::unique_ptr<heif_context, context_deleter> context;
  std::unique_ptr<const heif_image_handle, handle_deleter> handle;
  if (!open(*this, file, context, handle)) return false;
  if (width * height > max_pixels) {
    issues.reason = std::to_string(width) + " x " + std::to_string(height) + " pixels, more than the limit of " +
                    std::to_string(max_pixels) + " (max_pixels)";
    return false;
  }
  heif_image* decoded = nullptr;
  heif_error error =
      heif_decode_image(handle.get(), &decoded, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr);
  std::unique_ptr<const heif_image, image_deleter> pixels(decoded);
  if (error.code != heif_error_Ok) return refused(issues, "a HEIF picture that cannot be decoded", error);
  int stride = 0;
  const uint8_t* plane = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
  const int w = heif_image_get_width(decoded, heif_channel_interleaved);
  const int h = heif_image_get_height(decoded, heif_channel_interleaved);
  if (plane == nullptr || w <= 0 || h <= 0) return refused(issues, "a HEIF picture that cannot be decoded", error);
  img.desc = image_desc_t{IMAGE_FORMAT_RGB, IMAGE_TYPE_UINT, IMAGE_BITS_8};
  img.store = &g_store_align4;
  img.window = image_window2d_t{};
  img.flag = 0;
  img.width = static_cast<uint32_t>(w);
  img.height = static_cast<uint32_t>(h);
  if (!img.allocate()) return refused(issues, "no memory for a picture of its size", heif_error{});
  // libheif's rows run top-down, the image's bottom-up.
  for (int y = 0; y < h; ++y)
    std::memcpy(img.row(static_cast<uint32_t>(h - 1 - y)), plane + int64_t{y} * stride, size_t(w) * 3);
  width = img.width;
  height = img.height;
  return true;
}

std::vector<marker_t> heifinfo_t::icc_segments() const {
  constexpr size_t header = 14, most = 65533 - header;
  std::vector<marker_t> segments;
  const size_t count = (icc.size() + most - 1) / most;
  if (count > 255) return segments;  // more than a JPEG can number: left out
  for (size_t i = 0; i < count; ++i) {
    const size_t from = i * most, size = std::min(most, icc.size() - from);
    marker_t segment{0xE2, {}};
    if (!segment.data.resize(header + size)) return {};
    std::memcpy(segment.data.begin(), "ICC_PROFILE\0", 12);
    segment.data.begin()[12] = static_cast<unsigned char>(i + 1);
    segment.data.begin()[13] = static_cast<unsigned char>(count);
    std::memcpy(segment.data.begin() + header, icc.begin() + from, size);
    segments.push_back(std::move(segment));
  }
  return segments;
}

}  // namespace libgr
