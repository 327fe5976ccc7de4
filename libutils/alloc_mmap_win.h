// Page-mapped memory blocks: a read-only mapping of a whole file, or an
// anonymous zero-filled read-write block. The class keeps its historical name;
// on this platform it sits on POSIX mmap.
//
// Large anonymous blocks are kept for reuse when they are let go: a thread
// that builds picture after picture takes the pages of its decoded pictures
// and encoded files from the system once instead of once a picture (each new
// page costs a fault, and on a virtual machine a trip through the
// hypervisor). A thread keeps at most two blocks; they go back to the system
// when the thread ends or asks with release_kept_blocks().
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
  // Makes the anonymous read-write block ptr `size` bytes long: the first
  // min(old, size) bytes are kept, the rest are zero. Returns its first byte,
  // which may have moved; null, with the block unchanged, for a file mapping
  // or an empty block.
  void* reallocate(void* ptr, uint64_t size);
  void deallocate(void* ptr);

  // Returns the blocks that the calling thread keeps for reuse to the system.
  static void release_kept_blocks();

 private:
  uint64_t size_ = 0;
  uint32_t protect_ = 0;  // PROT_* of the mapping
  uint32_t access_ = 0;   // open(2) flags of the file
  int file_ = -1;         // -1 for an anonymous block
  bool reusable_ = false;  // an anonymous read-write block
  void* mapping_ = nullptr;
  uint64_t mapped_length_ = 0;
};

}  // namespace libutils
