#include "download/DownloadTexts.h"

#include "core/SizeLimit.h"
#include "report/ReportTexts.h"

#include <algorithm>
#include <cmath>

QString retrievingLine(const QString &name, int index, int count)
{
    // Names are concatenated, never passed through arg(): they may hold "%1".
    return QStringLiteral("Retrieving ") + name +
           QStringLiteral(" (%1/%2)...").arg(index + 1).arg(count);
}

int queuePercent(int index, int count)
{
    if (count <= 0)
        return 0;
    return int(std::floor(double(index + 1) / double(count) * 100.0));
}

QString queueCaption(const QString &user, const QString &folder, int percent, bool shortForm)
{
    const QString caption =
        user + QStringLiteral("'s ") + folder + QStringLiteral(" (%1%)").arg(percent);
    return shortForm ? caption : ProductName + QStringLiteral(": ") + caption;
}

QString folderDoneCaption(const QString &user, const QString &folder, bool withErrors)
{
    return ProductName + QStringLiteral(": ") + user + QStringLiteral("'s ") + folder +
           (withErrors ? QStringLiteral(" done with errors") : QStringLiteral(" done OK"));
}

QString folderDoneLine(int queueCount, bool withErrors)
{
    return withErrors ? QStringLiteral("Retrieved only %1 submissions, see the log for errors.")
                            .arg(queueCount)
                      : QStringLiteral("Succesfully retrieved %1 submissions.").arg(queueCount);
}

QString waitingCaption(int delaySeconds, double elapsedSeconds)
{
    const double left = std::floor(double(delaySeconds) - elapsedSeconds + 1.0);
    return QStringLiteral("Waiting a bit (%1s)").arg(qint64(left));
}

int filePercent(qint64 written, qint64 size)
{
    if (size <= 0)
        return 0;
    return int(std::clamp(std::floor(double(written) / double(size) * 100.0), 0.0, 100.0));
}

QString fileProgressCaption(int percent, const QString &title, qint64 sizeBytes)
{
    QString shown = title;
    shown.replace(u'&', QStringLiteral("&&"));
    return QString::number(percent) + QStringLiteral("% of \"") + shown +
           QStringLiteral("\" (%1 KB)").arg(sizeBytes / 1024);
}

QString overLongText(qint64 expected, qint64 written, const QString &title)
{
    return QStringLiteral("Received more data than expected:\r\nRight size: %1. Got: %2\r\n")
               .arg(expected)
               .arg(written) +
           title + QStringLiteral(" will certainly be screwed.");
}

QString speedCaption(qint64 bytes, double seconds)
{
    const double elapsed = std::max(seconds, 0.001);
    const double speed = std::floor(double(bytes) / elapsed / 1024.0);
    return QStringLiteral("Speed: %1Kb/s").arg(qint64(speed));
}

QString bytesDownloadedCaption(qint64 bytes)
{
    return QStringLiteral("%1 bytes downloaded.").arg(bytes);
}

QString refusalLine(int statusCode, const QString &reason, const QString &filePath)
{
    QString status = QString::number(statusCode);
    if (!reason.isEmpty())
        status += u' ' + reason.toLower();
    return QStringLiteral("GS said ") + status + QStringLiteral(" on ") + filePath;
}

QString sizeLimitLine(qint64 sizeBytes, QChar decimalPoint)
{
    return QStringLiteral("Filesize (") + megabyteFigure(sizeBytes, decimalPoint) +
           QStringLiteral(") exceeds rule. Skipping.");
}
