#include "naming/FileNames.h"

#include "platform/FileSystem.h"

QString FName(const QString &Nom)
{
    return Nom.mid(Nom.lastIndexOf(u'/') + 1);
}

QString StripHTML(const QString &Texte)
{
    QString text = Texte;
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

} // namespace

QString MakeFileName(const QString &Full, const QString &Title, int nameMode,
                     const QString &currentUser)
{
    if (nameMode == 0)
        return FName(Full);

    const QString extension = FileSystem::GetExtensionName(Full);
    QString name = StripHTML(trimSpaces(Title));

    for (const char16_t c : {u'?', u'\\', u':', u'*', u'|', u'/', u'>', u'<', u'"'})
        name.remove(QChar(c));

    // One forward pass with the bound taken beforehand: a character shifted
    // into the examined position by a removal is not looked at there. Names
    // already on disk were made this way, so the pass must stay as it is.
    const qsizetype bound = name.size();
    for (qsizetype i = 0; i < bound; ++i) {
        if (i >= name.size())
            continue;
        const QChar c = name.at(i);
        if (removable(c))
            name.remove(c);
    }

    name += u'.' + extension;
    if (nameMode == 2)
        name = currentUser + QStringLiteral(" - ") + name;
    return name;
}
