#pragma once

namespace asapi {

// A rational number as MEncoder's options write them: 30, 30000/1001, 29.97, 16:9.
struct Ratio
{
    int num = 0;
    int den = 1;
    double value() const { return den == 0 ? 0.0 : static_cast<double>(num) / den; }
    bool operator==(const Ratio&) const = default;
};

} // namespace asapi
