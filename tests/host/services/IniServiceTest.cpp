// Ini values in the host's configuration folder, by bare file name.
#include "host/services/IniService.h"
#include "platform/core/Exception.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using plugin::IntfPtr;

class IniServiceTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Folder() const { return dir.filePath(QStringLiteral("config")); }
    IntfPtr<host::IniService> Make() { return IntfPtr<host::IniService>(new host::IniService(Folder())); }
};

TEST_F(IniServiceTest, RoundTripKeepsValuesPerFileSectionAndKey)
{
    auto ini = Make();
    EXPECT_EQ(ini->ReadString(QStringLiteral("Bill_Print"), QStringLiteral("Page_Line"), QStringLiteral("Print.ini"),
                              QStringLiteral("0")),
              QStringLiteral("0"));
    ini->WriteString(QStringLiteral("Bill_Print"), QStringLiteral("Page_Line"), QStringLiteral("13"), QStringLiteral("Print.ini"));
    ini->WriteString(QStringLiteral("Other"), QStringLiteral("Page_Line"), QStringLiteral("7"), QStringLiteral("Print.ini"));
    ini->WriteString(QStringLiteral("Bill_Print"), QStringLiteral("Page_Line"), QStringLiteral("99"), QStringLiteral("Other.ini"));

    // A second service on the same folder reads what the first wrote: it is on disk.
    auto again = Make();
    EXPECT_EQ(again->ReadString(QStringLiteral("Bill_Print"), QStringLiteral("Page_Line"), QStringLiteral("Print.ini"), {}),
              QStringLiteral("13"));
    EXPECT_EQ(again->ReadString(QStringLiteral("Other"), QStringLiteral("Page_Line"), QStringLiteral("Print.ini"), {}),
              QStringLiteral("7"));
    EXPECT_EQ(again->ReadString(QStringLiteral("Bill_Print"), QStringLiteral("Page_Line"), QStringLiteral("Other.ini"), {}),
              QStringLiteral("99"));
    EXPECT_TRUE(QFile::exists(QDir(Folder()).filePath(QStringLiteral("Print.ini"))));
    EXPECT_TRUE(QFile::exists(QDir(Folder()).filePath(QStringLiteral("Other.ini"))));
}

TEST_F(IniServiceTest, ChineseTextAndSeparatorsSurviveAndTheFileIsUtf8)
{
    auto ini = Make();
    const QString value = QStringLiteral("调拨单, 第一联；\"引号\" = 等号");
    ini->WriteString(QStringLiteral("打印"), QStringLiteral("标题"), value, QStringLiteral("Print.ini"));
    EXPECT_EQ(Make()->ReadString(QStringLiteral("打印"), QStringLiteral("标题"), QStringLiteral("Print.ini"), {}), value);

    QFile f(QDir(Folder()).filePath(QStringLiteral("Print.ini")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.contains(QStringLiteral("调拨单").toUtf8())) << bytes.toStdString();
}

TEST_F(IniServiceTest, HandWrittenFilesReadAsWritten)
{
    QDir().mkpath(Folder());
    QFile f(QDir(Folder()).filePath(QStringLiteral("Print.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[Bill_Print]\r\nPage_Line=20\r\nTitle=A, B\r\n");
    f.close();
    auto ini = Make();
    EXPECT_EQ(ini->ReadString(QStringLiteral("Bill_Print"), QStringLiteral("Page_Line"), QStringLiteral("Print.ini"), {}),
              QStringLiteral("20"));
    EXPECT_EQ(ini->ReadString(QStringLiteral("Bill_Print"), QStringLiteral("Title"), QStringLiteral("Print.ini"), {}),
              QStringLiteral("A, B"));
    EXPECT_EQ(ini->ReadString(QStringLiteral("Bill_Print"), QStringLiteral("Missing"), QStringLiteral("Print.ini"),
                              QStringLiteral("dflt")),
              QStringLiteral("dflt"));
}

TEST_F(IniServiceTest, NamesThatLeaveTheFolderAreRefused)
{
    auto ini = Make();
    for (const QString& bad : {QStringLiteral("../Print.ini"), QStringLiteral("sub/Print.ini"), QStringLiteral("..\\x.ini"),
                               QStringLiteral("/etc/x.ini"), QStringLiteral(""), QStringLiteral(".."), QStringLiteral("C:x.ini")}) {
        EXPECT_THROW(ini->ReadString(QStringLiteral("s"), QStringLiteral("k"), bad, {}), platform::Exception) << bad.toStdString();
        EXPECT_THROW(ini->WriteString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"), bad), platform::Exception)
            << bad.toStdString();
    }
    EXPECT_THROW(ini->WriteString(QStringLiteral("a/b"), QStringLiteral("k"), QStringLiteral("v"), QStringLiteral("x.ini")),
                 platform::Exception) << "a section may not nest";
    // Nothing was written anywhere near the folder.
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("Print.ini"))));
    EXPECT_TRUE(QDir(Folder()).entryList(QDir::Files).isEmpty());
}

TEST_F(IniServiceTest, AnUnwritableFolderIsReportedNotIgnored)
{
    // A file where the folder should be: nothing can be created inside it.
    const QString blocker = dir.filePath(QStringLiteral("blocked"));
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    IntfPtr<host::IniService> ini(new host::IniService(blocker));
    EXPECT_THROW(ini->WriteString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"), QStringLiteral("x.ini")),
                 platform::Exception);
}

} // namespace
