// Heap arrays, for the small blocks that need no page mapping (palettes).
#pragma once

#include <cstdint>

struct android_app;

namespace libutils {

class alloc_new {
 public:
  // With a null filename, a zeroed heap array of `size` bytes. With a file
  // name, the file's bytes from `offset` (all of it when size is 0).
  void* allocate(uint64_t& size, const char* filename, int prot, uint64_t offset,
                 android_app* app);
  // A new array of n bytes holding the first min(old, n) bytes of ptr; ptr is freed.
  void* reallocate(void* ptr, uint64_t n);
  void deallocate(void* ptr);

 private:
  uint64_t size_ = 0;
};

}  // namespace libutils
