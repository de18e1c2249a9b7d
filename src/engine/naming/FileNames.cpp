#include "naming/FileNames.h"

#include "platform/FileSystem.h"

#include <QCryptographicHash>
#include <QFile>

QString FName(const QString &path)
{
    return path.mid(path.lastIndexOf(u'/') + 1);
}

QString StripHTML(const QString &html)
{
    QString text = html;
    // The order matters: a stored name depends on it.
    text.replace(QStringLiteral("&quot;"), QString());
    text.replace(QStringLiteral("&lt;"), QString());
    text.replace(QStringLiteral("&lt;"), QString());
    text.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return text;
}

namespace {

QString trimSpaces(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

bool removable(QChar c)
{
    return c.unicode() < 32 || c.unicode() > 128;
}

// A file name can never hold these, so no stored name has them.
QString withoutControls(QString text)
{
    text.removeIf([](QChar c) { return c.unicode() < 32; });
    return text;
}

void removeForbidden(QString &name)
{
    for (const char16_t c : {u'?', u'\\', u':', u'*', u'|', u'/', u'>', u'<', u'"'})
        name.remove(QChar(c));
}

bool refusedByFileSystem(const QString &name)
{
    return name.isEmpty() || name == u"." || name == u"..";
}

QString hashTag(const QString &text, int digits)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha1).toHex().left(digits));
}

// The longest name the file system stores, in the bytes it is stored as.
constexpr qsizetype LongestNameBytes = 255;

// Cuts a name that is too long to its first bytes, then a tag of the whole
// name (so two long titles that begin alike stay apart) and the extension.
// The same name always gives the same result.
QString shortened(const QString &name)
{
    const QByteArray encoded = QFile::encodeName(name);
    if (encoded.size() <= LongestNameBytes)
        return name;
    const QString tag = u'~' + hashTag(name, 8);
    const qsizetype dot = encoded.lastIndexOf('.');
    QByteArray extension = dot < 0 ? QByteArray() : encoded.mid(dot);
    if (extension.size() > LongestNameBytes / 2)
        extension.clear();
    QByteArray stem = encoded.first(encoded.size() - extension.size());
    qsizetype room = LongestNameBytes - extension.size() - tag.size();
    // Never cut inside a character's byte sequence.
    while (room > 0 && (stem.at(room) & 0xC0) == 0x80)
        --room;
    stem.truncate(room);
    return QFile::decodeName(stem) + tag + QFile::decodeName(extension);
}

} // namespace

QString MakeFileName(const QString &url, const QString &title, int nameMode,
                     const QString &currentUser)
{
    QString name;
    if (nameMode == 0) {
        name = withoutControls(FName(url));
    } else {
        const QString extension = FileSystem::GetExtensionName(url);
        name = StripHTML(trimSpaces(title));
        removeForbidden(name);

        // One forward pass with the bound taken beforehand: a character shifted
        // into the examined position by a removal is not looked at there. Names
        // already on disk keep their high characters this way, so the pass
        // stays; the control characters it misses go afterwards.
        const qsizetype bound = name.size();
        for (qsizetype i = 0; i < bound; ++i) {
            if (i >= name.size())
                continue;
            const QChar c = name.at(i);
            if (removable(c))
                name.remove(c);
        }

        name = withoutControls(name);
        // Nothing left of the title: the file's own name, which has its extension.
        name =
            name.isEmpty() ? withoutControls(FName(url)) : name + u'.' + withoutControls(extension);
        if (nameMode == 2 && !name.isEmpty()) {
            // The user name must not add a folder to the name.
            QString user = withoutControls(currentUser);
            removeForbidden(user);
            name = user + QStringLiteral(" - ") + name;
        }
    }

    // Names the file system refuses fall back to the file's own name, then to
    // one made from the whole address.
    if (refusedByFileSystem(name))
        name = withoutControls(FName(url));
    if (refusedByFileSystem(name))
        name = QStringLiteral("submission-") + hashTag(url, 12);
    return shortened(name);
}

QString numberedName(const QString &name, int number)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString tag = QStringLiteral(" (%1)").arg(number);
    if (dot <= 0)
        return shortened(name + tag);
    return shortened(name.left(dot) + tag + name.mid(dot));
}
