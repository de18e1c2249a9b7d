#include "settings/SettingsFile.h"

#include "core/SizeLimit.h"
#include "platform/LocalFiles.h"

#include <QFile>
#include <QSaveFile>
#include <QStringList>

namespace {

const QString VersionLine = QStringLiteral("130");
const QString LineEnd = QStringLiteral("\r\n");

// Lines end in CR LF as written; a lone CR or LF from an edited file ends a line too.
QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
}

// An optional sign and decimal digits, nothing else.
std::optional<qint64> parseInteger(const QString &value)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < value.size() && (value.at(i) == u'-' || value.at(i) == u'+'))
        negative = value.at(i++) == u'-';
    if (i == value.size() || value.size() - i > 12)
        return std::nullopt;
    qint64 number = 0;
    for (; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c < u'0' || c > u'9')
            return std::nullopt;
        number = number * 10 + (c.unicode() - u'0');
    }
    return negative ? -number : number;
}

// "True" or "False", or a number (zero is false).
std::optional<bool> parseBoolean(const QString &value)
{
    if (value.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (value.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return false;
    // A decimal number, "." as the point: true unless every digit is zero.
    qsizetype i = 0;
    if (i < value.size() && (value.at(i) == u'-' || value.at(i) == u'+'))
        ++i;
    bool digits = false;
    bool nonZero = false;
    bool point = false;
    for (; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'.' && !point) {
            point = true;
        } else if (c >= u'0' && c <= u'9') {
            digits = true;
            nonZero = nonZero || c != u'0';
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    return nonZero;
}

std::optional<int> parseInRange(const QString &value, int low, int high)
{
    const auto number = parseInteger(value);
    if (!number || *number < low || *number > high)
        return std::nullopt;
    return int(*number);
}

// A line break inside a value would end its line early and turn the rest of
// the value into a line of its own, so values are written without them.
QString lineSafe(const QString &value)
{
    QString safe = value;
    safe.remove(u'\r');
    safe.remove(u'\n');
    return safe;
}

QString booleanText(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

// Replaces the file in one step: the old contents stay whole if anything fails.
bool writeAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    const auto ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    QSaveFile file(path);
    // Unbuffered: a short write shows at once instead of being lost in a late flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    // The file holds login cookies.
    file.setPermissions(ownerOnly);
    if (file.write(bytes) != bytes.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QFile::setPermissions(path, ownerOnly);
    return true;
}

} // namespace

QString leadingNumberText(const QString &value)
{
    const LeadingNumber number = readLeadingNumber(value);
    QString whole = number.whole;
    QString fraction = number.fraction;
    while (whole.size() > 1 && whole.startsWith(u'0'))
        whole.remove(0, 1);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    QString text = fraction.isEmpty() ? whole : whole + u'.' + fraction;
    if (number.negative && text != QStringLiteral("0"))
        text.prepend(u'-');
    return text;
}

SettingsRead readSettingsText(const QByteArray &bytes)
{
    SettingsRead read;
    if (bytes.isEmpty()) {
        read.status = SettingsStatus::Empty;
        return read;
    }
    const QStringList lines = splitLines(QString::fromLocal8Bit(bytes));
    if (lines.isEmpty() || lines.first() != VersionLine) {
        read.status = SettingsStatus::Incompatible;
        return read;
    }
    read.status = SettingsStatus::Loaded;
    StoredSettings &values = read.values;
    // Flag lines belong to the user named last; none before the first name,
    // and none for a name that did not fit into the table.
    qsizetype flagsUser = -1;

    for (qsizetype n = 1; n < lines.size(); ++n) {
        const QString &line = lines.at(n);
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        const QString key = line.left(equals).toLower();
        const QString value = line.mid(equals + 1);

        if (key == QLatin1String("cookiea")) {
            values.cookieA = value;
        } else if (key == QLatin1String("cookieb")) {
            values.cookieB = value;
        } else if (key == QLatin1String("savepath")) {
            values.savePath = value;
        } else if (key == QLatin1String("favpath")) {
            values.favPath = value;
        } else if (key == QLatin1String("namemode")) {
            if (const auto mode = parseInRange(value, 0, 2))
                values.nameMode = mode;
        } else if (key == QLatin1String("foldermode")) {
            if (const auto mode = parseInRange(value, 0, 2))
                values.folderMode = mode;
        } else if (key == QLatin1String("username")) {
            if (value.isEmpty())
                continue;
            if (values.users.size() < MaxUsers) {
                values.users.append(UserEntry{value, false, false});
                flagsUser = values.users.size() - 1;
            } else {
                flagsUser = -1;
            }
        } else if (key == QLatin1String("getscraps") || key == QLatin1String("getfavs")) {
            const auto flag = parseBoolean(value);
            if (!flag || flagsUser < 0)
                continue;
            UserEntry &user = values.users[flagsUser];
            (key == QLatin1String("getscraps") ? user.Scraps : user.Favs) = *flag;
        } else if (key == QLatin1String("delay")) {
            // Below 5 is kept: the start-up turns it into 10.
            if (const auto delay = parseInRange(value, -32768, 60))
                values.delay = delay;
        } else if (key == QLatin1String("maxsize")) {
            values.maxSize = leadingNumberText(value);
        } else {
            static const QStringList typeKeys = {
                QStringLiteral("getgfx"), QStringLiteral("gettext"), QStringLiteral("getmusic"),
                QStringLiteral("getflash")};
            static const QStringList ratingKeys = {QStringLiteral("getgeneral"),
                                                   QStringLiteral("getmature"),
                                                   QStringLiteral("getadult")};
            if (const qsizetype type = typeKeys.indexOf(key); type >= 0) {
                if (const auto wanted = parseBoolean(value))
                    values.types[size_t(type)] = wanted;
            } else if (const qsizetype rating = ratingKeys.indexOf(key); rating >= 0) {
                if (const auto state = parseInRange(value, 0, 1))
                    values.ratings[size_t(rating)] = state;
            } else if (key == QLatin1String("commonfavs")) {
                if (const auto state = parseInRange(value, 0, 1))
                    values.commonFavs = state;
            } else if (key == QLatin1String("shutdown")) {
                if (const auto state = parseInRange(value, 0, 1))
                    values.shutdown = state;
            } else if (key == QLatin1String("urlfix")) {
                if (const auto state = parseInRange(value, 0, 1))
                    values.urlFix = state;
            }
        }
    }
    return read;
}

QByteArray settingsText(const SettingsSnapshot &snapshot)
{
    QString text;
    auto line = [&text](const QString &key, const QString &value) {
        text += key + u'=' + lineSafe(value) + LineEnd;
    };
    text += VersionLine + LineEnd;
    line(QStringLiteral("cookiea"), snapshot.cookieA);
    line(QStringLiteral("cookieb"), snapshot.cookieB);
    if (snapshot.nameMode >= 0 && snapshot.nameMode <= 2)
        line(QStringLiteral("namemode"), QString::number(snapshot.nameMode));
    if (snapshot.folderMode >= 0 && snapshot.folderMode <= 2)
        line(QStringLiteral("foldermode"), QString::number(snapshot.folderMode));
    for (const UserEntry &user : snapshot.users) {
        if (user.Name.isEmpty())
            continue;
        line(QStringLiteral("username"), user.Name);
        line(QStringLiteral("getscraps"), booleanText(user.Scraps));
        line(QStringLiteral("getfavs"), booleanText(user.Favs));
    }
    line(QStringLiteral("delay"), QString::number(snapshot.delay));
    line(QStringLiteral("getgfx"), booleanText(snapshot.types[0]));
    line(QStringLiteral("gettext"), booleanText(snapshot.types[1]));
    line(QStringLiteral("getmusic"), booleanText(snapshot.types[2]));
    line(QStringLiteral("getflash"), booleanText(snapshot.types[3]));
    line(QStringLiteral("getgeneral"), QString::number(snapshot.ratings[0]));
    line(QStringLiteral("getmature"), QString::number(snapshot.ratings[1]));
    line(QStringLiteral("commonfavs"), QString::number(snapshot.commonFavs));
    line(QStringLiteral("getadult"), QString::number(snapshot.ratings[2]));
    line(QStringLiteral("shutdown"), QString::number(snapshot.shutdown));
    line(QStringLiteral("maxsize"), snapshot.maxSize);
    line(QStringLiteral("savepath"), snapshot.savePath);
    line(QStringLiteral("favpath"), snapshot.favPath);
    line(QStringLiteral("urlfix"), QString::number(snapshot.urlFix));
    return text.toLocal8Bit();
}

SettingsRead loadSettingsFile(const QString &path)
{
    // Far above what 1024 users and their settings take.
    constexpr qint64 largest = 16 * 1024 * 1024;
    QByteArray bytes;
    QString error;
    switch (LocalFiles::readRegularFile(path, largest, &bytes, &error)) {
    case LocalFiles::ReadResult::Missing:
        return SettingsRead{SettingsStatus::Missing, {}, {}};
    case LocalFiles::ReadResult::Refused:
        return SettingsRead{SettingsStatus::Unreadable, {}, error};
    case LocalFiles::ReadResult::Read:
        break;
    }
    return readSettingsText(bytes);
}

bool saveSettingsFile(const QString &path, const QByteArray &bytes, QString *error)
{
    return writeAtomically(path, bytes, error);
}

bool clearSettingsFile(const QString &path, QString *error)
{
    return writeAtomically(path, QByteArray(), error);
}
