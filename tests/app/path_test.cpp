#include "app/path.h"

#include <gtest/gtest.h>

namespace pictora {
namespace {

struct make_case {
  path_t p;
  std::vector<std::string> parts;  // 0, 1 or 2 extra parts
  std::string expected;
};

std::string make_with(const path_t& p, const std::vector<std::string>& parts) {
  std::string out = "stale";  // every form replaces what was there
  if (parts.empty()) p.make(out);
  else if (parts.size() == 1) p.make(out, parts[0]);
  else p.make(out, parts[0], parts[1]);
  return out;
}

TEST(PathMake, JoinsNonEmptyPartsWithOneSeparator) {
  const make_case cases[] = {
      {{"/book", "trip", "day1"}, {}, "/book/trip/day1"},
      {{"/book", "trip", "day1"}, {"original", "a.jpg"}, "/book/trip/day1/original/a.jpg"},
      {{"/book", "", "day1"}, {}, "/book/day1"},
      {{"/book", "", ""}, {}, "/book"},
      {{"/book", "", ""}, {"txt"}, "/book/txt"},
      {{"/book", "trip", ""}, {"txt", "head.txt"}, "/book/trip/txt/head.txt"},
      {{"/book", "trip", "day1"}, {"", "x"}, "/book/trip/day1/x"},
      {{"/book", "trip", "day1"}, {"x", ""}, "/book/trip/day1/x"},
      {{"/book", "trip/sub", "day1"}, {"x"}, "/book/trip/sub/day1/x"},
      // Separators inside a part are kept, never doubled away or removed.
      {{"/book/", "trip", "day1"}, {}, "/book//trip/day1"},
      {{"/book", "trip", "day1"}, {"/txt/"}, "/book/trip/day1//txt/"},
      // A path relative to the base has an empty base.
      {{"", "trip", "day1"}, {}, "trip/day1"},
      {{"", "", ""}, {"a", "b"}, "a/b"},
      {{"", "", ""}, {}, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(make_with(c.p, c.parts), c.expected)
        << "base=" << c.p.base << " book=" << c.p.book << " album=" << c.p.album;
  }
}

TEST(PathSubmake, GivesTheDirectoryRelativeToTheBase) {
  const std::pair<path_t, std::string> cases[] = {
      {{"/book", "trip", "day1"}, "trip/day1"},
      {{"/book", "", "day1"}, "day1"},
      {{"/book", "trip", ""}, "trip"},
      {{"/book", "", ""}, ""},
      {{"/book", "trip/sub", "day1"}, "trip/sub/day1"},
  };
  for (const auto& [p, expected] : cases) {
    std::string out = "stale";
    p.submake(out);
    EXPECT_EQ(out, expected) << p.book << " + " << p.album;
  }
}

TEST(PathSubmake, NamesTheBookOfTheNextLevel) {
  const path_t book{"/book", "trip", ""};
  path_t album{book.base, "", "day1"};
  book.submake(album.book);
  std::string out;
  album.make(out, "txt");
  EXPECT_EQ(out, "/book/trip/day1/txt");
}

}  // namespace
}  // namespace pictora
