#include "ColumnWidths.h"

namespace {

constexpr std::array<int, 4> kSharePercent{49, 17, 15, 19};

// numerator / 100 rounded to the nearest integer, halves to even; exact in integers, where
// 0.49 and friends are not exact in binary floating point.
int roundHundredthsHalfEven(int numerator)
{
    const int sign = numerator < 0 ? -1 : 1;
    const int magnitude = numerator * sign;
    int quotient = magnitude / 100;
    const int remainder = magnitude % 100;
    if (remainder > 50 || (remainder == 50 && quotient % 2 == 1))
        ++quotient;
    return quotient * sign;
}

} // namespace

std::array<int, 4> ColumnWidths::resized(int newWidth)
{
    const int delta = newWidth - m_reference;
    m_reference = newWidth;
    std::array<int, 4> changes{};
    for (std::size_t column = 0; column < changes.size(); ++column)
        changes[column] = roundHundredthsHalfEven(delta * kSharePercent[column]);
    return changes;
}
