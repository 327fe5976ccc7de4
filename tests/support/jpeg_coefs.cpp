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

void read_blocks(jpeg_decompress_struct& cinfo, jvirt_barray_ptr array,
                 jpeg_coefficients_t::component_t& comp) {
  comp.blocks.reserve(size_t{comp.width_in_blocks} * comp.height_in_blocks * DCTSIZE2);
  for (JDIMENSION y = 0; y < comp.height_in_blocks; ++y) {
    JBLOCKARRAY row = cinfo.mem->access_virt_barray(reinterpret_cast<j_common_ptr>(&cinfo),
                                                    array, y, 1, FALSE);
    for (JDIMENSION x = 0; x < comp.width_in_blocks; ++x)
      comp.blocks.insert(comp.blocks.end(), row[0][x], row[0][x] + DCTSIZE2);
  }
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
  for (int ci = 0; ci < cinfo.num_components; ++ci) {
    const jpeg_component_info& info = cinfo.comp_info[ci];
    // Filled in place: nothing with a destructor may be in scope of a jump.
    jpeg_coefficients_t::component_t& comp = result.components.emplace_back();
    comp.id = info.component_id;
    comp.h_samp = info.h_samp_factor;
    comp.v_samp = info.v_samp_factor;
    comp.width_in_blocks = info.width_in_blocks;
    comp.height_in_blocks = info.height_in_blocks;
    for (int k = 0; k < DCTSIZE2; ++k) comp.quant[k] = info.quant_table->quantval[k];
    read_blocks(cinfo, arrays[ci], comp);
  }
  jpeg_finish_decompress(&cinfo);
  result.warnings = static_cast<int>(jerr.pub.num_warnings);
  jpeg_destroy_decompress(&cinfo);
  return result;
}

std::string coefficient_difference(const jpeg_coefficients_t& expected,
                                   const jpeg_coefficients_t& actual) {
  if (!expected.error.empty() || !actual.error.empty())
    return "unreadable: expected '" + expected.error + "', actual '" + actual.error + "'";
  auto pair = [](unsigned a, unsigned b) { return std::to_string(a) + "x" + std::to_string(b); };
  if (expected.width != actual.width || expected.height != actual.height)
    return "size " + pair(expected.width, expected.height) + " != " +
           pair(actual.width, actual.height);
  if (expected.components.size() != actual.components.size())
    return "component count " + std::to_string(expected.components.size()) +
           " != " + std::to_string(actual.components.size());
  for (size_t ci = 0; ci < expected.components.size(); ++ci) {
    const auto& e = expected.components[ci];
    const auto& a = actual.components[ci];
    const std::string where = "component " + std::to_string(ci) + ": ";
    if (e.id != a.id) return where + "id " + std::to_string(e.id) + " != " + std::to_string(a.id);
    if (e.h_samp != a.h_samp || e.v_samp != a.v_samp)
      return where + "sampling " + pair(e.h_samp, e.v_samp) + " != " + pair(a.h_samp, a.v_samp);
    if (e.width_in_blocks != a.width_in_blocks || e.height_in_blocks != a.height_in_blocks)
      return where + "blocks " + pair(e.width_in_blocks, e.height_in_blocks) + " != " +
             pair(a.width_in_blocks, a.height_in_blocks);
    for (size_t k = 0; k < e.quant.size(); ++k)
      if (e.quant[k] != a.quant[k])
        return where + "quantisation step " + std::to_string(k) + ": " +
               std::to_string(e.quant[k]) + " != " + std::to_string(a.quant[k]);
    for (size_t i = 0; i < e.blocks.size(); ++i) {
      if (e.blocks[i] != a.blocks[i]) {
        const size_t block = i / DCTSIZE2;
        return where + "block (" + std::to_string(block % e.width_in_blocks) + ", " +
               std::to_string(block / e.width_in_blocks) + ") coefficient " +
               std::to_string(i % DCTSIZE2) + ": " + std::to_string(e.blocks[i]) +
               " != " + std::to_string(a.blocks[i]);
      }
    }
  }
  return "";
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
