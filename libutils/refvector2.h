// Reference-counted memory blocks. A handle shares one block with every copy
// of it; the last holder to let go returns the block to its allocator.
// Buffers are used from one thread only, so the holder count is plain.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "libutils/alloc_mmap_win.h"

namespace libutils {

template <typename T, typename A>
class refvector2 {
 public:
  refvector2() = default;
  refvector2(const refvector2& other) : block_(other.block_) { hold(); }
  refvector2& operator=(const refvector2& other) {
    if (block_ != other.block_) {
      release();
      block_ = other.block_;
      hold();
    }
    return *this;
  }
  virtual ~refvector2() { release(); }

  virtual bool empty() const { return block_ == nullptr || block_->size == 0; }
  virtual size_t size() const { return block_ != nullptr ? block_->size : 0; }
  virtual T* begin() { return block_ != nullptr ? block_->data : nullptr; }
  virtual T* end() { return begin() + size(); }
  virtual const T* begin() const { return block_ != nullptr ? block_->data : nullptr; }
  virtual const T* end() const { return begin() + size(); }
  virtual T& operator[](size_t i) { return begin()[i]; }
  virtual const T& operator[](size_t i) const { return begin()[i]; }
  virtual T* operator->() { return begin(); }
  virtual const T* operator->() const { return begin(); }

  // Maps `size` elements of a file (0 = the whole file) from byte `offset`, or
  // makes an anonymous block when filename is null. With keep, the first
  // min(old, new) elements of the old block are copied into the new one.
  virtual bool load(uint64_t size, const char* filename, int prot, uint64_t offset, bool keep,
                    android_app* app) {
    block_t* fresh = make_block(size, filename, prot, offset, app);
    if (fresh == nullptr) {
      if (!keep) release();
      return false;
    }
    // Only a writable block can take the old bytes; a read-only mapping
    // (anonymous ones too) stays as made.
    if (keep && block_ != nullptr && prot == e_prot_readwrite) {
      std::memcpy(fresh->data, begin(), std::min<size_t>(this->size(), fresh->size) * sizeof(T));
    }
    release();
    block_ = fresh;
    return true;
  }

  // Refers to a read-write block of n elements that starts with the first
  // min(n, size()) visible elements of the old block, the rest zero.
  virtual bool resize(uint64_t n, uint64_t offset = 0) {
    // A block seen whole by its one holder changes its size where it is when
    // its allocator can do that: an encoder's growing output is not copied
    // at every step.
    if (block_ != nullptr && block_->holders == 1 && begin() == block_->data && size() == block_->size) {
      if (void* data = block_->alloc.reallocate(block_->data, n * sizeof(T))) {
        block_->data = static_cast<T*>(data);
        block_->size = n;
        return true;
      }
    }
    block_t* fresh = make_block(n, nullptr, e_prot_readwrite, offset, nullptr);
    if (fresh == nullptr) return false;
    if (!empty()) std::memcpy(fresh->data, begin(), std::min<size_t>(size(), n) * sizeof(T));
    release();
    block_ = fresh;
    return true;
  }

  virtual void clear() { release(); }

  // Number of handles sharing the block (0 without one).
  uint64_t holders() const { return block_ != nullptr ? block_->holders : 0; }

 protected:
  struct block_t {
    uint64_t holders;
    uint64_t size;  // in elements
    A alloc;
    T* data;
  };

  block_t* block_ = nullptr;

  uint64_t block_size() const { return block_ != nullptr ? block_->size : 0; }

 private:
  void hold() {
    if (block_ != nullptr) ++block_->holders;
  }

  void release() {
    if (block_ != nullptr && --block_->holders == 0) {
      block_->alloc.deallocate(block_->data);
      delete block_;
    }
    block_ = nullptr;
  }

  static block_t* make_block(uint64_t n, const char* filename, int prot, uint64_t offset,
                             android_app* app) {
    auto* b = new block_t{1, 0, A(), nullptr};
    uint64_t bytes = n * sizeof(T);
    b->data = static_cast<T*>(b->alloc.allocate(bytes, filename, prot, offset, app));
    if (b->data == nullptr) {
      delete b;
      return nullptr;
    }
    b->size = bytes / sizeof(T);
    return b;
  }
};

}  // namespace libutils
