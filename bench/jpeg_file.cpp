#include "bench/jpeg_file.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include <jpeglib.h>

namespace bench {

namespace {

// Compresses image through the destination that `set_dest` gives cinfo.
template <typename SetDest>
void compress(const rgb_image& image, int quality, const std::string& app1, SetDest set_dest) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);  // an error ends the program: bad set-up
  jpeg_create_compress(&cinfo);
  set_dest(cinfo);
  cinfo.image_width = image.width;
  cinfo.image_height = image.height;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  if (!app1.empty())
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, reinterpret_cast<const JOCTET*>(app1.data()),
                      static_cast<unsigned>(app1.size()));
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(image.row(cinfo.next_scanline));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
}

FILE* open_file(const std::string& path, const char* mode) {
  FILE* f = std::fopen(path.c_str(), mode);
  if (f == nullptr) throw std::runtime_error(path + (*mode == 'r' ? ": cannot read" : ": cannot write"));
  return f;
}

}  // namespace

std::string encode_jpeg(const rgb_image& image, int quality, const std::string& app1) {
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  compress(image, quality, app1, [&](jpeg_compress_struct& cinfo) { jpeg_mem_dest(&cinfo, &buffer, &size); });
  std::string bytes(reinterpret_cast<char*>(buffer), size);
  std::free(buffer);
  return bytes;
}

void encode_jpeg(const rgb_image& image, int quality, const std::string& app1, const std::string& path) {
  FILE* out = open_file(path, "wb");
  compress(image, quality, app1, [&](jpeg_compress_struct& cinfo) { jpeg_stdio_dest(&cinfo, out); });
  if (std::fclose(out) != 0) throw std::runtime_error(path + ": cannot write");
}

void decode_jpeg(const std::string& path, rgb_image& image, std::string* app1) {
  FILE* in = open_file(path, "rb");
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr jerr;
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, in);
  if (app1) jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  if (app1) {
    app1->clear();
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next)
      if (m->marker == JPEG_APP0 + 1) {
        app1->assign(reinterpret_cast<const char*>(m->data), m->data_length);
        break;
      }
  }
  jpeg_start_decompress(&cinfo);
  image.width = cinfo.output_width;
  image.height = cinfo.output_height;
  image.allocate();
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = image.row(cinfo.output_scanline);
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  std::fclose(in);
}

void write_whole(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error(path + ": cannot write");
}

}  // namespace bench
