// Reading entropy-coded JPEG bytes: a 0xFF data byte is followed by a stuffed
// 0x00 that is not part of the data.
#pragma once

namespace libgr {

// A byte pointer whose increment steps over a stuffed zero. It knows the end
// of its buffer so that looking at the byte after a final 0xFF never reads
// past it.
class jpeg_iterator {
 public:
  jpeg_iterator(const unsigned char* p, const unsigned char* end) : p_(p), end_(end) {}

  unsigned char operator*() const { return *p_; }
  jpeg_iterator& operator++();
  bool operator<(const unsigned char* q) const { return p_ < q; }

 private:
  const unsigned char* p_;
  const unsigned char* end_;
};

}  // namespace libgr
