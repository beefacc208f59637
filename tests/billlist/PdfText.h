#pragma once
// Reading back the PDF files the printed bill writes: pages, page size, and each page's text
// (poppler's pdfinfo and pdftotext).
#include <QProcess>
#include <QRegularExpression>
#include <QSizeF>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

namespace pdftest {

// Where a test writes its PDF: the temporary folder, or JXC_KEEP_PDF_DIR when set, so that the
// pages can be looked at afterwards.
inline QString OutputDir(const QTemporaryDir& temporary)
{
    const QString keep = qEnvironmentVariable("JXC_KEEP_PDF_DIR");
    return keep.isEmpty() ? temporary.path() : keep;
}

inline bool Available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
        && !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty();
}

inline QString Run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

inline int PageCount(const QString& file)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(Run(QStringLiteral("pdfinfo"), {file}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The first page's size, rounded to whole millimetres.
inline QSizeF PageSizeMm(const QString& file)
{
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts"))
                                          .match(Run(QStringLiteral("pdfinfo"), {file}));
    if (!m.hasMatch())
        return {};
    return QSizeF(qRound(m.captured(1).toDouble() * 25.4 / 72), qRound(m.captured(2).toDouble() * 25.4 / 72));
}

inline QString Text(const QString& file, int page)
{
    return Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                                             QStringLiteral("-l"), QString::number(page), file, QStringLiteral("-")});
}

} // namespace pdftest
