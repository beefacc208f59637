#pragma once
// Reading printed bar codes back as a scanner would: a PDF page rasterised at 300 dpi by
// poppler's pdftoppm, the picture decoded by zbarimg (package zbar-tools). Without the
// programs a test skips, and fails under CI, where setup.sh installs them.
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <initializer_list>

namespace scantest {

inline QStringList Missing(std::initializer_list<const char*> programs)
{
    QStringList missing;
    for (const char* p : programs)
        if (QStandardPaths::findExecutable(QLatin1String(p)).isEmpty())
            missing << QLatin1String(p);
    return missing;
}

// Every symbol zbarimg finds in the picture, one string each, in its raw text.
inline QStringList Decode(const QString& picture)
{
    QProcess p;
    p.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), picture});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// One page of a PDF file as a 300 dpi PNG next to pngBase; returns the PNG's path.
inline QString PageAt300Dpi(const QString& pdf, int page, const QString& pngBase)
{
    QProcess p;
    p.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                                         QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                         QString::number(page), QStringLiteral("-singlefile"), pdf, pngBase});
    p.waitForFinished(60000);
    return pngBase + QStringLiteral(".png");
}

inline QStringList DecodePdfPage(const QString& pdf, int page, const QString& pngBase)
{
    return Decode(PageAt300Dpi(pdf, page, pngBase));
}

} // namespace scantest

// Skips the test when a program is missing; under CI (CI set) that is a failure.
#define JXC_REQUIRE_PROGRAMS(...)                                                                  \
    do {                                                                                           \
        const QStringList missing_ = scantest::Missing({__VA_ARGS__});                             \
        if (!missing_.isEmpty()) {                                                                 \
            if (qEnvironmentVariableIsSet("CI"))                                                   \
                FAIL() << "not installed: " << missing_.join(u' ').toStdString();                  \
            GTEST_SKIP() << "not installed: " << missing_.join(u' ').toStdString();                \
        }                                                                                          \
    } while (false)
