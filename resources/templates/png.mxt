// PNG image: the signature and the chunks up to the end of the file, every
// number big endian.
match "*.png";
match @ 0 x"89 50 4E 47 0D 0A 1A 0A";

big;
enum ColorType : u8 { gray = 0, rgb = 2, palette = 3, grayAlpha = 4, rgba = 6 };
struct Rgb { u8 red; u8 green; u8 blue; };
struct Chunk {
  u32 length;                         // bytes of data
  char type[4];
  if (type == "IHDR" && length == 13) {
    u32 width;
    u32 height;
    u8 bitDepth;
    ColorType colorType;
    u8 compression;
    u8 filter;
    u8 interlace;
  } else if (type == "PLTE" && length % 3 == 0) {
    Rgb entries[length / 3];
  } else {
    u8 data[length];
  }
  u32 crc;                            // CRC-32 of type and data
};
u8 signature[8];
Chunk chunks[];                       // as many as there are, to the end
