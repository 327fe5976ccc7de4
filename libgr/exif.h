// The values kept from a picture's EXIF block, one record per directory.
// Every field holds the values of one tag; an empty field means the tag was
// absent, or present with a size this reader does not accept.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "libutils/ofsvector.h"

namespace libgr {

using bytes_t = libutils::ofsvector<unsigned char, libutils::alloc_mmap_win>;

namespace ExifType {

// TIFF value types.
enum e_type_t : unsigned short {
  e_byte = 1,
  e_ascii = 2,
  e_short = 3,
  e_long = 4,
  e_rational = 5,
  e_sbyte = 6,
  e_undefined = 7,
  e_sshort = 8,
  e_slong = 9,
  e_srational = 10,
  e_float = 11,
  e_double = 12,
  e_ifd = 13,
};

constexpr unsigned short max_type = 13;

// Bytes per value by type code 0 to 13. SBYTE, FLOAT and DOUBLE count as 0
// bytes: entries of those types carry no value this reader keeps.
extern const unsigned char exiftypesize[max_type + 1];

struct rational_t {
  uint32_t numerator;
  uint32_t denominator;
};

struct srational_t {
  int32_t numerator;
  int32_t denominator;
};

using short_t = std::vector<unsigned short>;
using long_t = std::vector<uint32_t>;
using rationals_t = std::vector<rational_t>;
using srationals_t = std::vector<srational_t>;

// The TIFF tags of the 0th IFD, by tag number. The reader fills
// ImageDescription, Make, Model, Orientation, XResolution, YResolution,
// ResolutionUnit, Software, DateTime, YCbCrPositioning and the two IFD
// pointers of the 0th IFD, and JPEGInterchangeFormat(Length) of the 1st.
struct tag_0th_ifd {
  long_t ImageWidth;                  // 0x0100
  long_t ImageLength;                 // 0x0101
  short_t BitsPerSample;              // 0x0102
  short_t Compression;                // 0x0103
  short_t PhotometricInterpretation;  // 0x0106
  std::string ImageDescription;       // 0x010E
  std::string Make;                   // 0x010F
  std::string Model;                  // 0x0110
  long_t StripOffsets;                // 0x0111
  short_t Orientation;                // 0x0112
  short_t SamplesPerPixel;            // 0x0115
  long_t RowsPerStrip;                // 0x0116
  long_t StripByteCounts;             // 0x0117
  rationals_t XResolution;            // 0x011A
  rationals_t YResolution;            // 0x011B
  short_t PlanarConfiguration;        // 0x011C
  short_t ResolutionUnit;             // 0x0128
  short_t TransferFunction;           // 0x012D
  std::string Software;               // 0x0131
  std::string DateTime;               // 0x0132
  std::string Artist;                 // 0x013B
  rationals_t WhitePoint;             // 0x013E
  rationals_t PrimaryChromaticities;  // 0x013F
  long_t JPEGInterchangeFormat;       // 0x0201
  long_t JPEGInterchangeFormatLength; // 0x0202
  rationals_t YCbCrCoefficients;      // 0x0211
  short_t YCbCrSubSampling;           // 0x0212
  short_t YCbCrPositioning;           // 0x0213
  rationals_t ReferenceBlackWhite;    // 0x0214
  std::string Copyright;              // 0x8298
  long_t ExifIFDPointer;              // 0x8769
  long_t GPSInfoIFDPointer;           // 0x8825

  void clear();
};

// The 1st IFD (thumbnail) has the 0th IFD's tags.
using tag_1st_ifd = tag_0th_ifd;

struct tag_exif_ifd {
  rationals_t ExposureTime;               // 0x829A
  rationals_t FNumber;                    // 0x829D
  short_t ExposureProgram;                // 0x8822
  short_t ISOSpeedRatings;                // 0x8827
  long_t StandardOutputSensitivity;       // 0x8831
  long_t ISOSpeed;                        // 0x8833
  std::string DateTimeOriginal;           // 0x9003
  std::string DateTimeDigitized;          // 0x9004
  rationals_t ApertureValue;              // 0x9202
  srationals_t ExposureBiasValue;         // 0x9204
  rationals_t MaxApertureValue;           // 0x9205
  short_t MeteringMode;                   // 0x9207
  short_t Flash;                          // 0x9209
  rationals_t FocalLength;                // 0x920A
  bytes_t MakerNote;                      // 0x927C, a window over its bytes
  short_t ColorSpace;                     // 0xA001
  short_t WhiteBalance;                   // 0xA403
  short_t FocalLengthIn35mmFilm;          // 0xA405
  short_t Contrast;                       // 0xA408
  short_t Saturation;                     // 0xA409
  short_t Sharpness;                      // 0xA40A
  std::string LensModel;                  // 0xA434

  void clear();
};

// The GPS IFD is only located (tiff_header_t::gps_ifd); none of its entries
// is kept, so this record has nothing to hold.
struct tag_gps_ifd {
  void clear() {}
};

// Olympus maker note of the older layout.
struct tag_olympus_ifd {
  short_t FocusMode;                  // 0x100B: 0 auto, 1 manual
  rationals_t ManualFocusDistance;    // 0x100C
  short_t Sharpness;                  // 0x100F
  short_t WB_Mode;                    // 0x1015: white balance code, preset
  short_t Contrast;                   // 0x1029

  void clear();
};

// Newer Olympus / OM System maker note, equipment sub-IFD.
struct tag_olympus3_equipment_ifd {
  std::string LensModel;  // 0x0203, all bytes of the value

  void clear();
};

// Newer Olympus / OM System maker note, camera-settings sub-IFD.
struct tag_olympus3_camerasettings_ifd {
  short_t FocusMode;                // 0x0301: one or two values
  short_t FocusProcess;             // 0x0302: one or two values
  short_t WhiteBalance2;            // 0x0500
  short_t WhiteBalanceTemperature;  // 0x0501
  rationals_t StackedImage;         // 0x0804: two LONGs (kind, frame count)

  void clear();
};

// Newer Olympus / OM System maker note, focus-info sub-IFD.
struct tag_olympus3_focusinfo_ifd {
  short_t AutoFocus;            // 0x0209
  short_t ZoomStepCount;        // 0x0300
  short_t FocusStepCount;       // 0x0301
  short_t FocusStepInfinity;    // 0x0303
  short_t FocusStepNear;        // 0x0304
  rationals_t FocusDistance;    // 0x0305
  short_t AFPoint;              // 0x0308
  short_t ContinuousFocusMode;  // 0x031B

  void clear();
};

// Pentax-type maker note (Ricoh-made Pentax cameras).
struct tag_pentax5_ifd {
  short_t FocusMode;         // 0x000D
  short_t FocusPosition;     // 0x0010, shown as the AF point
  short_t WhiteBalance;      // 0x0019
  short_t WhiteBalanceMode;  // 0x001A

  void clear();
};

}  // namespace ExifType
}  // namespace libgr
