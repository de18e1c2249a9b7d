#pragma once

#include <QString>

#include <cstdint>

// The version check's text rules: what is sent, and what a received piece means.
namespace UpdateVerdict {

inline const QString OwnVersion = QStringLiteral("138");
inline const QString RequestPath = QStringLiteral("/doviziz/vorpl/lastver.php");

struct Verdict
{
    bool newer = false;
    QString version; // the last three characters of the piece (fewer when it is shorter)
    QString logText;
    int32_t color = 0;
};

// The whole HTTP/1.0 request, one string.
QString requestText(const QString &updateHost);

// One received piece is judged on its own, by its last three characters
// compared as text with the own version.
Verdict judgePiece(const QString &piece, const QString &webHost);

// The line logged for a socket error, or empty when the error goes to the error report.
QString errorLogText(int number);
QString errorReportText(int number);

} // namespace UpdateVerdict
