// A counted block seen through an offset and a window, so that a JPEG
// segment, an EXIF directory or an image is a sub-range of a larger buffer
// without copying.
#pragma once

#include <cstdint>
#include <limits>

#include "libutils/alloc_mmap_win.h"
#include "libutils/refvector2.h"

namespace libutils {

template <typename T, typename A = alloc_mmap_win>
class ofsvector : public refvector2<T, A> {
  using base_t = refvector2<T, A>;

 public:
  static constexpr uint64_t no_window = std::numeric_limits<uint64_t>::max();

  ofsvector() = default;
  ofsvector(const ofsvector&) = default;
  ofsvector& operator=(const ofsvector&) = default;

  bool empty() const override { return base_t::empty() || window_ == 0; }
  size_t size() const override {
    const uint64_t total = this->block_size();
    if (offset_ >= total) return 0;
    return static_cast<size_t>(std::min(window_, total - offset_));
  }
  T* begin() override { return this->block_ != nullptr ? this->block_->data + offset_ : nullptr; }
  T* end() override { return begin() + size(); }
  const T* begin() const override {
    return this->block_ != nullptr ? this->block_->data + offset_ : nullptr;
  }
  const T* end() const override { return begin() + size(); }
  T& operator[](size_t i) override { return begin()[i]; }
  const T& operator[](size_t i) const override { return begin()[i]; }
  T* operator->() override { return begin(); }
  const T* operator->() const override { return begin(); }

  bool load(uint64_t size, const char* filename, int prot, uint64_t offset, bool keep,
            android_app* app) override {
    const bool ok = base_t::load(size, filename, prot, offset, keep, app);
    reset_view();
    return ok;
  }

  bool resize(uint64_t n, uint64_t offset = 0) override {
    if (!base_t::resize(n, offset)) return false;
    reset_view();
    return true;
  }

  void clear() override {
    base_t::clear();
    reset_view();
  }

  // Shares src's block, seen from `start` elements into src's view (never past
  // its end) for `length` elements (bounded only by the block's end).
  void setwindow(const ofsvector& src, uint64_t start, uint64_t length) {
    const uint64_t src_offset = src.offset_;
    const uint64_t src_size = src.size();
    base_t::operator=(src);
    // min(src offset + src size, src offset + start), without overflowing
    // for a start near the largest value.
    offset_ = src_offset + std::min(src_size, start);
    window_ = length;
  }

  uint64_t offset() const { return offset_; }
  uint64_t window() const { return window_; }

 private:
  void reset_view() {
    offset_ = 0;
    window_ = no_window;
  }

  uint64_t offset_ = 0;
  uint64_t window_ = no_window;
};

}  // namespace libutils
