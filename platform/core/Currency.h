#pragma once
// Fixed-point money: 4 decimals, stored as a scaled 64-bit integer. Arithmetic that needs rounding
// rounds half to even, as currency arithmetic of the desktop platform does.
#include <QMetaType>
#include <QString>
#include <cstdint>
#include <optional>

namespace platform {

class Currency {
public:
    static constexpr int64_t Scale = 10000;
    // The range: whole units a scaled 64-bit integer holds (922,337,203,685,477 either way).
    static constexpr int64_t MaxWhole = INT64_MAX / Scale;
    static constexpr bool HoldsWhole(int64_t v) { return v <= MaxWhole && v >= -MaxWhole; }
    // A finite value inside the range; FromDouble maps anything else to 0.
    static bool Holds(double v);

    constexpr Currency() = default;
    static constexpr Currency FromRaw(int64_t raw) { Currency c; c.raw_ = raw; return c; }
    static Currency FromInt(int64_t v) { return FromRaw(v * Scale); }
    // Nearest 0.0001, ties to even.
    static Currency FromDouble(double v);
    // Plain decimal text ("12.5", "-0.0001", "3"); no thousands separators, no currency sign.
    static std::optional<Currency> Parse(const QString& text);

    constexpr int64_t Raw() const { return raw_; }
    double ToDouble() const { return double(raw_) / double(Scale); }
    // Plain decimal text without trailing zeros: the form SQL statements carry.
    QString ToString() const;
    // Fixed number of decimals (0..4), rounding half to even.
    QString ToFixed(int decimals) const;

    Currency operator+(Currency o) const { return FromRaw(raw_ + o.raw_); }
    Currency operator-(Currency o) const { return FromRaw(raw_ - o.raw_); }
    Currency operator-() const { return FromRaw(-raw_); }
    Currency& operator+=(Currency o) { raw_ += o.raw_; return *this; }
    Currency& operator-=(Currency o) { raw_ -= o.raw_; return *this; }
    // Product rounded to 0.0001, ties to even.
    Currency operator*(Currency o) const;
    Currency operator*(double factor) const;
    auto operator<=>(const Currency&) const = default;

private:
    int64_t raw_ = 0;
};

// Registers the value types the module puts into QVariants (Currency) from the calling program.
// A host that loads the module calls it once at start: Qt keeps the first registration of a type
// for the life of the process, and the module's own would point into a library the host may
// unload and load again.
void RegisterValueTypes();

} // namespace platform

Q_DECLARE_METATYPE(platform::Currency)
