#pragma once

#include <QString>

#include <cstdint>

inline const QString ProductName = QStringLiteral("Vorpaline 1.38b");

// Where the job stood when an error came, as the error report tells it.
struct ReportContext
{
    QString CurrentUser;
    QString CurrentFolder;
    int16_t PageNumber = 0;
    QString FileName;
    bool Synching = false;
};

// The six-line report shown in the error window, CR LF joined, no final break.
QString errorReportText(const QString &errorText, const ReportContext &state);
QString errorInvitationText(const QString &supportAddress);
// The first-start security notice, every line ended by CR LF.
QString firstStartNoticeText();
QString aboutText(const QString &webHost);
