// Well-formed pictures made byte by byte, as icon and bitmap files and in the form the
// standard picture object persists them: the samples both the native check tests and the
// control's tests under Wine start from. Plain C++, no Windows header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace picture_samples {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
inline void PutBig32(Bytes& b, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(v >> shift));
}
inline void Set32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
inline uint32_t Get32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

inline uint32_t RowBytes(uint32_t width, uint32_t bits) { return (width * bits + 31) / 32 * 4; }

// A BITMAPINFOHEADER with its colour table (a grey ramp) or masks, then `pixelRows` rows.
inline void PutDib(Bytes& b, uint32_t width, int32_t height, uint32_t bits, bool bitfields,
                   uint32_t pixelRows, uint32_t maskRows) {
  Put32(b, 40);
  Put32(b, width);
  Put32(b, static_cast<uint32_t>(height));
  Put16(b, 1);
  Put16(b, bits);
  Put32(b, bitfields ? 3 : 0);
  Put32(b, RowBytes(width, bits) * pixelRows + RowBytes(width, 1) * maskRows);
  for (int i = 0; i < 4; ++i) Put32(b, 0);  // resolution, colours used, important
  if (bitfields) {
    Put32(b, 0xFF0000);
    Put32(b, 0x00FF00);
    Put32(b, 0x0000FF);
  }
  const uint32_t colors = bits <= 8 ? 1u << bits : 0;
  for (uint32_t i = 0; i < colors; ++i) Put32(b, (i * 255 / (colors - 1)) * 0x010101);
  for (uint32_t y = 0; y < pixelRows; ++y) {
    for (uint32_t x = 0; x < RowBytes(width, bits); ++x) b.push_back(static_cast<uint8_t>(x ^ y));
  }
  b.insert(b.end(), RowBytes(width, 1) * maskRows, 0);  // the mask: every pixel opaque
}

// An icon image: colour pixels and mask under a header of twice the height.
inline Bytes IconImage(uint32_t size, uint32_t bits) {
  Bytes b;
  PutDib(b, size, static_cast<int32_t>(2 * size), bits, bits == 32, size, size);
  return b;
}

inline uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

inline void PutChunk(Bytes& b, const char* type, const Bytes& data) {
  PutBig32(b, static_cast<uint32_t>(data.size()));
  const size_t start = b.size();
  b.insert(b.end(), type, type + 4);
  b.insert(b.end(), data.begin(), data.end());
  PutBig32(b, Crc32(b.data() + start, b.size() - start));
}

// A PNG of size x size RGBA pixels, its zlib stream made of stored (uncompressed) blocks.
inline Bytes PngImage(uint32_t size) {
  Bytes raw;
  for (uint32_t y = 0; y < size; ++y) {
    raw.push_back(0);  // no filter
    for (uint32_t x = 0; x < size; ++x) {
      raw.insert(raw.end(), {static_cast<uint8_t>(x), static_cast<uint8_t>(y), 0x80, 0xFF});
    }
  }
  Bytes z{0x78, 0x01};
  for (size_t at = 0; at < raw.size(); at += 65535) {
    const size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
    z.push_back(at + n == raw.size() ? 1 : 0);
    Put16(z, static_cast<uint32_t>(n));
    Put16(z, static_cast<uint32_t>(~n & 0xFFFF));
    z.insert(z.end(), raw.begin() + at, raw.begin() + at + n);
  }
  uint32_t a = 1, s = 0;
  for (uint8_t c : raw) {
    a = (a + c) % 65521;
    s = (s + a) % 65521;
  }
  PutBig32(z, s << 16 | a);

  Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  PutBig32(header, size);
  PutBig32(header, size);
  header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", z);
  PutChunk(png, "IEND", {});
  return png;
}

struct IconEntry {
  uint32_t size;  // pixels; 256 is written as 0
  uint32_t bits;
  bool png;
};

// An icon file with one image per entry, in the order given.
inline Bytes IconFile(const std::vector<IconEntry>& entries) {
  std::vector<Bytes> images;
  for (const auto& e : entries)
    images.push_back(e.png ? PngImage(e.size) : IconImage(e.size, e.bits));
  Bytes b;
  Put16(b, 0);
  Put16(b, 1);
  Put16(b, static_cast<uint32_t>(entries.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    const auto& e = entries[i];
    b.push_back(static_cast<uint8_t>(e.size == 256 ? 0 : e.size));
    b.push_back(static_cast<uint8_t>(e.size == 256 ? 0 : e.size));
    b.push_back(static_cast<uint8_t>(e.bits < 8 ? 1u << e.bits : 0));
    b.push_back(0);
    Put16(b, 1);
    Put16(b, e.bits);
    Put32(b, static_cast<uint32_t>(images[i].size()));
    Put32(b, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const auto& image : images) b.insert(b.end(), image.begin(), image.end());
  return b;
}

// A bitmap file, bottom-up, with the pixels right after the header and colour table.
inline Bytes BitmapFile(uint32_t width, uint32_t height, uint32_t bits) {
  Bytes dib;
  PutDib(dib, width, static_cast<int32_t>(height), bits, false, height, 0);
  const uint32_t colors = bits <= 8 ? 1u << bits : 0;
  Bytes b{'B', 'M'};
  Put32(b, static_cast<uint32_t>(14 + dib.size()));
  Put32(b, 0);
  Put32(b, 14 + 40 + colors * 4);
  b.insert(b.end(), dib.begin(), dib.end());
  return b;
}

// The standard picture object's persisted form: "lt\0\0", the image's length, the image.
inline Bytes Persisted(const Bytes& image) {
  Bytes b{'l', 't', 0, 0};
  Put32(b, static_cast<uint32_t>(image.size()));
  b.insert(b.end(), image.begin(), image.end());
  return b;
}

}  // namespace picture_samples
