#include "ScreenLayout.h"

#include <algorithm>

#include "DecimalText.h"

namespace core {
namespace {

ScreenLayout Sorted(std::span<const Rect> monitors) {
  ScreenLayout sorted(monitors.begin(), monitors.end());
  std::sort(sorted.begin(), sorted.end());
  return sorted;
}

// The fields between separators: "a;b" gives two, "a;" two (the second empty).
std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  for (size_t start = 0;;) {
    const size_t end = text.find(separator, start);
    fields.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return fields;
    start = end + 1;
  }
}

std::optional<int32_t> WholeNumber(std::string_view field) {
  if (field.empty() || field.find_first_not_of("-0123456789") != std::string_view::npos) {
    return std::nullopt;
  }
  const Decimal number = ParseDecimal(field);
  if (number.status != DecimalStatus::Ok) return std::nullopt;
  return number.value;
}

}  // namespace

std::string LayoutText(std::span<const Rect> monitors) {
  std::string text;
  for (const Rect& m : Sorted(monitors)) {
    if (!text.empty()) text += ';';
    text += std::to_string(m.left) + ',' + std::to_string(m.top) + ',' + std::to_string(m.right) +
            ',' + std::to_string(m.bottom);
  }
  return text;
}

std::optional<ScreenLayout> ParseLayout(std::string_view text) {
  if (text.empty()) return std::nullopt;
  ScreenLayout layout;
  for (std::string_view monitor : Split(text, ';')) {
    const std::vector<std::string_view> fields = Split(monitor, ',');
    if (fields.size() != 4) return std::nullopt;
    int32_t edges[4]{};
    for (size_t i = 0; i < 4; ++i) {
      const std::optional<int32_t> number = WholeNumber(fields[i]);
      if (!number) return std::nullopt;
      edges[i] = *number;
    }
    layout.push_back({edges[0], edges[1], edges[2], edges[3]});
  }
  return layout;
}

bool ClicksAllowed(const std::optional<ScreenLayout>& recorded, std::span<const Rect> now) {
  return !recorded || Sorted(*recorded) == Sorted(now);
}

}  // namespace core
