#include "CReadWriteEasyRegData.h"

#include <cstdint>

namespace easyreg {
namespace {

// Registry data type codes, as the platform numbers them.
enum : uint32_t {
  kNone = 0,
  kSz = 1,
  kExpandSz = 2,
  kBinary = 3,
  kDword = 4,
  kDwordBigEndian = 5,
  kLink = 6,
  kMultiSz = 7,
  kResourceList = 8,
  kFullResourceDescriptor = 9,
  kResourceRequirementsList = 10,
};

constexpr size_t kMax16 = 32767;  // the largest count a 16-bit signed counter holds

}  // namespace

Variant QueryFailure(long code) {
  if (code == 2) return Variant();
  if (code == 5) return "Access Denied";
  return "RegQueryValueEx Returned : (" + std::to_string(code) + ")";
}

std::optional<std::string> HexText(std::string_view data) {
  if (data.size() >= kMax16) return std::nullopt;
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(data.size() * 3);
  for (unsigned char byte : data) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0F];
    hex += ' ';
  }
  return hex;
}

std::optional<Variant::List> MultiSzList(std::string_view data) {
  Variant::List list;
  while (!data.empty()) {
    const size_t nul = data.find('\0');
    if (nul == std::string_view::npos || list.size() >= kMax16) return std::nullopt;
    list.emplace_back(std::string(data.substr(0, nul)));
    data.remove_prefix(nul + 1);
  }
  return list;
}

Variant DecodeValue(uint32_t type, std::string_view data, bool returnBinStr) noexcept {
  try {
    switch (type) {
      case kNone:
        return "Not defined value_type=REG_NONE";
      case kSz:
      case kExpandSz:
        // The last byte is taken to be the terminator, whatever it holds; with no bytes at
        // all there is no text.
        if (data.empty()) return "";
        return std::string(data.substr(0, data.size() - 1));
      case kBinary:
      case kDword:
        if (returnBinStr) return std::string(data);
        return HexText(data).value_or("");
      case kDwordBigEndian:
        return std::string(data);
      case kLink:
        return "Not defined value_type=REG_LINK";
      case kMultiSz: {
        auto list = MultiSzList(data);
        if (!list) return "";
        return Variant(std::move(*list));
      }
      case kResourceList:
        return "Not defined value_type=REG_RESOURCE_LIST";
      case kFullResourceDescriptor:
        return "Not defined value_type=REG_FULL_RESOURCE_DESCRIPTOR";
      case kResourceRequirementsList:
        return "Not defined value_type=REG_RESOURCE_REQUIREMENTS_LIST";
      default:
        return "value_type=" + std::to_string(static_cast<int32_t>(type));
    }
  } catch (...) {
    // Only memory exhaustion gets here: the conversion failed, so no text. An empty
    // string allocates nothing.
    return Variant(std::string());
  }
}

std::optional<std::string> EncodeValue(int32_t type, const Variant& vWriteThis,
                                       const std::optional<Variant>& additionalStrings) {
  switch (type) {
    case kSz:
    case kExpandSz: {
      std::string data = vWriteThis.TextForm();
      data += '\0';
      return data;
    }
    case kDword: {
      const auto value = static_cast<uint32_t>(vWriteThis.ToInt32());
      std::string data(4, '\0');
      for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
      return data;
    }
    case kMultiSz: {
      std::string data = vWriteThis.TextForm();
      data += '\0';
      // Empty and Null candidates, an empty text and a lone NUL are skipped; any other
      // candidate is written in its text form (a List has none and fails here, before
      // anything is written).
      auto append = [&data](const Variant& candidate) {
        if (candidate.IsEmpty() || candidate.IsNull()) return;
        std::string piece = candidate.TextForm();
        if (piece.empty() || piece == std::string_view("\0", 1)) return;
        data += piece;
        data += '\0';
      };
      if (additionalStrings) {
        if (additionalStrings->IsList()) {
          for (const Variant& candidate : additionalStrings->list()) append(candidate);
        } else {
          append(*additionalStrings);
        }
      }
      data += '\0';
      return data;
    }
    default:
      return std::nullopt;
  }
}

}  // namespace easyreg
