#include "libutils/alloc_mmap_win.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "libutils/common.h"
#include "libutils/error_exit.h"

namespace libutils {

namespace {
// mmap cannot make a 0-byte mapping; empty blocks point here instead.
unsigned char s_empty_block[1];

// Blocks smaller than this come and go as they are: the kept ones are for
// pictures and encoded files.
constexpr uint64_t kept_least = 256 * 1024;
constexpr size_t kept_most = 2;

// The anonymous blocks that the thread has let go, the longest unused first.
struct kept_blocks_t {
  struct block_t {
    void* data;
    uint64_t length;
  };
  std::vector<block_t> blocks;

  ~kept_blocks_t() { release(); }
  void release() {
    for (const block_t& b : blocks) ::munmap(b.data, b.length);
    blocks.clear();
  }
  // The shortest kept block that holds `size` bytes without wasting more
  // than about as much again; null when there is none. Shorter blocks go:
  // they were made for smaller pictures than the ones now coming.
  void* take(uint64_t size, uint64_t& length) {
    size_t best = blocks.size();
    for (size_t i = 0; i < blocks.size(); ++i) {
      if (blocks[i].length >= size && blocks[i].length <= 2 * size + (2u << 20) &&
          (best == blocks.size() || blocks[i].length < blocks[best].length))
        best = i;
    }
    if (best == blocks.size()) {
      for (size_t i = blocks.size(); i-- > 0;) {
        if (blocks[i].length < size) {
          ::munmap(blocks[i].data, blocks[i].length);
          blocks.erase(blocks.begin() + static_cast<std::ptrdiff_t>(i));
        }
      }
      return nullptr;
    }
    void* data = blocks[best].data;
    length = blocks[best].length;
    blocks.erase(blocks.begin() + static_cast<std::ptrdiff_t>(best));
    return data;
  }
  void keep(void* data, uint64_t length) {
    if (blocks.size() == kept_most) {
      ::munmap(blocks.front().data, blocks.front().length);
      blocks.erase(blocks.begin());
    }
    blocks.push_back({data, length});
  }
};

kept_blocks_t& kept_blocks() {
  thread_local kept_blocks_t kept;
  return kept;
}

uint64_t whole_pages(uint64_t size) {
  const uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
  return (size + page - 1) / page * page;
}

}  // namespace

void* alloc_mmap_win::allocate(uint64_t& size, const char* filename, int prot,
                               uint64_t offset, android_app*) {
  if (prot == e_prot_readonly) {
    access_ = O_RDONLY;
    protect_ = PROT_READ;
  } else if (prot == e_prot_readwrite) {
    access_ = O_RDWR;
    protect_ = PROT_READ | PROT_WRITE;
  } else {
    return nullptr;
  }

  int flags = MAP_PRIVATE;
  reusable_ = filename == nullptr && prot == e_prot_readwrite;
  if (reusable_ && size >= kept_least) {
    uint64_t length = 0;
    if (void* kept = kept_blocks().take(size, length)) {
      // Zero, as a new block would be.
      std::memset(kept, 0, size);
      file_ = -1;
      size_ = size;
      mapped_length_ = length;
      mapping_ = kept;
      return kept;
    }
  }
  if (filename != nullptr) {
    // Without O_NONBLOCK opening a pipe waits for a writer that may never
    // come; only regular files are mapped.
    file_ = ::open(filename, static_cast<int>(access_) | O_CLOEXEC | O_NONBLOCK);
    if (file_ < 0) return nullptr;
    struct stat st;
    if (::fstat(file_, &st) != 0 || !S_ISREG(st.st_mode)) {
      const int code = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
      ::close(file_);
      file_ = -1;
      errno = code;
      return nullptr;
    }
    if (size == 0)
      size = static_cast<uint64_t>(st.st_size) > offset ? static_cast<uint64_t>(st.st_size) - offset : 0;
  } else {
    file_ = -1;
    // Anonymous blocks hold decoded pictures, their halves and encoded
    // files, which are written in full right away: taking all their pages in
    // the one call spares a page fault for every 4 KiB, which on a virtual
    // machine took a quarter of an album build (docs/performance.md).
    flags |= MAP_ANONYMOUS | MAP_POPULATE;
  }
  size_ = size;
  mapped_length_ = size;
  if (size == 0) {
    if (file_ >= 0) ::close(file_);
    file_ = -1;
    mapping_ = s_empty_block;
    return mapping_;
  }

  void* view = ::mmap(nullptr, size, static_cast<int>(protect_), flags, file_,
                      static_cast<off_t>(offset));
  if (view == MAP_FAILED) {
    // Memory for pictures that cannot be had ends the process, as every
    // other part of the program counts on it; a file that cannot be mapped
    // is its caller's to report, with errno saying why.
    const int code = errno;
    if (filename == nullptr && code == ENOMEM) ErrorExit("alloc_mmap_win::allocate(): create file mapping");
    if (file_ >= 0) ::close(file_);
    file_ = -1;
    errno = code;
    return nullptr;
  }
  // The mapping keeps the file's pages; the descriptor is not needed any more
  // and closing it keeps long runs clear of the descriptor limit.
  if (file_ >= 0) ::close(file_);
  file_ = -1;
  mapping_ = view;
  return view;
}

void* alloc_mmap_win::reallocate(void* ptr, uint64_t size) {
  if (!reusable_ || ptr == nullptr || ptr != mapping_ || ptr == s_empty_block) return nullptr;
  if (size > mapped_length_) {
    // What lies past the used bytes may be left from an earlier user.
    std::memset(static_cast<unsigned char*>(ptr) + size_, 0, mapped_length_ - size_);
    const uint64_t length = whole_pages(size);
    void* moved = ::mremap(ptr, mapped_length_, length, MREMAP_MAYMOVE);
    if (moved == MAP_FAILED) return nullptr;
#ifdef MADV_POPULATE_WRITE
    // Taken at once, as a new block's pages are (an older kernel refuses).
    ::madvise(moved, length, MADV_POPULATE_WRITE);
#endif
    mapping_ = moved;
    mapped_length_ = length;
  } else if (size > size_) {
    std::memset(static_cast<unsigned char*>(ptr) + size_, 0, size - size_);
  }
  size_ = size;
  return mapping_;
}

void alloc_mmap_win::release_kept_blocks() { kept_blocks().release(); }

void alloc_mmap_win::deallocate(void* ptr) {
  if (ptr != nullptr && ptr != s_empty_block && mapped_length_ != 0) {
    if (reusable_ && mapped_length_ >= kept_least)
      kept_blocks().keep(ptr, mapped_length_);
    else
      ::munmap(ptr, mapped_length_);
  }
  if (file_ >= 0) ::close(file_);
  file_ = -1;
  mapping_ = nullptr;
  mapped_length_ = 0;
  reusable_ = false;
}

}  // namespace libutils
