#include "forms/DialogFont.h"

#include <cstring>

namespace forms {
namespace {

int CALLBACK NoteFound(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;  // one is enough
}

bool HasFace(const char* face) {
  LOGFONTA wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  std::strncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
  bool found = false;
  HDC screen = GetDC(nullptr);
  EnumFontFamiliesExA(screen, &wanted, NoteFound, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, screen);
  return found;
}

}  // namespace

const char* DialogFace() {
  // Looked up once: the fonts a process sees do not come and go between its windows, and a
  // form's creation or a DPI change need not ask the font list again.
  static const char* const face =
      HasFace(kScalableDialogFace) ? kScalableDialogFace : kClassicDialogFace;
  return face;
}

HFONT CreateDialogFont(int dpi) {
  LOGFONTA font{};
  font.lfHeight = -MulDiv(kDialogPoints, dpi, 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  std::strncpy(font.lfFaceName, DialogFace(), LF_FACESIZE - 1);
  return CreateFontIndirectA(&font);
}

}  // namespace forms
