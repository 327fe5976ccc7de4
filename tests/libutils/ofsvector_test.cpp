// Counted memory blocks and the offset/window handles over them: sharing,
// windows, resizing, and whole-file mappings.
#include "libutils/ofsvector.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "libutils/refvector.h"
#include "tests/support/test_util.h"

namespace {

using bytes_t = libutils::ofsvector<unsigned char, libutils::alloc_mmap_win>;
constexpr uint64_t no_window = bytes_t::no_window;

// A fresh anonymous block of n bytes holding 0, 1, 2, ...
bytes_t counting_block(size_t n) {
  bytes_t b;
  EXPECT_TRUE(b.resize(n, 0));
  for (size_t i = 0; i < n; ++i) b[i] = static_cast<unsigned char>(i);
  return b;
}

std::vector<int> contents(const bytes_t& b) { return std::vector<int>(b.begin(), b.end()); }

std::vector<int> range(int first, int count) {
  std::vector<int> v;
  for (int i = 0; i < count; ++i) v.push_back(first + i);
  return v;
}

TEST(Block, DefaultHandleHasNothing) {
  const bytes_t b;
  EXPECT_TRUE(b.empty());
  EXPECT_EQ(b.size(), 0u);
  EXPECT_EQ(b.holders(), 0u);
  EXPECT_EQ(b.begin(), nullptr);
  EXPECT_EQ(b.offset(), 0u);
  EXPECT_EQ(b.window(), no_window);
}

TEST(Block, NewBlocksStartZeroed) {
  bytes_t b;
  ASSERT_TRUE(b.resize(5000, 0));
  EXPECT_EQ(contents(b), std::vector<int>(5000, 0));
  EXPECT_EQ(b.holders(), 1u);
}

TEST(Block, CopyKeepsTheDataAlive) {
  bytes_t a = counting_block(100);
  {
    bytes_t b = a;
    EXPECT_EQ(a.holders(), 2u);
    EXPECT_EQ(b.begin(), a.begin());
    a.clear();
    EXPECT_EQ(a.holders(), 0u);
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(b.holders(), 1u);
    EXPECT_EQ(contents(b), range(0, 100));
    a = b;
    EXPECT_EQ(b.holders(), 2u);
  }
  EXPECT_EQ(a.holders(), 1u);
  EXPECT_EQ(contents(a), range(0, 100));
}

TEST(Block, AssignmentReleasesTheOldBlockOnly) {
  bytes_t a = counting_block(10);
  const bytes_t a_copy = a;
  const bytes_t b = counting_block(20);
  a = b;
  EXPECT_EQ(a_copy.holders(), 1u);
  EXPECT_EQ(b.holders(), 2u);
  EXPECT_EQ(a.size(), 20u);
  const bytes_t& same = a;
  a = same;  // assigning the same block changes nothing
  EXPECT_EQ(b.holders(), 2u);
}

TEST(Block, SetWindow) {
  const bytes_t whole = counting_block(100);
  bytes_t middle;  // bytes 10..29
  middle.setwindow(whole, 10, 20);
  struct case_t {
    const char* what;
    const bytes_t& src;
    uint64_t start, length;
    uint64_t offset;
    std::vector<int> seen;
  };
  const std::vector<case_t> cases = {
      {"inside the source", middle, 2, 5, 12, range(12, 5)},
      {"no window runs to the block's end", middle, 5, no_window, 15, range(15, 85)},
      {"length is not clamped to the source", middle, 15, 10, 25, range(25, 10)},
      {"start past the source's end stops there", middle, 25, 3, 30, range(30, 3)},
      {"start past the block's end: empty at the end", whole, 150, 10, 100, {}},
      {"largest start", middle, no_window, no_window, 30, range(30, 70)},
      {"window 0", whole, 40, 0, 40, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    bytes_t view;
    view.setwindow(c.src, c.start, c.length);
    EXPECT_EQ(view.offset(), c.offset);
    EXPECT_EQ(view.window(), c.length);
    EXPECT_EQ(view.begin(), whole.begin() + c.offset);
    EXPECT_EQ(contents(view), c.seen);
    EXPECT_EQ(view.holders(), 3u);  // whole, middle and view
  }
}

TEST(Block, EmptyWithWindowZeroAlthoughTheBlockIsNot) {
  const bytes_t whole = counting_block(8);
  bytes_t view;
  view.setwindow(whole, 0, 0);
  EXPECT_TRUE(view.empty());
  EXPECT_EQ(view.size(), 0u);
  EXPECT_FALSE(whole.empty());
}

TEST(Block, ResizeKeepsTheVisibleBytes) {
  const bytes_t whole = counting_block(100);
  bytes_t view;
  view.setwindow(whole, 10, 10);
  ASSERT_TRUE(view.resize(5, 0));
  EXPECT_EQ(contents(view), range(10, 5));
  EXPECT_EQ(view.holders(), 1u);
  EXPECT_EQ(view.offset(), 0u);
  EXPECT_EQ(view.window(), no_window);
  EXPECT_EQ(whole.holders(), 1u);
  EXPECT_EQ(contents(whole), range(0, 100));

  ASSERT_TRUE(view.resize(8, 0));  // growing pads with zeros
  std::vector<int> expected = range(10, 5);
  expected.resize(8, 0);
  EXPECT_EQ(contents(view), expected);

  bytes_t shut;
  shut.setwindow(whole, 3, 0);  // nothing visible: nothing copied
  ASSERT_TRUE(shut.resize(4, 0));
  EXPECT_EQ(contents(shut), std::vector<int>(4, 0));
}

class FileBlock : public testing::Test {
 protected:
  testutil::TempDir tmp_;
};

TEST_F(FileBlock, MapsTheWholeFile) {
  const std::string bytes("JPEG\0\xff\xd8 data", 12);
  testutil::write_file(tmp_ / "IMG 1.jpg", bytes);
  bytes_t b = counting_block(4);
  bytes_t view;
  view.setwindow(b, 1, 2);
  ASSERT_TRUE(view.load(0, (tmp_ / "IMG 1.jpg").c_str(), libutils::e_prot_readonly, 0, false,
                        nullptr));
  EXPECT_EQ(std::string(view.begin(), view.end()), bytes);
  EXPECT_EQ(view.offset(), 0u);
  EXPECT_EQ(view.window(), no_window);
  EXPECT_EQ(view.holders(), 1u);
  EXPECT_EQ(b.holders(), 1u);
}

TEST_F(FileBlock, ZeroByteFileIsAnEmptyBlock) {
  testutil::write_file(tmp_ / "empty.jpg", "");
  bytes_t b;
  ASSERT_TRUE(
      b.load(0, (tmp_ / "empty.jpg").c_str(), libutils::e_prot_readonly, 0, false, nullptr));
  EXPECT_TRUE(b.empty());
  EXPECT_EQ(b.size(), 0u);
  EXPECT_EQ(b.holders(), 1u);
}

TEST_F(FileBlock, MissingFileLeavesNoBlock) {
  bytes_t b = counting_block(10);
  EXPECT_FALSE(
      b.load(0, (tmp_ / "missing.jpg").c_str(), libutils::e_prot_readonly, 0, false, nullptr));
  EXPECT_EQ(b.holders(), 0u);
  EXPECT_EQ(b.size(), 0u);
  EXPECT_TRUE(b.empty());
}

TEST(Block, LoadKeepingTheOldBytes) {
  bytes_t b = counting_block(10);
  ASSERT_TRUE(b.load(16, nullptr, libutils::e_prot_readwrite, 0, true, nullptr));
  std::vector<int> expected = range(0, 10);
  expected.resize(16, 0);
  EXPECT_EQ(contents(b), expected);

  // A read-only block cannot take the old bytes; it stays as made.
  ASSERT_TRUE(b.load(4, nullptr, libutils::e_prot_readonly, 0, true, nullptr));
  EXPECT_EQ(contents(b), std::vector<int>(4, 0));
}

TEST(Block, UnknownProtectionFails) {
  bytes_t b = counting_block(4);
  EXPECT_FALSE(b.load(4, nullptr, 2, 0, true, nullptr));
  EXPECT_EQ(contents(b), range(0, 4));  // kept: the old block stays with keep
  EXPECT_FALSE(b.load(4, nullptr, 2, 0, false, nullptr));
  EXPECT_EQ(b.holders(), 0u);
}

TEST(HeapBlock, PaletteEntries) {
  libutils::refvector<unsigned short, libutils::alloc_new> palette;
  ASSERT_TRUE(palette.resize(4, 0));
  EXPECT_EQ(std::vector<int>(palette.begin(), palette.end()), std::vector<int>(4, 0));
  for (size_t i = 0; i < 4; ++i) palette[i] = static_cast<unsigned short>(0x1000 * (i + 1));
  const auto shared = palette;
  EXPECT_EQ(shared.holders(), 2u);
  ASSERT_TRUE(palette.resize(2, 0));
  EXPECT_EQ(std::vector<int>(palette.begin(), palette.end()), (std::vector<int>{0x1000, 0x2000}));
  EXPECT_EQ(shared.holders(), 1u);
  EXPECT_EQ(shared.size(), 4u);
  EXPECT_EQ(shared[3], 0x4000);
}

}  // namespace
