// Drawing the whole desktop background as a desktop shows a wallpaper: the picture placed by
// the style on every monitor over the background colour. Pure raster work, so it can be
// checked pixel by pixel without a display.
#pragma once

#include <span>

#include "desktop/posix/handover/desktop_style.h"
#include "image/raster.h"

namespace tapisto {

// Draws `src` scaled to the size of `target`, with its top-left corner at target's top-left,
// onto `dst`, touching only pixels inside `clip` and inside `dst`. Each direction is resampled
// on its own: where it shrinks every output pixel is the average of the source area it covers
// (partly covered source pixels count by the part covered); where it grows it is interpolated
// bilinearly between the two nearest source pixel centres; where the size stays the pixels
// are copied. Only the visible part is computed, so a target far larger than `dst` costs no
// more than the part shown. An empty `src` or `target` draws nothing.
void DrawScaled(Raster& dst, Rect target, Rect clip, const Raster& src);

// The rectangle that a picture of pictureWidth x pictureHeight covers on `area` (a monitor)
// for `style`; it may reach beyond the area (fill, and centre with a larger picture), whose
// overhang is cut off. Fit and fill keep the proportions, rounding the scaled side to the
// nearest pixel, and centre the result; a picture already of the area's size stays as it is.
// Tile gives the picture's own size at the area's top-left corner.
Rect PicturePlacement(DesktopStyle style, int pictureWidth, int pictureHeight, Rect area);

// The desktop background: a width x height raster in `background`, with `picture` (nullptr
// for none) placed by `style` on each of `monitors` (an empty list counts as one monitor over
// the whole raster). Span stretches the picture over the rectangle that holds all monitors;
// tile repeats it from the raster's top-left corner over everything.
Raster RenderDesktop(const Raster* picture, Colour background, DesktopStyle style, int width,
                     int height, std::span<const Rect> monitors);

}  // namespace tapisto
