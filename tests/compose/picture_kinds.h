// A picture of each reader kind written to disk, with the source raster a composition must
// build from it (a PNG over the background colour, a GIF's transparent pixels in it).
#pragma once

#include <string>

#include "support/compose_rig.h"

namespace tapisto::test {

enum class Kind { Bmp, Jpeg, Gif, Png };

struct KindPicture {
  std::string path;
  Raster expected;
};

const char* NameOf(Kind kind);

// A w x h picture of `kind` named "<stem>.<ext>" in the rig's scratch folder.
KindPicture MakeKindPicture(const ComposeRig& rig, Kind kind, int w, int h,
                            const std::string& stem = "bild");

inline constexpr Kind kAllKinds[] = {Kind::Bmp, Kind::Jpeg, Kind::Gif, Kind::Png};

}  // namespace tapisto::test
