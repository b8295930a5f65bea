#include "compose/run_composition.h"

#include "compose/compositions.h"

namespace tapisto {

void RunComposition(Composition composition, CompositionContext& ctx, const std::string& fileName) {
  switch (composition) {
    case Composition::SinglePicture:
      SinglePictureWin10(ctx, fileName);
      return;
    case Composition::AddedPicture:
      AddPictureWin10(ctx, fileName, ctx.state.PreviousWallpaper);
      return;
    case Composition::Mirror:
      SpiegelnWin10(ctx, fileName);
      return;
    case Composition::Duplicate:
      TwoLogosWin10(ctx, false, fileName);
      return;
    case Composition::DuplicateMirrored:
      TwoLogosWin10(ctx, true, fileName);
      return;
    case Composition::DuplicateDoubleMirror:
      HorizontalDrehenUndSpiegelnWin10(ctx, true, fileName);
      return;
  }
}

}  // namespace tapisto
