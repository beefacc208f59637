#include "host/shell/ModuleLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace host {

QString ModuleLibrary::DefaultPath(const QString& fileName)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(fileName);
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
