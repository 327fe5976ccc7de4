// Page-mapped memory blocks: a read-only mapping of a whole file, or an
// anonymous zero-filled read-write block. The class keeps its historical name;
// on this platform it sits on POSIX mmap.
#pragma once

#include <cstdint>

struct android_app;  // platform context pointer; always null here and ignored

namespace libutils {

// Access wanted for a block.
enum e_prot_t : int { e_prot_readonly = 0, e_prot_readwrite = 1 };

class alloc_mmap_win {
 public:
  // Maps `size` bytes of `filename` from file offset `offset` (size 0 = the
  // whole file), or makes an anonymous block of `size` bytes when filename is
  // null. Returns the first byte, or null on failure. A 0-byte file or block
  // gives a non-null pointer to an empty block.
  void* allocate(uint64_t& size, const char* filename, int prot, uint64_t offset,
                 android_app* app);
  void deallocate(void* ptr);

 private:
  uint64_t size_ = 0;
  uint32_t protect_ = 0;  // PROT_* of the mapping
  uint32_t access_ = 0;   // open(2) flags of the file
  int file_ = -1;         // -1 for an anonymous block
  void* mapping_ = nullptr;
  uint64_t mapped_length_ = 0;
};

}  // namespace libutils
