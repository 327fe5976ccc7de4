#pragma once

#include <gtest/gtest.h>

#include <iostream>

namespace testutil {

template <typename Fn>
std::string capture_stderr(Fn&& fn) {
  std::cerr.flush();
  testing::internal::CaptureStderr();
  fn();
  std::cerr.flush();
  return testing::internal::GetCapturedStderr();
}

}  // namespace testutil
