#include "WindowCommandLine.h"

namespace {

// Qt's options that the application object takes itself; the session manager
// restarts a program with -session, and a user may pick a platform or style.
const QStringList QtOptionsWithValue{QStringLiteral("-platform"), QStringLiteral("-display"),
                                     QStringLiteral("-style"), QStringLiteral("-session")};

} // namespace

WindowCommand parseWindowCommandLine(const QStringList &arguments)
{
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help"))
            return {WindowCommand::Kind::Help, {}};
        if (argument == QLatin1String("-v") || argument == QLatin1String("--version"))
            return {WindowCommand::Kind::Version, {}};
        if (QtOptionsWithValue.contains(argument)) {
            if (++i == arguments.size())
                return {WindowCommand::Kind::Refuse, argument + QStringLiteral(" needs a value.")};
            continue;
        }
        if (argument == QLatin1String("-reverse"))
            continue;
        return {WindowCommand::Kind::Refuse,
                QStringLiteral("unexpected argument '%1': everything is set in the window.")
                    .arg(argument)};
    }
    return {};
}

QString windowUsageLine(const QString &program)
{
    return QStringLiteral("Usage: %1 [--help | --version]").arg(program);
}

QString windowHelpText(const QString &program)
{
    return windowUsageLine(program) +
           QStringLiteral(
               "\n"
               "Downloads the submissions that members of an art-gallery site have posted or\n"
               "collected. Everything is set in the window; for runs without a window see\n"
               "vorpaline-sync(1).\n"
               "\n"
               "  -h, --help     Displays this help and exits.\n"
               "  -v, --version  Displays the version and exits.\n"
               "\n"
               "Where the settings file lies is told in vorpaline(1).\n");
}
