// Loading the module library, with a clear text for each way it can fail.
#include "host/shell/ModuleLibrary.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(ModuleLibrary, MissingFile)
{
    host::ModuleLibrary lib;
    EXPECT_FALSE(lib.Load(QStringLiteral("/nonexistent/libjxc-transfer.so")));
    EXPECT_TRUE(lib.ErrorText().contains(QStringLiteral("找不到模块文件"))) << lib.ErrorText().toStdString();
    EXPECT_TRUE(lib.ErrorText().contains(QStringLiteral("libjxc-transfer.so")));
    EXPECT_FALSE(lib.IsLoaded());
}

TEST(ModuleLibrary, FileThatIsNoLibrary)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("libfake.so"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a library");
    f.close();
    host::ModuleLibrary lib;
    EXPECT_FALSE(lib.Load(path));
    EXPECT_TRUE(lib.ErrorText().contains(QStringLiteral("无法加载模块"))) << lib.ErrorText().toStdString();
    EXPECT_FALSE(lib.IsLoaded());
}

TEST(ModuleLibrary, LibraryWithoutTheExports)
{
    // Any real shared library that is not a module: Qt's own core library.
    QString qtCore;
    const QDir libs(QLibraryInfo::path(QLibraryInfo::LibrariesPath));
    for (const QString& name : libs.entryList({QStringLiteral("libQt6Core.so*")}, QDir::Files))
        qtCore = libs.filePath(name);
    if (qtCore.isEmpty())
        GTEST_SKIP() << "Qt core library not found";
    host::ModuleLibrary lib;
    EXPECT_FALSE(lib.Load(qtCore));
    EXPECT_TRUE(lib.ErrorText().contains(QStringLiteral("缺少导出函数 CreateWindow"))) << lib.ErrorText().toStdString();
    EXPECT_FALSE(lib.IsLoaded());
}

TEST(ModuleLibrary, TheModuleLoadsAndUnloads)
{
    if (!QFile::exists(QStringLiteral(JXC_MODULE_PATH)))
        GTEST_SKIP() << "module library not built";
    host::ModuleLibrary lib;
    ASSERT_TRUE(lib.Load(QStringLiteral(JXC_MODULE_PATH))) << lib.ErrorText().toStdString();
    EXPECT_TRUE(lib.IsLoaded());
    EXPECT_NE(lib.Create(), nullptr);
    EXPECT_NE(lib.Close(), nullptr);
    lib.Close()(); // without CreateWindow: nothing happens
    lib.Unload();
    EXPECT_FALSE(lib.IsLoaded());
    EXPECT_EQ(lib.Create(), nullptr);
}

} // namespace
