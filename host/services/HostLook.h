#pragma once
// The host's look: Chinese fonts that render on every machine and the shared grid styles.
#include <QFont>
#include <QString>

namespace platform { class StyleRepository; }

namespace host {

// The CJK family the host uses: 宋体 (or SimSun) when installed, else the first installed of
// WenQuanYi Micro Hei, WenQuanYi Zen Hei, Noto Sans CJK SC; "" when none is.
QString ChineseFamily();

// Maps 宋体 / SimSun to the installed family when they are absent, so forms that ask for 宋体
// render Chinese, and makes it the application font. Returns the family in use.
QString InstallChineseFonts(int pointSize = 9);

// The four shared sheets in the host's look: calm blue-grey header and footer, banded rows,
// a clear selection, bold captions for banded views.
void ApplyHostLook(platform::StyleRepository& styles);

// A copy with its own storage. Text the module hands over may live in the module library's
// constant data; whatever the host keeps past an unload must not point there.
inline QString OwnCopy(const QString& s) { return s.isEmpty() ? QString() : QString(s.constData(), s.size()); }

} // namespace host
