// Windows bitmap: the file header, the info header (any of its versions),
// the colour table and the pixels.
match "*.bmp";
match "*.dib";
match @ 0 "BM";

little;
struct FileHeader {
  char type[2];                       // "BM"
  u32 size;
  u16 reserved1;
  u16 reserved2;
  u32 bitsOffset;                     // where the pixels start
};
enum Compression : u32 { rgb = 0, rle8 = 1, rle4 = 2, bitfields = 3, jpeg = 4, png = 5, alphaBitfields = 6 };
struct InfoHeader {
  u32 size;                           // 40, or 108 and 124 for the later versions
  s32 width;
  s32 height;                         // negative: the rows run from the top
  u16 planes;
  u16 bitCount;
  Compression compression;
  u32 imageSize;
  s32 xPelsPerMeter;
  s32 yPelsPerMeter;
  u32 colorsUsed;
  u32 colorsImportant;
  if (size > 40) { u8 moreHeader[size - 40]; }
};
struct RgbQuad { u8 blue; u8 green; u8 red; u8 reserved; };

FileHeader file;
InfoHeader info;
if (info.bitCount <= 8) {
  if (info.colorsUsed != 0) { RgbQuad colors[info.colorsUsed]; }
  else { RgbQuad colors[1 << info.bitCount]; }
}
u8 pixels[filesize() - file.bitsOffset] @ file.bitsOffset;
