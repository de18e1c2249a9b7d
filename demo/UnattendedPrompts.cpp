#include "UnattendedPrompts.h"

#include <cstdio>

namespace {

void note(const QString &kind, const QString &text)
{
    std::fprintf(stderr, "[%s] %s\n", qPrintable(kind), qPrintable(text));
}

} // namespace

Prompts::Answer UnattendedPrompts::message(Icon, const QString &, const QString &text, bool yesNo)
{
    m_shown.append(text);
    note(QStringLiteral("message"), text);
    return yesNo ? Answer::No : Answer::Ok;
}

QString UnattendedPrompts::input(const QString &, const QString &prompt, const QString &)
{
    m_shown.append(prompt);
    note(QStringLiteral("input"), prompt);
    return QString();
}

QString UnattendedPrompts::chooseFolder(const QString &prompt)
{
    m_shown.append(prompt);
    note(QStringLiteral("folder"), prompt);
    return QString();
}

void UnattendedPrompts::errorReport(const QString &heading, const QString &, const QString &report)
{
    ++m_errorReports;
    m_shown.append(heading);
    note(QStringLiteral("error report"), heading + QLatin1Char('\n') + report);
}

void UnattendedPrompts::firstStartNotice(const QString &notice)
{
    m_shown.append(notice);
    note(QStringLiteral("first-start notice"), notice.left(60) + QStringLiteral("..."));
}
