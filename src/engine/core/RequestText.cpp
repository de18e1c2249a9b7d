#include "core/RequestText.h"

#include <algorithm>

namespace {

bool isControl(QChar c)
{
    return c.unicode() < 32 || c.unicode() == 127;
}

} // namespace

bool holdsControlCharacter(QStringView text)
{
    return std::any_of(text.begin(), text.end(), isControl);
}

QString withoutControlCharacters(const QString &text)
{
    if (!holdsControlCharacter(text))
        return text;
    QString clean = text;
    clean.removeIf(isControl);
    return clean;
}
