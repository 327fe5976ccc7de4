// The marker segments of a JPEG file: the baseline frame and table segments
// (SOF0, DQT, DHT, DRI, SOS) and the APP1 segment with its EXIF directories.
// Every record keeps a window over its segment's payload (the bytes after the
// length field) in the file's mapping; parse() checks it and fills the fields,
// and notes what it finds wrong in the record's complaints for the caller to
// report.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "libgr/exif.h"
#include "libutils/byteorder.h"
#include "libutils/ofsvector.h"

namespace libgr {

struct component_parameter_t {
  unsigned char component_identifier;
  unsigned char horizontal_sampling_factor;
  unsigned char vertical_sampling_factor;
  unsigned char quantization_table_selector;
};

// Frame header of a baseline picture.
class sof0_marker_t {
 public:
  void set_sof0_buffer(bytes_t& buf) { buffer = buf; }
  bool parse();
  void clear();

  std::vector<std::string> complaints;  // what parse() found wrong, in order

  bytes_t buffer;
  unsigned char sample_precision = 0;
  unsigned short number_of_lines = 0;
  unsigned short samples_per_line = 0;
  unsigned char number_of_components = 0;
  std::vector<component_parameter_t> components;
  unsigned short max_horizontal_factor = 0;
  unsigned short max_vertical_factor = 0;
};

// Quantisation tables; tables[Tq] is in natural (row-major) order.
class dqt_marker_t {
 public:
  void set_dqt_buffer(bytes_t& buf) { buffer = buf; }
  bool parse();
  void clear();

  std::vector<std::string> complaints;  // what parse() found wrong, in order

  bytes_t buffer;
  unsigned char table_count = 0;
  unsigned char tables[4][64] = {};
};

struct huffman_code_t {
  unsigned short code;
  unsigned char data_bits;   // low nibble of the symbol
  unsigned char run_length;  // high nibble of the symbol
};

struct huffman_t {
  unsigned char counts[16] = {};  // number of codes of length 1 to 16
  std::vector<huffman_code_t> codes;

  void clear();
};

// Huffman tables. A table keeps its contents until a later segment defines
// the same class and identifier again, as in a decoder.
class dht_marker_t {
 public:
  static constexpr int max_tables = 7;
  struct table_id_t {
    unsigned char table_class;  // 0 DC, 1 AC
    unsigned char identifier;
  };

  void set_dht_buffer(bytes_t& buf) { buffer = buf; }
  bool parse();
  void clear();

  std::vector<std::string> complaints;  // what parse() found wrong, in order

  bytes_t buffer;
  table_id_t tables[max_tables] = {};  // the tables of the last segment, in order
  int table_index = 0;
  huffman_t huffman[4];  // DC 0, DC 1, AC 0, AC 1
};

class dri_marker_t {
 public:
  void set_dri_buffer(bytes_t& buf) { buffer = buf; }
  bool parse();
  void clear();

  std::vector<std::string> complaints;  // what parse() found wrong, in order

  bytes_t buffer;
  unsigned short restart_interval = 0;
};

struct scan_component_t {
  unsigned char component_selector;
  unsigned char dc_table_selector;
  unsigned char ac_table_selector;
};

// Scan header; only a full baseline scan is accepted.
class sos_marker_t {
 public:
  void set_sos_buffer(bytes_t& buf) { buffer = buf; }
  void set_dht_marker(dht_marker_t* dht) { dht_marker = dht; }
  bool parse();
  void clear();

  std::vector<std::string> complaints;  // what parse() found wrong, in order

  bytes_t buffer;
  unsigned char number_of_components = 0;
  std::vector<scan_component_t> components;
  unsigned char ss = 0;
  unsigned char se = 0;
  unsigned char ah = 0;
  unsigned char al = 0;
  dht_marker_t* dht_marker = nullptr;  // the tables the scan decodes with
};

// The APP1 segment and the EXIF block it carries. After a successful parse()
// the callers read the records of tiff_header directly.
class app1_marker_t {
 public:
  class tiff_header_t {
   public:
    // Shares the TIFF data and releases every directory window.
    void set_tiff_buffer(bytes_t& buf);
    bool is_intel() const;
    bool is_motorola() const;
    bool parse();
    void clear();

    std::vector<std::string> complaints;  // what parse() found wrong, in order
    bytes_t buffer;  // the TIFF data
    std::unique_ptr<libutils::byteorder> byteorder;
    bytes_t ifd0;
    bytes_t exif_ifd;
    bytes_t gps_ifd;
    bytes_t makernote_ifd;
    bytes_t olympus3_equipment_ifd;
    bytes_t olympus3_camerasettings_ifd;
    bytes_t olympus3_focusinfo_ifd;
    bytes_t thumbnail;  // the 1st IFD's JPEG data

    ExifType::tag_0th_ifd tag_0th_ifd;
    ExifType::tag_exif_ifd tag_exif_ifd;
    ExifType::tag_gps_ifd tag_gps_ifd;
    ExifType::tag_1st_ifd tag_1st_ifd;
    ExifType::tag_olympus_ifd tag_olympus_ifd;
    ExifType::tag_olympus3_equipment_ifd tag_olympus3_equipment_ifd;
    ExifType::tag_olympus3_camerasettings_ifd tag_olympus3_camerasettings_ifd;
    ExifType::tag_olympus3_focusinfo_ifd tag_olympus3_focusinfo_ifd;
    ExifType::tag_pentax5_ifd tag_pentax5_ifd;

   private:
    void release_windows();
    void clear_records();
    bool parse_0th_ifd();
    bool parse_exif_ifd();
    bool parse_gps_ifd();
    bool parse_1st_ifd(uint32_t offset);
    bool parse_makernote();
    bool parse_olympus_ifd();
    bool parse_olympus3_ifd();
    bool parse_olympus3_equipment_ifd();
    bool parse_olympus3_camerasettings_ifd();
    bool parse_olympus3_focusinfo_ifd();
    bool parse_pentax5_ifd();
  };

  void set_app1_buffer(bytes_t& buf) { buffer = buf; }
  bool is_exif() const;
  bool parse();
  void clear();

  bytes_t buffer;  // the APP1 payload
  tiff_header_t tiff_header;
};

}  // namespace libgr
