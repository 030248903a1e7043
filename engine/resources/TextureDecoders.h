#pragma once
#include "engine/resources/RawTexture.h"

// The readers of the three image formats. Each reads an open file through
// the file layer and fills a RawTexture whose defaults are set; the caller
// frees the level blocks whatever the result (RawTexture::FreeLevels). Files
// are hostile: every size and count from a header is checked against the
// tables and against the bytes the file still holds before anything is
// allocated or read, and a refusal is logged naming the file. No OpenGL call
// is made here. Texture::LoadTGA, the TGA reader, is declared in Texture.h.

class KyFile;

namespace KyE
{
namespace Graphic
{
namespace Material
{
constexpr int TGA_HEADER_SIZE = 18;
constexpr int BMP_FILE_HEADER_SIZE = 14;
constexpr int BMP_INFO_HEADER_SIZE = 40;
constexpr int KYT_HEADER_SIZE = 28;

// The engine's own ".kyt" format.
bool LoadRawTexture(KyFile& file, RawTexture& rawTexture, const char* fileName);
// Decodes the run-length encoded pixels behind a TGA header into buffer,
// which holds width x height x bytes per pixel bytes as the header gives
// them. A file that ends early leaves the rest of the image as it was.
bool LoadRleTga(unsigned char* buffer, const unsigned char* header, KyFile& file, const char* fileName);
// A BMP file after its 14-byte file header.
bool LoadBMP(KyFile& file, RawTexture& rawTexture, const char* fileName);

// Picks the reader by fileName's extension ("bmp", "kyt", "tga", in that
// order, case-sensitive) and runs it on the open file; a BMP's file header is
// read and its "BM" checked here. False for any other extension.
bool DecodeTextureFile(KyFile& file, const char* fileName, RawTexture& rawTexture);
} // namespace Material
} // namespace Graphic
} // namespace KyE
