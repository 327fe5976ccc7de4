#include "app/exif.h"

#include <strings.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/html_text.h"
#include "app/import.h"
#include "libgr/loader_heif.h"
#include "libgr/jpeg_marker.h"
#include "libgr/loader_jpeg.h"
#include "libgr/loader_jpeg2.h"
#include "libutils/common.h"
#include "libutils/ssutil.h"
#include "libutils/strutil.h"
#include "vexalib/message.h"

namespace pictora {

// One row of a keyed value-to-text table. A table ends with a row whose key
// is all ones; its text stands for every value without a row of its own.
struct desc_t {
  unsigned long long key;
  const char* text;
};

namespace {

using namespace libgr::ExifType;

constexpr unsigned long long end_key = ~0ULL;

// The text of the first row keyed value, or of the closing row.
const char* search_desc(const desc_t* table, unsigned long long value) {
  for (;; ++table) {
    if (table->key == value || table->key == end_key) return table->text;
  }
}

const desc_t colorspace[] = {
    {1, "sRGB"},
    {65535, "Uncalibrated"},
    {end_key, "Unknown"},
};

const desc_t olym3focusmode0[] = {
    {0, "Single AF"},   {1, "Sequential shooting AF"}, {2, "Continuous AF"},
    {3, "Multi AF"},    {4, "Face Detect"},            {10, "MF"},
    {end_key, "Unknown"},
};

// Bit masks: every row whose bit is set names one part of the mode.
const desc_t olym3focusmode1[] = {
    {1, "S-AF"},
    {4, "C-AF"},
    {16, "MF"},
    {32, "Face Detect"},
    {64, "Imager AF"},
    {128, "Live View Magnification Frame"},
    {256, "AF sensor"},
    {512, "Starry Sky AF"},
    {end_key, "Unknown"},
};

const desc_t pex5focusmode[] = {
    {0, "Normal"},
    {1, "Macro"},
    {2, "Infinity"},
    {3, "Manual"},
    {4, "Super Macro"},
    {5, "Pan Focus"},
    {16, "AF-S (Focus-priority)"},
    {17, "AF-C (Focus-priority)"},
    {18, "AF-A (Focus-priority)"},
    {32, "Contrast-detect (Focus-priority)"},
    {33, "Tracking Contrast-detect (Focus-priority)"},
    {272, "AF-S (Release-priority)"},
    {273, "AF-C (Release-priority)"},
    {274, "AF-A (Release-priority)"},
    {288, "Contrast-detect (Release-priority)"},
    {end_key, "Unknown"},
};

const desc_t olym3whitebal[] = {
    {0, "Auto WB"},
    {1, "Auto (Keep Warm Color Off)"},
    {16, "7500K"},
    {17, "6000K"},
    {18, "5300K"},
    {20, "3000K"},
    {21, "3600K"},
    {22, "Auto Setup"},
    {23, "5500K"},
    {33, "6600K"},
    {34, "4500K"},
    {35, "4000K"},
    {36, "White Fluorescent"},
    {48, "3600K"},
    {67, "Underwater"},
    {256, "One Touch WB 1"},
    {257, "One Touch WB 2"},
    {258, "One Touch WB 3"},
    {259, "One Touch WB 4"},
    {512, "Custom WB 1"},
    {513, "Custom WB 2"},
    {514, "Custom WB 3"},
    {515, "Custom WB 4"},
    {end_key, "Unknown"},
};

const char expprogs[] = {'N', 'M', 'P', 'A', 'S', 'C', 'a', 'p', 'l'};
// Entries 2 and 3 follow the user's language (initexif).
const char* meteringmode[] = {"[Unk]", "[AVE]", "[AVG]", "[SPT]",
                              "[MUL]", "[ESP]", "[PAR]", "[OTH]"};
const char* const focusmode[] = {"AF", "MF"};
const char* const processrange[] = {"Normal", "Soft", "Hard"};
const char* const saturation[] = {"Normal", "Low", "High", "Unknown"};
const char* const contrast[] = {"Normal", "Low", "High"};
const char* const sharpness[] = {"Normal", "Hard", "Soft"};
const char* const olympus_contrast[] = {"High", "Normal", "Low"};
const char* const whitebal[] = {"Auto WB", "Manual WB", "Unknown"};
const char* const whitebalance_code[] = {"Unknown", "Auto WB", "Preset "};
const char* const whitebalance_preset[] = {"Unknown", "Unknown", "3000K", "3700K", "4000K",
                                           "4500K",   "5500K",   "6500K", "7500K"};

// The text of entry value of an indexed table, or fallback past its end.
template <size_t N>
const char* indexed(const char* const (&table)[N], unsigned value, const char* fallback) {
  return value < N ? table[value] : fallback;
}

enum e_maker_t : int {
  e_maker_other = 0,
  e_maker_sony = 1,
  e_maker_omdigital = 2,
  e_maker_olympus = 3,
  e_maker_ricoh = 4,
  e_maker_nikon = 5,
  e_maker_canon = 6,
};

e_maker_t maker_class(const std::string& make) {
  static const struct {
    const char* name;
    e_maker_t maker;
  } makers[] = {
      {"OM Digital", e_maker_omdigital}, {"OLYMPUS", e_maker_olympus}, {"Sony", e_maker_sony},
      {"RICOH", e_maker_ricoh},          {"Nikon", e_maker_nikon},     {"Canon", e_maker_canon},
  };
  for (const auto& m : makers) {
    if (strncasecmp(make.c_str(), m.name, std::char_traits<char>::length(m.name)) == 0)
      return m.maker;
  }
  return e_maker_other;
}

bool olympus_family(e_maker_t maker) {
  return maker == e_maker_omdigital || maker == e_maker_olympus;
}

// A text value as the caption shows it: without trailing padding.
std::string chopped(const std::string& s) {
  std::string out = s;
  libutils::chop2(out);
  return out;
}

void write_focal_length(std::ostream& os, const tag_exif_ifd& exif) {
  const rational_t& f = exif.FocalLength[0];
  os << ", f=";
  if (f.denominator == 1) {
    os << f.numerator;
  } else {
    os << static_cast<float>(f.numerator) / static_cast<float>(f.denominator);
  }
  os << "mm";
  if (!exif.FocalLengthIn35mmFilm.empty()) os << "(" << exif.FocalLengthIn35mmFilm[0] << "mm)";
}

void write_fnumber(std::ostream& os, const rational_t& f) {
  os << ", " << "f/" << std::fixed;
  os.precision(1);
  os << static_cast<float>(f.numerator) / static_cast<float>(f.denominator);
  os.precision(0);
}

// 0/0 has no reduced form; such an exposure time is left out of the caption.
void write_exposure_time(std::ostream& os, const rational_t& t) {
  const unsigned long g = gcd(t.numerator, t.denominator);
  if (g == 0) return;
  const unsigned long n = t.numerator / g;
  const unsigned long d = t.denominator / g;
  os << ", ";
  if (d == 1) {
    os << n;
  } else if (n == 1) {
    os << "1/" << d;
  } else {
    // As many decimals as the reduced denominator has digits, so 5/2 is 2.5
    // and 10/3 is 3.3 whether or not an f-number came before.
    os << std::fixed;
    os.precision(static_cast<std::streamsize>(std::floor(std::log10(static_cast<double>(d)) + 1)));
    os << static_cast<float>(n) / static_cast<float>(d);
    os.precision(0);
  }
  os << "sec";
}

void write_exposure_bias(std::ostream& os, const srational_t& b) {
  const long long num = b.numerator;
  const long long den = b.denominator;
  if (num == 0) return;  // no bias; this includes the undefined 0/0
  const long long g = static_cast<long long>(gcd(static_cast<unsigned long>(std::llabs(num)),
                                                 static_cast<unsigned long>(std::llabs(den))));
  const long long n = num / g;
  const long long d = den / g;
  os << ", ";
  if (n > 0) os << "+";
  os << n;
  if (d != 1) os << "/" << d;
  os << " EV";
}

void write_flash(std::ostream& os, unsigned flash) {
  if ((flash & 0x01) == 0) return;
  os << ", Flash";
  const unsigned ret = (flash >> 1) & 3;
  if (ret == 3) {
    os << "/Return Detected";
  } else if (ret == 2) {
    os << "/Return Not Detected";
  }
  const unsigned mode = (flash >> 3) & 3;
  if (mode == 3) {
    os << "/Auto";
  } else if (mode != 0) {
    os << "/Compulsory";
  }
  if (flash & 0x20) os << "/No Flash Function";
  if (flash & 0x40) os << "/Red-Eye Reduce";
}

void write_settings_line(std::ostream& os, const tag_exif_ifd& exif) {
  if (!exif.ExposureProgram.empty()) {
    const unsigned p = exif.ExposureProgram[0];
    os << (p < sizeof expprogs ? expprogs[p] : 'U');
  }
  if (!exif.FocalLength.empty()) write_focal_length(os, exif);
  if (!exif.FNumber.empty()) write_fnumber(os, exif.FNumber[0]);
  if (!exif.ExposureTime.empty()) write_exposure_time(os, exif.ExposureTime[0]);
  if (!exif.ISOSpeedRatings.empty()) {
    os << ", " << "iso";
    if (exif.ISOSpeedRatings[0] == 65535 && !exif.StandardOutputSensitivity.empty()) {
      os << exif.StandardOutputSensitivity[0];
    } else {
      os << exif.ISOSpeedRatings[0];
    }
  }
  if (!exif.MeteringMode.empty())
    os << ", " << (exif.MeteringMode[0] < 8 ? meteringmode[exif.MeteringMode[0]] : meteringmode[0]);
  if (!exif.ExposureBiasValue.empty()) write_exposure_bias(os, exif.ExposureBiasValue[0]);
  if (!exif.Flash.empty()) write_flash(os, exif.Flash[0]);
}

void write_olympus_focus(std::ostream& os, const libgr::app1_marker_t::tiff_header_t& t) {
  const short_t& mode = t.tag_olympus3_camerasettings_ifd.FocusMode;
  const short_t& process = t.tag_olympus3_camerasettings_ifd.FocusProcess;
  const tag_olympus_ifd& older = t.tag_olympus_ifd;
  if (mode.size() == 1) {
    os << search_desc(olym3focusmode0, mode[0]);
  } else if (mode.size() == 2) {
    const char* separator = "";
    for (const desc_t* row = olym3focusmode1; row->key != end_key; ++row) {
      if (mode[1] & row->key) {
        os << separator << row->text;
        separator = "/";
      }
    }
  } else if (!process.empty()) {
    os << focusmode[process[0] == 0 ? 1 : 0];
  } else {
    if (!older.FocusMode.empty()) {
      const unsigned m = older.FocusMode[0];
      if (m < 2) {
        os << focusmode[m];
      } else {
        os << 'U';
      }
      const rationals_t& distance = older.ManualFocusDistance;
      // A distance with denominator 0 has no value; it is left out like an absent one.
      if (m == 1 && !distance.empty() && distance[0].denominator != 0)
        os << "(P=" << distance[0].numerator / distance[0].denominator << ")";
    }
    return;
  }
  const short_t& point = t.tag_olympus3_focusinfo_ifd.AFPoint;
  if (!point.empty()) os << "(P=" << point[0] << ")";
}

void write_pentax_focus(std::ostream& os, const tag_pentax5_ifd& pentax) {
  if (!pentax.FocusMode.empty()) os << search_desc(pex5focusmode, pentax.FocusMode[0]);
  if (!pentax.FocusPosition.empty()) os << "(P=" << pentax.FocusPosition[0] << ")";
}

void write_exif_picture_settings(std::ostream& os, const tag_exif_ifd& exif) {
  if (!exif.Sharpness.empty())
    os << ", " << "Shp " << indexed(processrange, exif.Sharpness[0], "Unknown");
  if (!exif.Saturation.empty())
    os << ", " << "Sat " << indexed(saturation, exif.Saturation[0], "Unknown");
  if (!exif.Contrast.empty())
    os << ", " << "Ctr " << indexed(contrast, exif.Contrast[0], "Unknown");
}

void write_picture_settings_line(std::ostream& os, e_maker_t maker,
                                 const libgr::app1_marker_t::tiff_header_t& t) {
  const tag_exif_ifd& exif = t.tag_exif_ifd;
  if (maker == e_maker_omdigital) {
    const short_t& wb = t.tag_olympus3_camerasettings_ifd.WhiteBalance2;
    if (!wb.empty()) os << search_desc(olym3whitebal, wb[0]);
    write_exif_picture_settings(os, exif);
  } else if (maker == e_maker_olympus) {
    const tag_olympus_ifd& older = t.tag_olympus_ifd;
    if (!older.WB_Mode.empty() && older.WB_Mode[0] < 3) {
      os << whitebalance_code[older.WB_Mode[0]];
      if (older.WB_Mode[0] == 2 && older.WB_Mode.size() > 1 && older.WB_Mode[1] < 9)
        os << whitebalance_preset[older.WB_Mode[1]];
    }
    if (!older.Sharpness.empty())
      os << ", " << "Shp " << indexed(sharpness, older.Sharpness[0], "Unknown");
    if (!older.Contrast.empty())
      os << ", " << "Ctr " << indexed(olympus_contrast, older.Contrast[0], "Unknown");
  } else {
    if (!exif.WhiteBalance.empty()) os << indexed(whitebal, exif.WhiteBalance[0], "Unknown WB");
    write_exif_picture_settings(os, exif);
  }
  os << ", ";
  if (!exif.ColorSpace.empty()) os << search_desc(colorspace, exif.ColorSpace[0]);
}

// Text from inside a picture file as a page shows it: whoever made the file
// chose it, so it is escaped and can never put markup or script into a
// published album. Cameras write no markup characters.
std::string page_text(const std::string& text, bool html) { return html ? html_text(text) : text; }

void write_lines(std::ostream& os, const libgr::app1_marker_t::tiff_header_t& t, bool html) {
  const char* br = html ? "<br>" : "";
  const tag_exif_ifd& exif = t.tag_exif_ifd;
  const std::string date = chopped(exif.DateTimeOriginal);
  const std::string make = chopped(t.tag_0th_ifd.Make);
  const std::string model = chopped(t.tag_0th_ifd.Model);
  const std::string lens = chopped(exif.LensModel);
  const e_maker_t maker = maker_class(make);

  if (!date.empty()) os << "\t" << page_text(date, html) << "\n";
  if (!model.empty()) {
    os << "\t" << (date.empty() ? "" : br) << page_text(make, html) << ", " << page_text(model, html)
       << "\n";
    if (!lens.empty()) os << "\t" << br << page_text(lens, html) << "\n";
  }

  os << "\t" << br;
  write_settings_line(os, exif);
  os << "\n";

  if (olympus_family(maker) || maker == e_maker_ricoh) {
    os << "\t" << br;
    if (maker == e_maker_ricoh) {
      write_pentax_focus(os, t.tag_pentax5_ifd);
    } else {
      write_olympus_focus(os, t);
    }
    os << "\n";
  }

  os << "\t" << br;
  write_picture_settings_line(os, maker, t);
  os << "\n";

  const rationals_t& stacked = t.tag_olympus3_camerasettings_ifd.StackedImage;
  if (maker == e_maker_omdigital && !stacked.empty() && stacked[0].numerator == 1)
    os << "\t" << br << "LiveComp " << stacked[0].denominator << " frames" << "\n";
}

}  // namespace

unsigned long gcd(unsigned long a, unsigned long b) { return b == 0 ? a : gcd(b, a % b); }

void initexif(const char*, const char*) {
  meteringmode[2] = vexalib::getmsg(vexalib::msg_metering_average);
  meteringmode[3] = vexalib::getmsg(vexalib::msg_metering_spot);
}

bool writeexif(std::ostream& os, const path_t& album, const std::string& dir, const std::string& name, bool html,
               libutils::report_log_t& log, std::string* why) {
  std::string file;
  album.make(file, dir, name);
  // A picture without a caption is still shown: its reason is a warning.
  const auto refuse = [&](const std::string& reason, bool loud) {
    if (why != nullptr) {
      *why = reason;
    } else if (loud) {
      libutils::warn(log, file, ": " + reason);
    }
    return false;
  };
  libgr::jpegdata2_t data;  // the payload may be a window into it
  libgr::bytes_t payload;
  if (is_heif(name)) {
    // A HEIF file keeps its EXIF block as an item of its own.
    libgr::heifinfo_t heif;
    if (!heif.analyze(file)) return refuse(heif.issues.reason + ", no caption.", true);
    payload = heif.exif;
  } else {
    if (!data.load(file.c_str())) {
      const std::string reason = libgr::unreadable_reason(file.c_str());
      return refuse(reason.empty() ? "cannot be read." : reason, true);
    }
    libgr::jpeginfo2_t info;
    if (!info.analyze(data)) return refuse("not read as a JPEG file, no caption.", true);
    payload = info.get_exif();
  }
  if (payload.empty()) return refuse("no EXIF block.", false);
  libgr::app1_marker_t app1;
  app1.set_app1_buffer(payload);
  if (!app1.parse()) return refuse("EXIF block not read, no caption.", true);
  write_caption(os, app1.tiff_header, html);
  return true;
}

void write_caption(std::ostream& os, const libgr::app1_marker_t::tiff_header_t& exif, bool html) {
  // Every caption starts from the stream's default number format and gives the
  // caller's format back, so a caption reads the same wherever it is written.
  libutils::keepflag keep(os);
  const std::streamsize precision = os.precision(6);
  os.unsetf(std::ios_base::floatfield);
  write_lines(os, exif, html);
  os.precision(precision);
}

}  // namespace pictora
