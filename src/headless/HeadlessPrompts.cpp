#include "HeadlessPrompts.h"

#include "ConsoleOutput.h"

HeadlessPrompts::HeadlessPrompts(ConsoleOutput &output) : m_output(output) {}

Prompts::Answer HeadlessPrompts::message(Icon, const QString &, const QString &text, bool yesNo)
{
    m_output.notice(text);
    return yesNo ? Answer::No : Answer::Ok;
}

QString HeadlessPrompts::input(const QString &, const QString &, const QString &)
{
    return QString();
}

QString HeadlessPrompts::chooseFolder(const QString &)
{
    return QString();
}

void HeadlessPrompts::errorReport(const QString &, const QString &, const QString &report)
{
    // The report's first line already holds the heading; the invitation to
    // mail it is for a person at a window.
    ++m_errorReports;
    m_output.notice(report);
}

void HeadlessPrompts::firstStartNotice(const QString &) {}
