#pragma once

#include <QString>

struct JobState;

inline const QString ProductName = QStringLiteral("Vorpaline 1.38b");

// The six-line report shown in the error window, CR LF joined, no final break.
QString errorReportText(const JobState &state);
QString errorInvitationText(const QString &supportAddress);
// The first-start security notice, every line ended by CR LF.
QString firstStartNoticeText();
QString aboutText(const QString &webHost);
