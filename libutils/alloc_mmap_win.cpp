#include "libutils/alloc_mmap_win.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <sstream>
#include <string>

#include "libutils/common.h"
#include "libutils/error_exit.h"

namespace libutils {

namespace {
// mmap cannot make a 0-byte mapping; empty blocks point here instead.
unsigned char s_empty_block[1];
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
    const int code = errno;
    if (filename == nullptr && code == ENOMEM) {
      fail(std::cerr, "(anonymous)", ": create file mapping failed.");
      ErrorExit("alloc_mmap_win::allocate()");
    }
    std::ostringstream text;
    text << ": MapViewOfFile(" << (filename ? filename : "(anonymous)") << ", " << protect_ << ", "
         << (offset >> 32) << ", " << (offset & 0xffffffffu) << ", " << size << ") error detect.";
    fail(std::cerr, std::to_string(code), text.str());
    if (file_ >= 0) ::close(file_);
    file_ = -1;
    return nullptr;
  }
  // The mapping keeps the file's pages; the descriptor is not needed any more
  // and closing it keeps long runs clear of the descriptor limit.
  if (file_ >= 0) ::close(file_);
  file_ = -1;
  mapping_ = view;
  return view;
}

void alloc_mmap_win::deallocate(void* ptr) {
  if (ptr != nullptr && ptr != s_empty_block && mapped_length_ != 0) ::munmap(ptr, mapped_length_);
  if (file_ >= 0) ::close(file_);
  file_ = -1;
  mapping_ = nullptr;
  mapped_length_ = 0;
}

}  // namespace libutils
