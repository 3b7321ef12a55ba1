#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace asapi {

// Whether an H.264 sequence parameter set (a NAL unit of type 7, header byte included) states
// its pictures' range in its video usability information: true for full range, false for
// limited; nothing when it says nothing, and a decoder keeps the range it had before.
std::optional<bool> statedFullRange(const std::vector<std::uint8_t>& sequenceParameterSet);

} // namespace asapi
