#include "host/shell/ModuleLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

// The installed module's folder relative to the program's, set by the build from the install
// layout; this value is only for a build that does not say.
#ifndef JXC_MODULE_DIR_FROM_BIN
#define JXC_MODULE_DIR_FROM_BIN "../lib/jxc"
#endif

namespace host {

QString ModuleLibrary::DefaultPath(const QString& fileName)
{
    // A build tree keeps the module beside the program; an installed program has it in a library
    // folder of its own, found from the program's place so that the tree works under any prefix.
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString beside = programDir.filePath(fileName);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed =
        QDir::cleanPath(programDir.filePath(QStringLiteral(JXC_MODULE_DIR_FROM_BIN "/") + fileName));
    // Neither there: the error names the place a build tree would have it, as before.
    return QFileInfo::exists(installed) ? installed : beside;
}

bool ModuleLibrary::Load(const QString& path)
{
    Unload();
    error_.clear();
    const QFileInfo info(path);
    if (!info.exists()) {
        error_ = QStringLiteral("找不到模块文件：%1").arg(QDir::toNativeSeparators(info.absoluteFilePath()));
        return false;
    }
    lib_.setFileName(info.absoluteFilePath());
    if (!lib_.load()) {
        error_ = QStringLiteral("无法加载模块 %1：%2").arg(QDir::toNativeSeparators(info.absoluteFilePath()), lib_.errorString());
        return false;
    }
    auto create = reinterpret_cast<CreateWindowProc>(lib_.resolve("CreateWindow"));
    auto close = reinterpret_cast<CloseWindowProc>(lib_.resolve("CloseWindow"));
    if (!create || !close) {
        error_ = QStringLiteral("模块 %1 缺少导出函数 %2")
                     .arg(QDir::toNativeSeparators(info.absoluteFilePath()),
                          !create ? QStringLiteral("CreateWindow") : QStringLiteral("CloseWindow"));
        lib_.unload();
        return false;
    }
    create_ = create;
    close_ = close;
    return true;
}

void ModuleLibrary::Unload()
{
    if (lib_.isLoaded())
        lib_.unload();
    create_ = nullptr;
    close_ = nullptr;
}

} // namespace host
