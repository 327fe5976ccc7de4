// Checks on the pictures and folders an album build produces: reference
// quarter turns and halvings of decoded pictures, how far two decoded
// pictures differ, and a snapshot of a folder's files to prove that nothing
// in it was written.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "tests/support/make_jpeg.h"

namespace testutil {

// `picture` turned `turns` quarter turns clockwise.
decoded_t rotate_reference(const decoded_t& picture, unsigned turns);
// Both sides halved (odd last column and odd top row dropped, as a
// bottom-up picture buffer halves), each pixel the truncated mean of its
// 2 x 2 block.
decoded_t halve_reference(const decoded_t& picture);
// The largest difference of one component between two pictures of the same
// size and layout; 256 when the sizes or layouts differ.
unsigned max_difference(const decoded_t& a, const decoded_t& b);
// The mean difference in brightness per pixel, which re-encoding with
// halved chroma barely changes; 256 when sizes or layouts differ.
double mean_difference(const decoded_t& a, const decoded_t& b);

// What is at one path: the bytes (through links) and the modification time
// (of the entry itself) in nanoseconds, and its inode.
struct file_state_t {
  std::string bytes;
  int64_t mtime_ns = 0;
  uint64_t inode = 0;
  bool operator==(const file_state_t& o) const {
    return bytes == o.bytes && mtime_ns == o.mtime_ns && inode == o.inode;
  }
};
file_state_t file_state(const std::string& path);
// Every regular file or link below dir by its relative path.
std::map<std::string, file_state_t> folder_state(const std::string& dir);

}  // namespace testutil
