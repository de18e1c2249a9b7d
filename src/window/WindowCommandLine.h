#pragma once

#include <QString>
#include <QStringList>

// The window program's command line, read before any window system is
// needed: --help and --version answer without a display, and anything that is
// neither those nor one of Qt's own window-system options is refused.
struct WindowCommand
{
    enum class Kind
    {
        Run,
        Help,
        Version,
        Refuse
    };
    Kind kind = Kind::Run;
    QString problem; // Refuse: what was wrong
};

WindowCommand parseWindowCommandLine(const QStringList &arguments);
QString windowUsageLine(const QString &program);
QString windowHelpText(const QString &program);
