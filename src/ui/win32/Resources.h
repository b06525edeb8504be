// Resources.h - the numbers of the resources the program carries for its window; read by the
// resource compiler as well, so plain defines.
#pragma once

#define VEXO_RES_BACKGROUND_JPEG 101
#define VEXO_RES_BROWSE_GLYPH_PNG 102
