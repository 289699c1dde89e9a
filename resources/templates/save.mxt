// A game's save file: a header, the entries with their Shift-JIS names and
// items, and a checksum at a fixed place.
match "*.sav";
match @ 0 "SAVE";

little;                               // default byte order; "big;" switches it
enum Kind : u8 { sword = 1, shield = 2, potion = 3 };
struct Item { Kind kind; u8 count; u16 price; };
struct Entry {
  sjis name[12];                      // Shift-JIS text, zero-padded
  be u32 score;                       // this field big endian
  filetime saved;
  u16 itemCount;
  Item items[itemCount];
};
struct Save {
  char magic[4];                      // "SAVE"
  u32 version;
  u32 count;
  Entry entries[count];
  if (version >= 2) { guid id; }
  u32 checksum @ 0x1FC;               // at a fixed offset
};
Save save @ 0;
