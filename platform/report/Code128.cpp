#include "platform/report/Code128.h"

namespace platform::report {

namespace {

// Bar, space, bar, space, bar, space widths of the symbol values 0 .. 105; the stop follows.
const char* const kPatterns[] = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212", "221213",
    "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221", "223211", "221132",
    "221231", "213212", "223112", "312131", "311222", "321122", "321221", "312212", "322112", "322211",
    "212123", "212321", "232121", "111323", "131123", "131321", "112313", "132113", "132311", "211313",
    "231113", "231311", "112133", "112331", "132131", "113123", "113321", "133121", "313121", "211331",
    "231131", "213113", "213311", "213131", "311123", "311321", "331121", "312113", "312311", "332111",
    "314111", "221411", "431111", "111224", "111422", "121124", "121421", "141122", "141221", "112214",
    "112412", "122114", "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111",
    "111242", "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311", "113141",
    "114131", "311141", "411131", "211412", "211214", "211232",
};
const char* const kStopPattern = "2331112";

bool IsDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

int DigitRun(const QString& text, int from)
{
    int end = from;
    while (end < text.size() && IsDigit(text[end]))
        ++end;
    return end - from;
}

// Set C pays when it saves symbols: a switch in and (unless the run ends the text) one back
// cost two, so a run in the middle needs 6 digits, one at either end 4. Only even runs go in
// set C; an odd run prints its first digit in set B and is judged again.
bool WorthSetC(int position, int run, int length)
{
    if (run < 4 || run % 2 != 0)
        return false;
    return position == 0 || position + run == length || run >= 6;
}

} // namespace

std::vector<int> Code128Symbols(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return {};
    if (text.isEmpty())
        return {};
    std::vector<int> values;
    bool inC = false;
    int i = 0;
    while (i < text.size()) {
        const int run = DigitRun(text, i);
        if (inC) {
            if (run >= 2) {
                values.push_back(text[i].digitValue() * 10 + text[i + 1].digitValue());
                i += 2;
                continue;
            }
            values.push_back(code128::SwitchToB);
            inC = false;
        }
        if (WorthSetC(i, run, int(text.size()))) {
            values.push_back(values.empty() ? code128::StartC : code128::SwitchToC);
            inC = true;
            continue;
        }
        if (values.empty())
            values.push_back(code128::StartB);
        values.push_back(text[i].unicode() - 0x20);
        ++i;
    }
    int sum = values.front();
    for (size_t p = 1; p < values.size(); ++p)
        sum += int(p) * values[p];
    values.push_back(sum % 103);
    values.push_back(code128::Stop);
    return values;
}

std::vector<int> Code128Widths(const std::vector<int>& symbols)
{
    std::vector<int> widths;
    widths.reserve(symbols.size() * 6 + 1);
    for (const int value : symbols) {
        if (value < 0 || value > code128::Stop)
            continue;
        for (const char* w = value == code128::Stop ? kStopPattern : kPatterns[value]; *w; ++w)
            widths.push_back(*w - '0');
    }
    return widths;
}

} // namespace platform::report
