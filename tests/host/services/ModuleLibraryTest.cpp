// Loading the module library, with a clear text for each way it can fail.
#include "host/shell/ModuleLibrary.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(ModuleLibrary, EachFailureSaysWhatIsWrong)
{
    host::ModuleLibrary lib;
    EXPECT_FALSE(lib.Load(QStringLiteral("/nonexistent/libjxc-transfer.so")));
    EXPECT_TRUE(lib.ErrorText().contains(QStringLiteral("找不到模块文件"))) << lib.ErrorText().toStdString();
    EXPECT_TRUE(lib.ErrorText().contains(QStringLiteral("libjxc-transfer.so")));

    QTemporaryDir dir;
    const QString fake = dir.filePath(QStringLiteral("libfake.so"));
    QFile f(fake);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a library");
    f.close();
    EXPECT_FALSE(lib.Load(fake));
    EXPECT_TRUE(lib.ErrorText().contains(QStringLiteral("无法加载模块"))) << lib.ErrorText().toStdString();

    // A real shared library that is no module: Qt's own core library.
    const QDir libs(QLibraryInfo::path(QLibraryInfo::LibrariesPath));
    const QStringList core = libs.entryList({QStringLiteral("libQt6Core.so*")}, QDir::Files);
    ASSERT_FALSE(core.isEmpty());
    EXPECT_FALSE(lib.Load(libs.filePath(core.first())));
    EXPECT_TRUE(lib.ErrorText().contains(QStringLiteral("缺少导出函数 CreateWindow"))) << lib.ErrorText().toStdString();
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_EQ(lib.Create(), nullptr);
}

} // namespace
