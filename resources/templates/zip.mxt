// ZIP archive: the local file headers from the start of the file, each with
// its name and data, as long as one follows another.
match "*.zip";
match @ 0 x"50 4B 03 04";

little;
enum Method : u16 { stored = 0, shrunk = 1, imploded = 6, deflated = 8, deflate64 = 9, bzip2 = 12, lzma = 14,
                    zstd = 93, xz = 95, aes = 99 };
struct LocalFile {
  u32 signature;                      // 0x04034B50, "PK\3\4"
  u16 versionNeeded;
  u16 flags;                          // bit 3: sizes in a descriptor after the data
  Method method;
  dosdatetime modified;
  u32 crc32;
  u32 compressedSize;
  u32 uncompressedSize;
  u16 nameLength;
  u16 extraLength;
  char name[nameLength];
  u8 extra[extraLength];
  u8 data[compressedSize];
};
LocalFile files[] while (here() + 4 <= filesize() && u32at(here()) == 0x04034B50);
