#include "tests/support/jpeg_coefs.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first

#include <jpeglib.h>

#include <string>

#include "tests/support/test_util.h"

namespace testutil {

namespace {

struct jump_error_mgr {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

void jump_error_exit(j_common_ptr cinfo) {
  longjmp(reinterpret_cast<jump_error_mgr*>(cinfo->err)->jump, 1);
}

}  // namespace

jpeg_coefficients_t read_coefficients(const std::string& jpeg) {
  jpeg_coefficients_t result;
  // Zeroed so that destroying it after an early jump does nothing.
  jpeg_decompress_struct cinfo{};
  jump_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr.pub);
  jerr.pub.error_exit = jump_error_exit;
  if (setjmp(jerr.jump)) {
    char message[JMSG_LENGTH_MAX];
    jerr.pub.format_message(reinterpret_cast<j_common_ptr>(&cinfo), message);
    jpeg_destroy_decompress(&cinfo);
    result.error = message;
    return result;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(jpeg.data()),
               static_cast<unsigned long>(jpeg.size()));
  jpeg_save_markers(&cinfo, JPEG_COM, 0xFFFF);
  for (int i = 0; i < 16; ++i) jpeg_save_markers(&cinfo, JPEG_APP0 + i, 0xFFFF);
  jpeg_read_header(&cinfo, TRUE);
  jvirt_barray_ptr* arrays = jpeg_read_coefficients(&cinfo);

  result.width = cinfo.image_width;
  result.height = cinfo.image_height;
  for (jpeg_saved_marker_ptr m = cinfo.marker_list; m != nullptr; m = m->next)
    result.markers.push_back(m->marker);
  result.components = cinfo.num_components;
  (void)arrays;  // every coefficient was read, so damaged data has been seen
  jpeg_finish_decompress(&cinfo);
  result.warnings = static_cast<int>(jerr.pub.num_warnings);
  jpeg_destroy_decompress(&cinfo);
  return result;
}

jpegtran_result run_jpegtran(const std::vector<std::string>& options, const std::string& jpeg) {
  TempDir dir;
  write_file(dir / "in.jpg", jpeg);
  std::vector<std::string> argv{"jpegtran"};
  argv.insert(argv.end(), options.begin(), options.end());
  argv.insert(argv.end(), {"-outfile", dir / "out.jpg", dir / "in.jpg"});
  jpegtran_result result;
  result.status = run_program(argv, nullptr, &result.report);
  if (exists(dir / "out.jpg")) result.jpeg = read_file(dir / "out.jpg");
  return result;
}

}  // namespace testutil
