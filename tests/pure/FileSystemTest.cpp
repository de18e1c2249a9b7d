#include "platform/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

using namespace FileSystem;

TEST(FileSystem, ExistenceQueriesTellFilesFromFolders)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(u"downloading.dat"_s);
    const QString emptyFile = dir.filePath(u"empty file.png"_s);
    const QString folder = dir.filePath(u"bob-gallery"_s);
    for (const QString &path : {file, emptyFile}) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(path == file ? "data" : "") >= 0);
    }
    ASSERT_TRUE(QDir().mkdir(folder));

    struct Case
    {
        QString path;
        bool file;
        bool folder;
    };
    const Case cases[] = {
        {file, true, false},
        {emptyFile, true, false},
        {folder, false, true},
        {folder + u"/"_s, false, true},
        {dir.path(), false, true},
        {dir.filePath(u"missing.png"_s), false, false},
        {dir.filePath(u"missing/deeper/file.png"_s), false, false},
        {file + u"/inside"_s, false, false}, // a file used as a folder
        {QString(), false, false},
        {u"   "_s, false, false},
        {QString(QChar(0)) + u"x"_s, false, false},
        {dir.filePath(QString(300, u'n')), false, false}, // a name too long for the system
    };
    for (const Case &c : cases) {
        EXPECT_EQ(FileExists(c.path), c.file) << c.path.toStdString();
        EXPECT_EQ(FolderExists(c.path), c.folder) << c.path.toStdString();
    }
}

TEST(FileSystem, ExtensionIsWhatFollowsTheLastDotOfTheLastComponent)
{
    struct Case
    {
        const char *path;
        const char *extension;
    };
    const Case cases[] = {
        {"picture.png", "png"},
        {"archive.tar.gz", "gz"},
        {"Story.TXT", "TXT"},
        {"C:\\Downloads\\bob\\song.mp3", "mp3"},
        {"/home/bob/movie.swf", "swf"},
        {"http://files.example/images/bob/123.bob_pic.jpg", "jpg"},
        {"folder.d/noextension", ""},
        {"folder.d\\noextension", ""},
        {"mixed/sep.a\\last", ""},
        {"trailingdot.", ""},
        {".hidden", "hidden"},
        {"folder/", ""},
        {"", ""},
        {"http://files.example", "example"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(GetExtensionName(QString::fromUtf8(c.path)), QString::fromUtf8(c.extension))
            << c.path;
}
