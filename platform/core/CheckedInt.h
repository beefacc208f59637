#pragma once
// Whole-number arithmetic that reports overflow instead of wrapping or trapping: each operation
// returns the exact result, or nothing when it does not fit in 64 bits. Portable C++ only.
#include <cstdint>
#include <limits>
#include <optional>

namespace platform::checked {

using Int = std::int64_t;
inline constexpr Int kMin = std::numeric_limits<Int>::min();
inline constexpr Int kMax = std::numeric_limits<Int>::max();

constexpr std::optional<Int> Add(Int a, Int b)
{
    if ((b > 0 && a > kMax - b) || (b < 0 && a < kMin - b))
        return std::nullopt;
    return a + b;
}

constexpr std::optional<Int> Sub(Int a, Int b)
{
    if ((b < 0 && a > kMax + b) || (b > 0 && a < kMin + b))
        return std::nullopt;
    return a - b;
}

constexpr std::optional<Int> Mul(Int a, Int b)
{
    if (a == 0 || b == 0)
        return Int(0);
    if ((a == -1 && b == kMin) || (b == -1 && a == kMin))
        return std::nullopt;
    if (a > 0 ? (b > 0 ? a > kMax / b : b < kMin / a) : (b > 0 ? a < kMin / b : a < kMax / b))
        return std::nullopt;
    return a * b;
}

// Truncating division; b must not be 0. Only kMin / -1 overflows.
constexpr std::optional<Int> Div(Int a, Int b)
{
    if (a == kMin && b == -1)
        return std::nullopt;
    return a / b;
}

// Remainder with the sign of a, as C++ and Oracle's mod give it; b must not be 0. Never
// overflows: kMin % -1 is 0, although the hardware division behind it traps.
constexpr Int Rem(Int a, Int b) { return b == -1 ? 0 : a % b; }

} // namespace platform::checked
