#include "report/ReportTexts.h"

#include "core/ProgramFolders.h"

QString errorReportText(const QString &errorText, const ReportContext &state)
{
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Got error: ") + errorText + crlf + QStringLiteral("While getting ") +
           state.CurrentUser + QStringLiteral("'s ") + state.CurrentFolder + crlf +
           QStringLiteral("Page: ") + QString::number(state.PageNumber) + crlf +
           QStringLiteral("File: ") + state.FileName + crlf + QStringLiteral("Sync: ") +
           (state.Synching ? QStringLiteral("True") : QStringLiteral("False")) + crlf +
           QStringLiteral("Ver: ") + ProductName;
}

QString errorInvitationText(const QString &supportAddress)
{
    return QStringLiteral("If this error persists, please send a mail to ") + supportAddress +
           QStringLiteral(" containing this information (copy and paste):");
}

QString firstStartNoticeText()
{
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral(
               "It seems like it's the first time you're starting this version of Vorpl.") +
           crlf + crlf + QStringLiteral("Be aware that the configuration file \"") +
           SettingsFileName + QStringLiteral("\" may contain your unencrypted login data to GS.") +
           crlf +
           QStringLiteral(
               "If this file was accidentaly copied or made available to someone, please "
               "logout of GS and login again.") +
           crlf + QStringLiteral("This will renew your session and prevent account hijack.") +
           crlf + crlf + crlf + QStringLiteral("Don't hesitate to share it if you like it !") +
           crlf;
}

QString aboutText(const QString &webHost)
{
    const QString crlf = QStringLiteral("\r\n");
    return ProductName + crlf + QStringLiteral("Lightweight automatic downloader for Gallerine.") +
           crlf + crlf + QStringLiteral("Written with Qt for the desktop.") + crlf + webHost;
}
