#pragma once
// The licence of the TrueType font the game's bitmap font is rendered from,
// written beside the font file because the licence asks for its notice to
// travel with every copy.

extern const char* const fontLicenceText;
