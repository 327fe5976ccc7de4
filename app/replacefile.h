// Writing a text file so that readers only ever see the old or the complete
// new contents: the bytes go to a temporary file in the same directory, which
// then replaces the target by rename. A link at the target is replaced, never
// written through, just as deleting the target first would do.
#pragma once

#include <fstream>
#include <string>

namespace pictora {

class replacefile_t {
 public:
  // Creates the temporary file; is_open() tells whether that worked, and on
  // failure errno says why.
  explicit replacefile_t(const std::string& path);
  // Removes the temporary file unless commit() moved it into place.
  ~replacefile_t();
  replacefile_t(const replacefile_t&) = delete;
  replacefile_t& operator=(const replacefile_t&) = delete;

  bool is_open() const { return os_.is_open(); }
  std::ostream& stream() { return os_; }
  // Closes the file and renames it onto the target; false (the target as it
  // was) when writing or renaming failed.
  bool commit();

 private:
  std::string path_;
  std::string temp_;
  std::ofstream os_;
};

}  // namespace pictora
