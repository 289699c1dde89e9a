// RIFF WAVE sound: the RIFF header and its chunks; the format chunk shown
// field by field.
match "*.wav";
match @ 8 "WAVE";

little;
enum Format : u16 { pcm = 1, adpcm = 2, float = 3, alaw = 6, mulaw = 7, extensible = 0xFFFE };
struct Chunk {
  char id[4];
  u32 size;
  if (id == "fmt ") {
    Format format;
    u16 channels;
    u32 samplesPerSecond;
    u32 bytesPerSecond;
    u16 blockAlign;
    u16 bitsPerSample;
    if (size > 16) { u8 extra[size - 16]; }
  } else {
    u8 data[size];
  }
  if (size % 2 == 1) { u8 pad; }      // chunks start on even offsets
};
struct Riff {
  char id[4];                         // "RIFF"
  u32 size;                           // bytes after this field
  char form[4];                       // "WAVE"
  Chunk chunks[] while (here() < 8 + size);
};
Riff riff;
