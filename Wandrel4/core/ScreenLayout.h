// The layout of the monitors the locations were recorded on. The same screen coordinates
// name another place once the monitors change (a dock left, another monitor made the main
// one, a remote session from another client), so clicks follow only on the recorded layout.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Locations.h"

namespace core {

using ScreenLayout = std::vector<Rect>;

// The stored text: each monitor as "left,top,right,bottom", in a fixed order, joined by
// ";". Empty when no monitor is known.
std::string LayoutText(std::span<const Rect> monitors);

// The layout a stored text describes; none for text that is not such a list.
std::optional<ScreenLayout> ParseLayout(std::string_view text);

// Whether clicks may follow: always where no layout was recorded (settings from before
// layouts were kept, or one that cannot be read), else only while the monitors now are the
// recorded ones, in any order.
bool ClicksAllowed(const std::optional<ScreenLayout>& recorded, std::span<const Rect> now);

}  // namespace core
