// File names and download folders for arbitrary titles, addresses, user
// names and folder texts: a name is always one the file system stores, and a
// planned folder never lies outside the save or favorites folder.
#include "FuzzCheck.h"

#include "naming/DownloadFolders.h"
#include "naming/FileNames.h"
#include "naming/UserNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fuzzer/FuzzedDataProvider.h>

using namespace Qt::StringLiterals;

namespace {

// Site text arrives one character per byte; typed text may be anything.
QString text(FuzzedDataProvider &input, bool typed)
{
    const std::string bytes = input.ConsumeRandomLengthString(300);
    return typed ? QString::fromUtf8(bytes.data(), qsizetype(bytes.size()))
                 : QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

bool inside(const QString &path, const QString &base)
{
    const QString cleanPath = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    QString cleanBase = QDir::cleanPath(QFileInfo(base).absoluteFilePath());
    if (!cleanBase.endsWith(u'/'))
        cleanBase += u'/';
    return cleanPath + u'/' == cleanBase || cleanPath.startsWith(cleanBase);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int mode = input.ConsumeIntegralInRange(-1, 2);
    const bool typed = input.ConsumeBool();
    const QString user = text(input, typed);
    const QString full = u"http://files.example/"_s + text(input, false);
    const QString title = text(input, false);

    const QString name = MakeFileName(full, title, mode, user);
    FUZZ_CHECK(!name.isEmpty() && name != u"."_s && name != u".."_s, name);
    FUZZ_CHECK(!name.contains(u'/'), name);
    for (const QChar c : name)
        FUZZ_CHECK(c.unicode() >= 32, name);
    FUZZ_CHECK(QFile::encodeName(name).size() <= 255, name);
    FUZZ_CHECK(name == MakeFileName(full, title, mode, user), name);

    static const QString folders[] = {QStringLiteral("gallery"), QStringLiteral("scraps"),
                                      QStringLiteral("favorites")};
    FolderRequest request;
    request.layout = input.ConsumeIntegralInRange(-1, 2);
    request.commonFavs = input.ConsumeBool();
    const bool ordinaryFolder = input.ConsumeBool();
    request.folder =
        ordinaryFolder ? folders[input.ConsumeIntegralInRange(0, 2)] : text(input, true);
    request.savePath = u"/save/"_s + text(input, true);
    request.favPath =
        input.ConsumeBool() ? request.savePath + u"favs"_s : u"/favs/"_s + text(input, true);
    request.user = user;

    const FolderPlan plan = planDownloadFolder(request);
    FUZZ_CHECK(plan.folder.isEmpty() == plan.levels.isEmpty(), plan.folder);
    FUZZ_CHECK(plan.folder.isEmpty() || plan.error.isEmpty(), plan.error);
    for (const QString &level : plan.levels)
        FUZZ_CHECK(inside(level, plan.savePath) || inside(level, plan.favPath), level);
    // Ordinary user names always get their folder.
    if (ordinaryFolder && request.layout >= 0 && userNameProblem(user).isEmpty())
        FUZZ_CHECK(!plan.folder.isEmpty(), user + u" "_s + plan.error);
    return 0;
}
