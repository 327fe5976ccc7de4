// A counted heap block without offset or window (palette entries).
#pragma once

#include "libutils/alloc_new.h"
#include "libutils/refvector2.h"

namespace libutils {

template <typename T, typename A = alloc_new>
class refvector : public refvector2<T, A> {};

}  // namespace libutils
