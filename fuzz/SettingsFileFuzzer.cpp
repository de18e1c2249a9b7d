// A settings file of arbitrary bytes: what is read from it, written and read
// again must be the same state.
#include "FuzzCheck.h"

#include "settings/SettingsFile.h"

using namespace Qt::StringLiterals;

namespace {

// What the window would hold after loading these values, and save again.
SettingsSnapshot snapshotOf(const StoredSettings &values)
{
    SettingsSnapshot s;
    s.cookieA = values.cookieA.value_or(QString());
    s.cookieB = values.cookieB.value_or(QString());
    s.nameMode = values.nameMode.value_or(-1);
    s.folderMode = values.folderMode.value_or(-1);
    s.users = values.users;
    s.delay = values.delay.value_or(10);
    for (size_t i = 0; i < s.types.size(); ++i)
        s.types[i] = values.types[i].value_or(true);
    for (size_t i = 0; i < s.ratings.size(); ++i)
        s.ratings[i] = values.ratings[i].value_or(1);
    s.commonFavs = values.commonFavs.value_or(1);
    s.shutdown = values.shutdown.value_or(0);
    s.urlFix = values.urlFix.value_or(0);
    s.maxSize = values.maxSize.value_or(QStringLiteral("0"));
    s.savePath = values.savePath.value_or(QString());
    s.favPath = values.favPath.value_or(QString());
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const SettingsRead first = readSettingsText(bytes);
    if (first.status != SettingsStatus::Loaded)
        return 0;
    FUZZ_CHECK(first.values.users.size() <= MaxUsers, QString());
    const QByteArray written = settingsText(snapshotOf(first.values));
    const SettingsRead second = readSettingsText(written);
    FUZZ_CHECK(second.status == SettingsStatus::Loaded, QString::fromUtf8(written));
    const QByteArray again = settingsText(snapshotOf(second.values));
    FUZZ_CHECK(again == written,
               QString::fromUtf8(written) + u"\n---\n"_s + QString::fromUtf8(again));
    return 0;
}
