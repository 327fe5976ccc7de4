#include "libutils/alloc_new.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <new>

namespace libutils {

void* alloc_new::allocate(uint64_t& size, const char* filename, int, uint64_t offset,
                          android_app*) {
  if (filename == nullptr) {
    size_ = size;
    return new (std::nothrow) unsigned char[size ? size : 1]();
  }
  std::ifstream in(filename, std::ios::binary | std::ios::ate);
  if (!in) return nullptr;
  const uint64_t file_size = static_cast<uint64_t>(in.tellg());
  if (size == 0) size = file_size > offset ? file_size - offset : 0;
  auto* data = new (std::nothrow) unsigned char[size ? size : 1]();
  if (data == nullptr) return nullptr;
  in.seekg(static_cast<std::streamoff>(offset));
  in.read(reinterpret_cast<char*>(data), static_cast<std::streamsize>(size));
  size_ = size;
  return data;
}

void* alloc_new::reallocate(void* ptr, uint64_t n) {
  auto* data = new (std::nothrow) unsigned char[n ? n : 1]();
  if (data == nullptr) return nullptr;
  if (ptr != nullptr) std::memcpy(data, ptr, std::min(size_, n));
  delete[] static_cast<unsigned char*>(ptr);
  size_ = n;
  return data;
}

void alloc_new::deallocate(void* ptr) {
  delete[] static_cast<unsigned char*>(ptr);
  size_ = 0;
}

}  // namespace libutils
