// Writes the workbook fuzzer's seed corpus into the folder given: small valid workbooks in the
// fuzzer's input form (see fuzz::Workbook).
#include "fuzz/FuzzTargets.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_workbook_seeds <folder>\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral(".")))
        return 1;
    for (const auto& [name, bytes] : fuzz::WorkbookSeeds()) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            return 1;
    }
    return 0;
}
