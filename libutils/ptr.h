// A single-owner pointer whose free() destroys the object and resets it.
#pragma once

namespace libutils {

template <typename T>
class ptr_t {
 public:
  ptr_t() = default;
  explicit ptr_t(T* p) : p_(p) {}
  ptr_t(const ptr_t&) = delete;
  ptr_t& operator=(const ptr_t&) = delete;
  ~ptr_t() { free(); }

  void reset(T* p) {
    if (p != p_) {
      free();
      p_ = p;
    }
  }
  void free() {
    delete p_;
    p_ = nullptr;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T& operator*() const { return *p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

}  // namespace libutils
