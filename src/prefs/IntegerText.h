#pragma once

#include <QString>
#include <optional>

// Integers as the preferences and profile files write them: leading blanks, an optional sign,
// then decimal digits, or hexadecimal digits after "$", "x", "X", "0x" or "0X"; nothing may
// follow. The value must fit a signed 32-bit integer (hexadecimal may use all 32 bits and
// wraps, so "$FFFFFFFF" is -1).
std::optional<qint32> parseIntegerText(const QString& text);
