// The one way from a style's composition to the routine that builds it, for apply and for the
// companion tool alike.
#pragma once

#include <string>

#include "compose/composition_context.h"
#include "state/style_table.h"

namespace tapisto {

// Runs `composition` on the picture `fileName` as compositions.h describes it; AddedPicture
// composes over the start wallpaper, the state's PreviousWallpaper.
void RunComposition(Composition composition, CompositionContext& ctx, const std::string& fileName);

}  // namespace tapisto
