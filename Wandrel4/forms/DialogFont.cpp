#include "forms/DialogFont.h"

#include <cstring>

namespace forms {

HFONT CreateDialogFont(int dpi) {
  LOGFONTA font{};
  font.lfHeight = -MulDiv(kDialogPoints, dpi, 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = DEFAULT_QUALITY;
  std::strncpy(font.lfFaceName, kDialogFace, LF_FACESIZE - 1);
  return CreateFontIndirectA(&font);
}

}  // namespace forms
