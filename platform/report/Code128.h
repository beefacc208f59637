#pragma once
// Code 128 bar codes: a text turned into its symbol values and the widths of its bars and
// spaces, in modules. Printable ASCII goes in code set B; a run of digits long enough to save
// symbols goes in code set C, two digits a symbol. No painting and no UI here: the band report
// draws the widths.
#include <QString>
#include <vector>

namespace platform::report {

namespace code128 {
constexpr int StartB = 104;
constexpr int StartC = 105;
constexpr int SwitchToB = 100; // "Code B" in set C
constexpr int SwitchToC = 99;  // "Code C" in set B
constexpr int Stop = 106;
// A symbol is three bars and three spaces of 11 modules; the stop has a last bar of 2 more.
constexpr int SymbolModules = 11;
constexpr int StopModules = 13;
// The blank room a scanner needs on either side of the bars.
constexpr int QuietModules = 10;
} // namespace code128

// The symbol values of text: the start code, the data with any code set switches, the check
// symbol (the start value plus each data value times its position, modulo 103) and the stop.
// Empty when text is empty or holds a character outside printable ASCII (space to '~'), which
// this encoder does not print.
std::vector<int> Code128Symbols(const QString& text);

// The widths of the symbols' bars and spaces in modules, alternating, a bar first: six per
// symbol, seven for the stop. Values outside 0 .. 106 are skipped.
std::vector<int> Code128Widths(const std::vector<int>& symbols);

} // namespace platform::report
