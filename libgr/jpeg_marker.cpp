// The baseline segment records and the APP1 record (its EXIF directories are
// read in exif.cpp). Every read stays inside the segment's payload; where the
// format leaves a case open, this parser decides:
// - a SOF0 payload shorter than its 6-byte header is "broken JPEG data.", as
//   is one shorter than 6 + 3 x Nf; a sampling factor of 0 is "invalid JPEG
//   data." (it cannot divide the largest factor);
// - a DHT table whose counts or symbols run past the payload, whose counts add
//   up to more than 255 (the total is kept in 8 bits), or an eighth table in
//   one segment is "broken JPEG data.";
// - a Huffman symbol of a run without data bits is reported at the first one
//   found, and the segment is rejected there;
// - of several segments of one kind the last parsed is kept; a Huffman table
//   stays until a later segment redefines the same class and identifier.
#include "libgr/jpeg_marker.h"

#include <cstring>

#include "libgr/jpeg_common.h"
#include "libgr/jpeg_in_bitfields.h"

namespace libgr {

namespace {

const char s_broken[] = "broken JPEG data.";
const char s_invalid[] = "invalid JPEG data.";

// Natural-order index of the k-th coefficient in zig-zag order.
const unsigned char s_zigzag[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

constexpr size_t dqt_table_size = 65;  // Pq/Tq byte and 64 8-bit values

}  // namespace

bool sof0_marker_t::parse() {
  complaints.clear();
  const size_t size = buffer.size();
  const unsigned char* p = buffer.begin();
  if (size < 6) {
    report_error(complaints, s_broken);
    return false;
  }
  sample_precision = p[0];
  number_of_lines = get_be16(p + 1);
  samples_per_line = get_be16(p + 3);
  number_of_components = p[5];
  if (sample_precision != 8) {
    report_error(complaints, "not support JPEG data. sample_precision=", unsigned{sample_precision});
    return false;
  }
  if (size < 6 + 3 * size_t{number_of_components}) {
    report_error(complaints, s_broken);
    return false;
  }
  components.resize(number_of_components);
  max_horizontal_factor = 0;
  max_vertical_factor = 0;
  for (size_t i = 0; i < components.size(); ++i) {
    const unsigned char* c = p + 6 + 3 * i;
    component_parameter_t& cp = components[i];
    cp.component_identifier = c[0];
    cp.horizontal_sampling_factor = c[1] >> 4;
    cp.vertical_sampling_factor = c[1] & 0x0F;
    cp.quantization_table_selector = c[2];
    // A factor of 0 can divide nothing; it would break the divisor test below.
    if (cp.horizontal_sampling_factor == 0 || cp.vertical_sampling_factor == 0) {
      report_error(complaints, s_invalid);
      return false;
    }
    if (cp.horizontal_sampling_factor > max_horizontal_factor) {
      max_horizontal_factor = cp.horizontal_sampling_factor;
    }
    if (cp.vertical_sampling_factor > max_vertical_factor) {
      max_vertical_factor = cp.vertical_sampling_factor;
    }
  }
  for (const component_parameter_t& cp : components) {
    if (max_horizontal_factor % cp.horizontal_sampling_factor != 0 ||
        max_vertical_factor % cp.vertical_sampling_factor != 0) {
      report_error(complaints, s_invalid);
      return false;
    }
  }
  return true;
}

void sof0_marker_t::clear() {
  complaints.clear();
  buffer.clear();
  sample_precision = 0;
  number_of_lines = 0;
  samples_per_line = 0;
  number_of_components = 0;
  components.clear();
  max_horizontal_factor = 0;
  max_vertical_factor = 0;
}

bool dqt_marker_t::parse() {
  complaints.clear();
  const size_t size = buffer.size();
  if (size == 0 || size % dqt_table_size != 0 || size / dqt_table_size > 4) {
    report_error(complaints, s_broken);
    return false;
  }
  table_count = static_cast<unsigned char>(size / dqt_table_size);
  for (size_t t = 0; t < table_count; ++t) {
    const unsigned char* p = buffer.begin() + t * dqt_table_size;
    const unsigned pq = p[0] >> 4;
    const unsigned tq = p[0] & 0x0F;
    if (pq != 0) {
      report_error(complaints, "not support JPEG data. DQT pq=", pq);
      return false;
    }
    if (tq > 3) {
      report_error(complaints, s_invalid);
      return false;
    }
    for (size_t k = 0; k < 64; ++k) tables[tq][s_zigzag[k]] = p[1 + k];
  }
  return true;
}

void dqt_marker_t::clear() {
  complaints.clear();
  buffer.clear();
  table_count = 0;
  std::memset(tables, 0, sizeof tables);
}

void huffman_t::clear() {
  std::memset(counts, 0, sizeof counts);
  codes.clear();
}

bool dht_marker_t::parse() {
  complaints.clear();
  const unsigned char* const end = buffer.end();
  jpeg_iterator it(buffer.begin(), end);
  table_index = 0;
  while (it < end) {
    // Seven tables already exceed the four a baseline picture can define.
    if (table_index == max_tables) {
      report_error(complaints, s_broken);
      return false;
    }
    const unsigned char tcth = *it;
    ++it;
    const unsigned char tc = tcth >> 4;
    const unsigned char th = tcth & 0x0F;
    tables[table_index] = {tc, th};
    if ((tcth & 0x0E) != 0 || (tcth > 15 && tc != 1)) {
      report_error(complaints, s_broken);
      return false;
    }
    huffman_t& h = huffman[tc * 2 + th];
    unsigned total = 0;
    for (unsigned char& count : h.counts) {
      if (!(it < end)) {
        report_error(complaints, s_broken);
        return false;
      }
      count = *it;
      ++it;
      total += count;
    }
    // The total is kept in 8 bits; a sum that does not fit cannot describe a
    // table of byte symbols and would leave the code vector too short.
    if (total > 255) {
      report_error(complaints, s_broken);
      return false;
    }
    h.codes.resize(total);
    unsigned short code = 0;
    size_t n = 0;
    for (unsigned char count : h.counts) {
      for (unsigned j = 0; j < count; ++j, ++n, ++code) {
        if (!(it < end)) {
          report_error(complaints, s_broken);
          return false;
        }
        const unsigned char symbol = *it;
        ++it;
        huffman_code_t& e = h.codes[n];
        e.code = code;
        e.data_bits = symbol & 0x0F;
        e.run_length = symbol >> 4;
        if (symbol > 15 && e.data_bits == 0 && e.run_length <= 14) {
          report_error(complaints, "huffman table error", ": run_length=", unsigned{e.run_length},
                       ", data_bits=", unsigned{e.data_bits});
          return false;
        }
      }
      code = static_cast<unsigned short>(code << 1);
    }
    ++table_index;
  }
  return true;
}

void dht_marker_t::clear() {
  complaints.clear();
  buffer.clear();
  std::memset(tables, 0, sizeof tables);
  table_index = 0;
  for (huffman_t& h : huffman) h.clear();
}

bool dri_marker_t::parse() {
  complaints.clear();
  if (buffer.size() != 2) {
    report_error(complaints, s_broken);
    return false;
  }
  restart_interval = get_be16(buffer.begin());
  return true;
}

void dri_marker_t::clear() {
  complaints.clear();
  buffer.clear();
  restart_interval = 0;
}

bool sos_marker_t::parse() {
  complaints.clear();
  const size_t size = buffer.size();
  const unsigned char* p = buffer.begin();
  if (size <= 3) {
    report_error(complaints, s_broken);
    return false;
  }
  number_of_components = p[0];
  const size_t ns = number_of_components;
  if (size != 2 * ns + 4) {
    report_error(complaints, s_broken);
    return false;
  }
  components.resize(ns);
  for (size_t i = 0; i < ns; ++i) {
    scan_component_t& c = components[i];
    c.component_selector = p[1 + 2 * i];
    c.dc_table_selector = p[2 + 2 * i] >> 4;
    c.ac_table_selector = p[2 + 2 * i] & 0x0F;
    if (c.dc_table_selector > 1 || c.ac_table_selector > 1) {
      report_error(complaints, s_invalid);
      return false;
    }
  }
  ss = p[2 * ns + 1];
  se = p[2 * ns + 2];
  ah = p[2 * ns + 3] >> 4;
  al = p[2 * ns + 3] & 0x0F;
  if (ss != 0 || se != 63 || ah != 0 || al != 0) {
    report_error(complaints, "constant value illegal. ss=", unsigned{ss}, ", se=", unsigned{se},
                 ", ah=", unsigned{ah}, ", al=", unsigned{al});
    return false;
  }
  return true;
}

void sos_marker_t::clear() {
  complaints.clear();
  buffer.clear();
  number_of_components = 0;
  components.clear();
  ss = se = ah = al = 0;
  dht_marker = nullptr;
}

bool app1_marker_t::is_exif() const {
  static const unsigned char exif_id[5] = {'E', 'x', 'i', 'f', 0};
  return buffer.size() >= sizeof exif_id &&
         std::memcmp(buffer.begin(), exif_id, sizeof exif_id) == 0;
}

bool app1_marker_t::parse() {
  if (!is_exif()) return false;
  // The identifier is "Exif" and two zero bytes; the TIFF data follows.
  bytes_t tiff;
  tiff.setwindow(buffer, 6, buffer.size() > 6 ? buffer.size() - 6 : 0);
  tiff_header.set_tiff_buffer(tiff);
  return tiff_header.parse();
}

void app1_marker_t::clear() {
  buffer.clear();
  tiff_header.clear();
}

}  // namespace libgr
