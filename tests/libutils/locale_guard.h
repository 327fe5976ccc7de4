// Switches the C library's character classification (LC_CTYPE) for the life
// of one object, so a test can run the multibyte-aware functions under a
// given code page and leave the process as it found it.
#pragma once

#include <clocale>
#include <cstdlib>
#include <memory>
#include <string>

#include "tests/support/test_util.h"

namespace testutil {

class CtypeLocale {
 public:
  explicit CtypeLocale(const char* name) : saved_(std::setlocale(LC_CTYPE, nullptr)) {
    ok_ = std::setlocale(LC_CTYPE, name) != nullptr;
  }
  ~CtypeLocale() { std::setlocale(LC_CTYPE, saved_.c_str()); }
  CtypeLocale(const CtypeLocale&) = delete;
  CtypeLocale& operator=(const CtypeLocale&) = delete;
  bool ok() const { return ok_; }

 private:
  std::string saved_;
  bool ok_ = false;
};

// A Japanese Shift_JIS locale compiled into a scratch folder (LOCPATH), for
// the double-byte characters whose trail byte is '\'. ok() is false when the
// system cannot build one (no localedef or no source files).
class ShiftJisLocale {
 public:
  ShiftJisLocale() {
    const std::string out = dir_ / "ja_JP.SJIS";
    std::string ignored;
    run_program({"localedef", "-c", "--no-warnings=ascii", "-i", "ja_JP", "-f", "SHIFT_JIS", out},
                &ignored, &ignored);
    const char* old = std::getenv("LOCPATH");
    had_locpath_ = old != nullptr;
    if (had_locpath_) old_locpath_ = old;
    ::setenv("LOCPATH", dir_.path().c_str(), 1);
    locale_ = std::make_unique<CtypeLocale>("ja_JP.SJIS");
  }
  ~ShiftJisLocale() {
    locale_.reset();
    if (had_locpath_) {
      ::setenv("LOCPATH", old_locpath_.c_str(), 1);
    } else {
      ::unsetenv("LOCPATH");
    }
  }
  bool ok() const { return locale_->ok(); }

 private:
  TempDir dir_;
  std::unique_ptr<CtypeLocale> locale_;
  bool had_locpath_ = false;
  std::string old_locpath_;
};

}  // namespace testutil
