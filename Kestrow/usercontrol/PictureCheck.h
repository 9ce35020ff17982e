// Picture bytes from saved data, checked before the system's decoder sees them. The saved
// data travels inside documents and forms a host loads, so it is untrusted; the system's icon
// decoder reads wherever a damaged directory or header points. Plain C++, no Windows header,
// so the check is tested with the host compiler too.
#pragma once

#include <cstddef>
#include <cstdint>

namespace usercontrol {

enum class PictureKind { Rejected, Icon, Bitmap };

// The size of the header the standard picture object writes before its image: the tag
// "lt\0\0" and the image's length in bytes, both 32-bit little-endian.
constexpr size_t kPictureHeaderBytes = 8;

// The image length a picture header announces, or -1 when the bytes are no such header.
int64_t PictureImageLength(const uint8_t* header, size_t size);

// A picture as the standard picture object persists it (header, then exactly the announced
// image) is an icon or a bitmap whose every size and offset lies inside the data; anything
// else, metafiles and compressed bitmaps included, is rejected.
PictureKind CheckPersistedPicture(const uint8_t* data, size_t size);

// The image alone: an icon file (every directory entry and image checked) or a bitmap file.
PictureKind CheckIconFile(const uint8_t* data, size_t size);
PictureKind CheckBitmapFile(const uint8_t* data, size_t size);

}  // namespace usercontrol
