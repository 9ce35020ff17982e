// The check that picture bytes from saved data pass before the system's decoder sees them:
// every picture the control writes is accepted, every damaged size, offset or header that
// would send a decoder outside the data is rejected.
#include <gtest/gtest.h>

#include <string>

#include "../common/PictureSamples.h"
#include "usercontrol/PictureCheck.h"

namespace {

using picture_samples::Bytes;
using picture_samples::IconEntry;
using picture_samples::IconFile;
using picture_samples::Persisted;
using picture_samples::Set32;
using usercontrol::PictureKind;

PictureKind Check(const Bytes& persisted) {
  return usercontrol::CheckPersistedPicture(persisted.data(), persisted.size());
}
PictureKind CheckIcon(const Bytes& icon) { return Check(Persisted(icon)); }

void Set16(Bytes& b, size_t at, uint32_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// Offsets inside an icon file with one entry and inside its image.
constexpr size_t kEntry = 6;
constexpr size_t kEntryBytes = kEntry + 8;
constexpr size_t kEntryOffset = kEntry + 12;
constexpr size_t kImage = 22;
// Inside a bitmap file.
constexpr size_t kInfo = 14;

Bytes OneIcon(uint32_t size, uint32_t bits) { return IconFile({{size, bits, false}}); }

// --- Accepted: what the control writes ---------------------------------------------------------

TEST(PictureCheck, AcceptsIconsOfEverySizeAndDepthTheControlSaves) {
  for (uint32_t size : {16u, 32u, 48u}) {
    for (uint32_t bits : {1u, 4u, 8u, 24u, 32u}) {
      EXPECT_EQ(CheckIcon(OneIcon(size, bits)), PictureKind::Icon) << size << " px " << bits;
    }
  }
  EXPECT_EQ(CheckIcon(IconFile({{256, 32, true}})), PictureKind::Icon) << "PNG, 256 px";
  // The built-in default's shape: several images in one file, a PNG among them.
  EXPECT_EQ(CheckIcon(IconFile({{16, 8, false}, {32, 8, false}, {48, 32, false}, {256, 32, true}})),
            PictureKind::Icon);
}

TEST(PictureCheck, AcceptsBitmapsAsTheStandardPictureWritesThem) {
  for (uint32_t bits : {1u, 4u, 8u, 16u, 24u, 32u}) {
    EXPECT_EQ(Check(Persisted(picture_samples::BitmapFile(5, 3, bits))), PictureKind::Bitmap)
        << bits;
  }
  // A 32-bit bitmap with masks, its pixels starting right after the 40-byte header, as the
  // standard picture object saves a bitmap it was handed.
  Bytes wine = picture_samples::BitmapFile(5, 3, 32);
  Set32(wine, kInfo + 16, 3);
  EXPECT_EQ(Check(Persisted(wine)), PictureKind::Bitmap);
  // A top-down bitmap.
  Bytes topDown = picture_samples::BitmapFile(5, 3, 24);
  Set32(topDown, kInfo + 8, static_cast<uint32_t>(-3));
  EXPECT_EQ(Check(Persisted(topDown)), PictureKind::Bitmap);
}

// --- The persisted header ----------------------------------------------------------------------

TEST(PictureCheck, RejectsAHeaderThatDoesNotFrameTheImage) {
  const Bytes good = Persisted(OneIcon(16, 8));
  ASSERT_EQ(Check(good), PictureKind::Icon);
  Bytes tag = good;
  tag[0] = 'L';
  EXPECT_EQ(Check(tag), PictureKind::Rejected);
  for (uint32_t length : {0u, 1u, static_cast<uint32_t>(good.size() - 9),
                          static_cast<uint32_t>(good.size() - 7), 0xFFFFFFFFu}) {
    Bytes b = good;
    Set32(b, 4, length);
    EXPECT_EQ(Check(b), PictureKind::Rejected) << "announced length " << length;
  }
  EXPECT_EQ(usercontrol::CheckPersistedPicture(good.data(), 7), PictureKind::Rejected);
  EXPECT_EQ(usercontrol::PictureImageLength(good.data(), 8), static_cast<int64_t>(good.size() - 8));
  EXPECT_EQ(usercontrol::PictureImageLength(tag.data(), 8), -1);
}

TEST(PictureCheck, RejectsWhatItCannotCheck) {
  const Bytes kinds[] = {
      {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0, 0},  // placeable metafile
      {1, 0, 0, 0, 0x6C, 0, 0, 0, 0, 0, 0, 0},           // enhanced metafile record
      {0xFF, 0xD8, 0xFF, 0xE0, 0, 0x10, 'J', 'F'},       // JPEG
      {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0},        // GIF
      {0, 0, 2, 0, 1, 0},                                // cursor
      {},                                                // nothing at all
  };
  for (const auto& image : kinds) EXPECT_EQ(Check(Persisted(image)), PictureKind::Rejected);
  // A bare PNG file is no icon either.
  EXPECT_EQ(Check(Persisted(picture_samples::PngImage(16))), PictureKind::Rejected);
}

// --- Icon directory and entries ----------------------------------------------------------------

TEST(PictureCheck, RejectsADamagedIconDirectory) {
  const Bytes good = IconFile({{16, 8, false}, {32, 8, false}});
  ASSERT_EQ(CheckIcon(good), PictureKind::Icon);
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    bool wide;
  } cases[] = {
      {"reserved word", 0, 1, false},
      {"count 0", 4, 0, false},
      {"count past the data", 4, 0xFFFF, false},
      {"count one more than written", 4, 3, false},
      {"size 0", kEntryBytes, 0, true},
      {"size 1", kEntryBytes, 1, true},
      {"size past the end", kEntryBytes, 0x7FFFFFFF, true},
      {"size one past the end", kEntryBytes, 0, true},  // set below
      {"offset inside the directory", kEntryOffset, 6, true},
      {"offset 0", kEntryOffset, 0, true},
      {"offset past the end", kEntryOffset, 0x10000000, true},
      {"offset and size wrap around", kEntryOffset, 0xFFFFFFF0u, true},
      {"second entry's offset past the end", kEntryOffset + 16, 0xFFFF, true},
  };
  for (auto c : cases) {
    Bytes b = good;
    if (std::string(c.what) == "size one past the end") {
      c.value = static_cast<uint32_t>(good.size()) - picture_samples::Get32(good, kEntryOffset) + 1;
    }
    if (c.wide) {
      Set32(b, c.at, c.value);
    } else {
      Set16(b, c.at, c.value);
    }
    EXPECT_EQ(CheckIcon(b), PictureKind::Rejected) << c.what;
  }
}

TEST(PictureCheck, RejectsADamagedIconImageHeader) {
  const Bytes good = OneIcon(32, 8);
  ASSERT_EQ(CheckIcon(good), PictureKind::Icon);
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    bool wide;
  } cases[] = {
      {"header size 12", kImage, 12, true},
      {"header size 41", kImage, 41, true},
      {"header size past the entry", kImage, 0x7FFFFFFF, true},
      {"width other than the entry's", kImage + 4, 33, true},
      {"width 0", kImage + 4, 0, true},
      {"negative width", kImage + 4, 0xFFFFFFE0u, true},
      {"height not twice the icon's", kImage + 8, 32, true},
      {"height too large", kImage + 8, 0x7FFFFFFF, true},
      {"planes 0", kImage + 12, 0, false},
      {"planes 2", kImage + 12, 2, false},
      {"bit count 0", kImage + 14, 0, false},
      {"bit count 2", kImage + 14, 2, false},
      {"bit count 64", kImage + 14, 64, false},
      {"run-length compression", kImage + 16, 1, true},
      {"masks on an 8-bit image", kImage + 16, 3, true},
      {"PNG compression", kImage + 16, 5, true},
      {"more colours than the depth holds", kImage + 32, 257, true},
      {"entry's width other than the image's", kEntry, 48, false},
      {"entry's height other than the image's", kEntry + 1, 16, false},
  };
  for (const auto& c : cases) {
    Bytes b = good;
    if (c.wide) {
      Set32(b, c.at, c.value);
    } else if (c.at <= kEntry + 1) {
      b[c.at] = static_cast<uint8_t>(c.value);
    } else {
      Set16(b, c.at, c.value);
    }
    EXPECT_EQ(CheckIcon(b), PictureKind::Rejected) << c.what;
  }
}

TEST(PictureCheck, RejectsAnIconWhoseTableOrMaskLeavesTheEntry) {
  // 4 bits: the colour table is 16 entries; declaring 16 more pixels' worth of table (a
  // bigger depth) or cutting the entry short leaves the mask or the table outside.
  Bytes four = OneIcon(16, 4);
  ASSERT_EQ(CheckIcon(four), PictureKind::Icon);
  Bytes deeper = four;
  Set16(deeper, kImage + 14, 8);  // 256 colours and twice the pixels: past the entry
  EXPECT_EQ(CheckIcon(deeper), PictureKind::Rejected);
  Bytes shortEntry = four;
  Set32(shortEntry, kEntryBytes, picture_samples::Get32(four, kEntryBytes) - 1);
  EXPECT_EQ(CheckIcon(shortEntry), PictureKind::Rejected) << "mask one byte short";
  // 32 bits with masks: the masks are inside, but without the masks flag the mask is not.
  Bytes thirtyTwo = OneIcon(48, 32);
  ASSERT_EQ(CheckIcon(thirtyTwo), PictureKind::Icon);
  Bytes withTable = thirtyTwo;
  Set32(withTable, kImage + 32, 256);
  EXPECT_EQ(CheckIcon(withTable), PictureKind::Rejected) << "a 256-entry table on top";
}

TEST(PictureCheck, RejectsADamagedPngImage) {
  const Bytes good = IconFile({{256, 32, true}});
  ASSERT_EQ(CheckIcon(good), PictureKind::Icon);
  const size_t png = kImage;
  const size_t ihdr = png + 8;
  const size_t idat = ihdr + 12 + 13;
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;  // written big-endian
  } cases[] = {
      {"signature", png, 0x89504E48},
      {"IHDR length", ihdr, 14},
      {"IHDR not first", ihdr + 4, 0x49444154},
      {"width other than the entry's", ihdr + 8, 255},
      {"height too large", ihdr + 12, 0x7FFFFFFF},
      {"IDAT length past the entry", idat, 0x7FFFFFFF},
      {"IDAT length one past the entry", idat, 0},  // set below
      {"IDAT length at its greatest", idat, 0xFFFFFFFF},
  };
  for (auto c : cases) {
    Bytes b = good;
    if (std::string(c.what) == "IDAT length one past the entry") {
      c.value = static_cast<uint32_t>(good.size() - idat - 12 + 1);
    }
    for (int i = 0; i < 4; ++i) b[c.at + i] = static_cast<uint8_t>(c.value >> (24 - 8 * i));
    EXPECT_EQ(CheckIcon(b), PictureKind::Rejected) << c.what;
  }
  Bytes depth = good;
  depth[ihdr + 8 + 8] = 3;  // 3 bits per sample exist for no colour type
  EXPECT_EQ(CheckIcon(depth), PictureKind::Rejected) << "bit depth";
  Bytes noEnd = good;
  Set32(noEnd, kEntryBytes, picture_samples::Get32(good, kEntryBytes) - 12);
  EXPECT_EQ(CheckIcon(noEnd), PictureKind::Rejected) << "IEND outside the entry";
}

// --- Bitmaps -----------------------------------------------------------------------------------

TEST(PictureCheck, RejectsADamagedBitmap) {
  const Bytes good = picture_samples::BitmapFile(7, 5, 8);
  ASSERT_EQ(Check(Persisted(good)), PictureKind::Bitmap);
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    bool wide;
  } cases[] = {
      {"file size 0", 2, 0, true},
      {"file size past the end", 2, static_cast<uint32_t>(good.size() + 1), true},
      {"file size 1", 2, 1, true},
      {"pixels inside the header", 10, 14 + 39, true},
      {"pixels offset 0", 10, 0, true},
      {"pixels past the end", 10, static_cast<uint32_t>(good.size()), true},
      {"pixels offset at its greatest", 10, 0xFFFFFFFF, true},
      {"core header", kInfo, 12, true},
      {"header size 64", kInfo, 64, true},
      {"header size past the end", kInfo, 0x7FFFFFFF, true},
      {"width 0", kInfo + 4, 0, true},
      {"negative width", kInfo + 4, 0xFFFFFFF9u, true},
      {"width past the pixels", kInfo + 4, 9, true},
      {"height 0", kInfo + 8, 0, true},
      {"height past the pixels", kInfo + 8, 6, true},
      {"height at its least", kInfo + 8, 0x80000000u, true},
      {"planes 0", kInfo + 12, 0, false},
      {"bit count 3", kInfo + 14, 3, false},
      {"bit count 24 past the pixels", kInfo + 14, 24, false},
      {"run-length compression", kInfo + 16, 1, true},
      {"JPEG compression", kInfo + 16, 4, true},
      {"masks on 8 bits", kInfo + 16, 3, true},
      {"more colours than 8 bits hold", kInfo + 32, 257, true},
  };
  for (const auto& c : cases) {
    Bytes b = good;
    if (c.wide) {
      Set32(b, c.at, c.value);
    } else {
      Set16(b, c.at, c.value);
    }
    EXPECT_EQ(Check(Persisted(b)), PictureKind::Rejected) << c.what;
  }
  // A colour table that reaches past the data.
  Bytes wide = picture_samples::BitmapFile(1, 1, 32);
  Set32(wide, kInfo + 32, 256);
  EXPECT_EQ(Check(Persisted(wide)), PictureKind::Rejected) << "table past the end";
}

// --- Truncation --------------------------------------------------------------------------------

TEST(PictureCheck, RejectsEveryTruncatedPicture) {
  const Bytes samples[] = {
      IconFile({{16, 4, false}, {32, 32, false}}),
      IconFile({{48, 8, false}, {16, 32, true}}),
      picture_samples::BitmapFile(9, 4, 24),
  };
  for (const auto& image : samples) {
    Bytes framed = Persisted(image);
    ASSERT_NE(Check(framed), PictureKind::Rejected);
    for (size_t n = 0; n < image.size(); ++n) {
      // The image cut short, its header saying so or still announcing the whole.
      Set32(framed, 4, static_cast<uint32_t>(n));
      ASSERT_EQ(usercontrol::CheckPersistedPicture(framed.data(), 8 + n), PictureKind::Rejected)
          << "cut to " << n << " bytes";
      Set32(framed, 4, static_cast<uint32_t>(image.size()));
      ASSERT_EQ(usercontrol::CheckPersistedPicture(framed.data(), 8 + n), PictureKind::Rejected)
          << "cut to " << n << " bytes, framed as whole";
    }
  }
}

// Every byte of a sample set to a few telling values, each copy checked in a buffer of its
// exact size: under the sanitizers a read outside the data fails the run.
TEST(PictureCheck, DamageAnywhereIsJudgedInsideTheData) {
  const struct {
    Bytes image;
    PictureKind kind;
  } samples[] = {
      {IconFile({{16, 4, false}, {16, 32, true}}), PictureKind::Icon},
      {picture_samples::BitmapFile(3, 2, 8), PictureKind::Bitmap},
  };
  for (const auto& sample : samples) {
    const Bytes good = Persisted(sample.image);
    for (size_t at = 0; at < good.size(); ++at) {
      for (uint8_t value : {uint8_t{0}, uint8_t{1}, uint8_t{0x7F}, uint8_t{0xFF},
                            static_cast<uint8_t>(good[at] ^ 0x10)}) {
        Bytes damaged = good;
        damaged[at] = value;
        const PictureKind kind = Check(damaged);
        ASSERT_TRUE(kind == sample.kind || kind == PictureKind::Rejected) << "byte " << at;
      }
    }
  }
}

}  // namespace
