#include "naming/UserNames.h"

#include "core/RequestText.h"

QString userNameProblem(const QString &name)
{
    if (name.contains(u'/') || name.contains(u'\\') || name == u"." || name == u"..")
        return QStringLiteral("User names cannot hold / or \\ or be . or ..");
    if (holdsControlCharacter(name))
        return QStringLiteral("User names cannot hold line breaks or other control characters.");
    // The name is a word of the request line, which blanks separate.
    if (name.contains(u' '))
        return QStringLiteral("User names cannot hold blanks.");
    return QString();
}
