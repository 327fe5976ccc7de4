// Operations that make one image from another: quarter turns, turning the
// row order over, halving, and widening to RGB and RGBA. Each takes the
// result first and the source second, never changes the source, and makes
// its result in a new block unless it says it shares. Only the conversions
// the system uses are provided (no channel swaps, palettes, fills or
// arithmetic).
#pragma once

#include "libgr/imagetype.h"

namespace libgr {

// Clockwise quarter turns that show a picture upright: the user's `count`
// plus what the EXIF orientation asks for (6: 1, 3: 2, 8: 3), modulo 4. Any
// other orientation leaves `count` as it is, not reduced.
unsigned long long mixorientandrightrotatecount(unsigned long long count,
                                                unsigned long long orientation);

// Turns `count` quarter turns clockwise. Count 0 shares the source's pixels;
// a count above 3 fails and leaves dst untouched. Pixels narrower than a byte
// are not moved.
bool rotate(unsigned long long count, image2d_t& dst, const image2d_t& src);

// Reverses the row order (bottom-up to top-down and back); row padding of the
// result is zero. Refuses flagged images.
bool flip(image2d_t& dst, const image2d_t& src);

// Halves width and height (odd last column or row dropped); each pixel is the
// truncated mean of a 2 x 2 block. A side of 1 stays 1, its pixels counted
// twice in each block. 8-bit GRAYSCALE, RGB, BGR, RGBA, BGRA.
bool scaledown(image2d_t& dst, const image2d_t& src);

// scaledown of image into itself: where the image holds its block alone and
// sees all of it, the half is written over the picture in that block (which
// keeps its size), sparing a new block; otherwise it is made in a new one.
bool halve(image2d_t& image);

// GRAYSCALE of 1, 4 or 8 bits to 8-bit RGB; other formats are shared as they
// are.
bool grayscale2rgb(image2d_t& dst, const image2d_t& src);

// 8-bit RGB to RGBA with A = 255; RGBA is shared; anything else is shared and
// gives false.
bool rgb2rgba(image2d_t& dst, const image2d_t& src);

}  // namespace libgr
