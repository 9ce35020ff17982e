#include "usercontrol/PictureCheck.h"

#include <cstring>

namespace usercontrol {
namespace {

// Field readers: the callers have checked that the bytes are inside the data.
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }
uint32_t BigU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
         static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

constexpr size_t kInfoHeaderBytes = 40;  // BITMAPINFOHEADER
constexpr size_t kFileHeaderBytes = 14;  // BITMAPFILEHEADER
constexpr size_t kIconDirBytes = 6;
constexpr size_t kIconEntryBytes = 16;
constexpr uint32_t kRgb = 0;        // BI_RGB
constexpr uint32_t kBitfields = 3;  // BI_BITFIELDS: three 32-bit masks after a 40-byte header
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Bytes of one row of pixels: whole 32-bit units.
uint64_t RowBytes(uint64_t width, uint32_t bitCount) { return (width * bitCount + 31) / 32 * 4; }

bool KnownBitCount(uint32_t bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
         bitCount == 32;
}

// The fields of a BITMAPINFOHEADER that decide where everything after it lies. False when
// the header describes something the decoders would read wrongly or that cannot be checked
// (run-length or embedded JPEG/PNG compression).
struct DibLayout {
  int32_t width;
  int32_t height;
  uint32_t bitCount;
  uint64_t tableBytes;  // masks and colour table after the header
};

bool ReadDibHeader(const uint8_t* p, size_t size, DibLayout* layout) {
  if (size < kInfoHeaderBytes) return false;
  const uint32_t headerSize = U32(p);
  if (headerSize < kInfoHeaderBytes || headerSize > size) return false;
  const uint16_t planes = U16(p + 12);
  const uint32_t bitCount = U16(p + 14);
  const uint32_t compression = U32(p + 16);
  const uint32_t colorsUsed = U32(p + 32);
  if (planes != 1 || !KnownBitCount(bitCount)) return false;
  if (compression != kRgb && !(compression == kBitfields && (bitCount == 16 || bitCount == 32))) {
    return false;
  }
  const uint32_t maxColors = bitCount <= 8 ? 1u << bitCount : 256u;
  if (colorsUsed > maxColors) return false;
  const uint64_t colors = colorsUsed ? colorsUsed : (bitCount <= 8 ? maxColors : 0);
  // Later header versions hold the masks themselves.
  const uint64_t masks = compression == kBitfields && headerSize == kInfoHeaderBytes ? 12 : 0;
  layout->width = I32(p + 4);
  layout->height = I32(p + 8);
  layout->bitCount = bitCount;
  layout->tableBytes = masks + colors * 4;
  return headerSize + layout->tableBytes <= size;
}

// A PNG image: signature, a well-formed IHDR first, every chunk whole inside the image, and
// an IEND to end it.
bool CheckPngImage(const uint8_t* p, size_t size, uint32_t width, uint32_t height) {
  if (size < sizeof(kPngSignature) || memcmp(p, kPngSignature, sizeof(kPngSignature)) != 0) {
    return false;
  }
  size_t pos = sizeof(kPngSignature);
  bool first = true;
  while (size - pos >= 12) {
    const uint32_t length = BigU32(p + pos);
    const uint8_t* type = p + pos + 4;
    if (length > size - pos - 12) return false;
    const uint8_t* data = p + pos + 8;
    if (first) {
      if (memcmp(type, "IHDR", 4) != 0 || length != 13) return false;
      const uint8_t depth = data[8], colorType = data[9];
      const bool depthFits =
          (colorType == 0 &&
           (depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16)) ||
          (colorType == 3 && (depth == 1 || depth == 2 || depth == 4 || depth == 8)) ||
          ((colorType == 2 || colorType == 4 || colorType == 6) && (depth == 8 || depth == 16));
      if (BigU32(data) != width || BigU32(data + 4) != height || !depthFits || data[10] != 0 ||
          data[11] != 0 || data[12] > 1) {
        return false;
      }
      first = false;
    } else if (memcmp(type, "IEND", 4) == 0) {
      return length == 0;
    }
    pos += 12 + static_cast<size_t>(length);
  }
  return false;
}

// One image of an icon: a PNG, or a bitmap header whose height covers the colour image and
// the mask, with the colour table, the colour pixels and the mask inside the entry.
bool CheckIconImage(const uint8_t* p, size_t size, uint32_t width, uint32_t height) {
  if (size >= sizeof(kPngSignature) && memcmp(p, kPngSignature, sizeof(kPngSignature)) == 0) {
    return CheckPngImage(p, size, width, height);
  }
  DibLayout dib{};
  if (!ReadDibHeader(p, size, &dib) || U32(p) != kInfoHeaderBytes) return false;
  if (dib.width != static_cast<int32_t>(width) || dib.height != static_cast<int32_t>(2 * height)) {
    return false;
  }
  const uint64_t colorBytes = RowBytes(width, dib.bitCount) * height;
  const uint64_t maskBytes = RowBytes(width, 1) * height;
  return kInfoHeaderBytes + dib.tableBytes + colorBytes + maskBytes <= size;
}

}  // namespace

int64_t PictureImageLength(const uint8_t* header, size_t size) {
  if (size < kPictureHeaderBytes || memcmp(header, "lt\0\0", 4) != 0) return -1;
  return U32(header + 4);
}

PictureKind CheckPersistedPicture(const uint8_t* data, size_t size) {
  const int64_t length = PictureImageLength(data, size);
  if (length < 0 || static_cast<uint64_t>(length) != size - kPictureHeaderBytes) {
    return PictureKind::Rejected;
  }
  const uint8_t* image = data + kPictureHeaderBytes;
  const size_t imageSize = static_cast<size_t>(length);
  if (imageSize >= 4 && U16(image) == 0 && U16(image + 2) == 1) {
    return CheckIconFile(image, imageSize);
  }
  if (imageSize >= 2 && image[0] == 'B' && image[1] == 'M')
    return CheckBitmapFile(image, imageSize);
  return PictureKind::Rejected;
}

PictureKind CheckIconFile(const uint8_t* data, size_t size) {
  if (size < kIconDirBytes || U16(data) != 0 || U16(data + 2) != 1) return PictureKind::Rejected;
  const uint32_t count = U16(data + 4);
  const uint64_t directoryEnd = kIconDirBytes + uint64_t{count} * kIconEntryBytes;
  if (count == 0 || directoryEnd > size) return PictureKind::Rejected;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* entry = data + kIconDirBytes + i * kIconEntryBytes;
    // 0 in the directory stands for 256 pixels.
    const uint32_t width = entry[0] ? entry[0] : 256;
    const uint32_t height = entry[1] ? entry[1] : 256;
    const uint64_t bytes = U32(entry + 8);
    const uint64_t offset = U32(entry + 12);
    if (bytes == 0 || offset < directoryEnd || offset + bytes > size) return PictureKind::Rejected;
    if (!CheckIconImage(data + offset, static_cast<size_t>(bytes), width, height)) {
      return PictureKind::Rejected;
    }
  }
  return PictureKind::Icon;
}

PictureKind CheckBitmapFile(const uint8_t* data, size_t size) {
  if (size < kFileHeaderBytes || data[0] != 'B' || data[1] != 'M' || U32(data + 2) != size) {
    return PictureKind::Rejected;
  }
  const uint64_t bitsOffset = U32(data + 10);
  const uint8_t* info = data + kFileHeaderBytes;
  const size_t infoSize = size - kFileHeaderBytes;
  DibLayout dib{};
  if (!ReadDibHeader(info, infoSize, &dib)) return PictureKind::Rejected;
  const uint32_t headerSize = U32(info);
  if (headerSize != 40 && headerSize != 108 && headerSize != 124) return PictureKind::Rejected;
  // A negative height is a top-down bitmap.
  if (dib.width <= 0 || dib.height == 0 || dib.height == INT32_MIN) return PictureKind::Rejected;
  const uint64_t rows = dib.height < 0 ? -static_cast<int64_t>(dib.height) : dib.height;
  const uint64_t pixelBytes = RowBytes(static_cast<uint64_t>(dib.width), dib.bitCount) * rows;
  // The pixels may start right after the header even where masks follow it: the standard
  // picture object writes its own bitmaps so, and the masks then lie inside the data anyway.
  if (bitsOffset < kFileHeaderBytes + headerSize || bitsOffset + pixelBytes > size) {
    return PictureKind::Rejected;
  }
  return PictureKind::Bitmap;
}

}  // namespace usercontrol
