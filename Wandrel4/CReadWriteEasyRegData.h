// The registry class's data formats: how the bytes of a registry value become a Variant
// and how a Variant becomes the bytes written. Pure functions, no registry calls.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "Variant.h"

namespace easyreg {

// What GetValue returns when the value cannot be queried, by the platform's error code:
// Empty for a value that does not exist (2), "Access Denied" (5), else the code in a text.
Variant QueryFailure(long code);

// The data bytes as two uppercase hexadecimal digits and a blank each: 01 A0 -> "01 A0 ".
// The byte counter is 16-bit: 32,767 bytes or more give std::nullopt.
std::optional<std::string> HexText(std::string_view data);

// REG_MULTI_SZ bytes as a List: every piece up to a NUL is one element, so the standard
// double-NUL ending yields one last empty element. std::nullopt for a piece without its
// NUL or more than 32,767 elements.
std::optional<Variant::List> MultiSzList(std::string_view data);

// What GetValue returns for data of the given type code. Never throws: a conversion that
// cannot be done gives the empty text.
Variant DecodeValue(uint32_t type, std::string_view data, bool returnBinStr) noexcept;

// The bytes that CreateValue writes for the type code, or std::nullopt for a type code it
// does not write. Throws VbError when vWriteThis or an additional string cannot be
// converted.
std::optional<std::string> EncodeValue(int32_t type, const Variant& vWriteThis,
                                       const std::optional<Variant>& additionalStrings);

}  // namespace easyreg
