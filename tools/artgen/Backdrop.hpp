#pragma once

#include "tools/artgen/Raster.hpp"

namespace artgen
{

// The menus' 1280 x 720 backdrop: a fortress on a hill against a dusk sky, dark enough for
// light text on slate panels.
Layer MenuBackdrop();

} // namespace artgen
