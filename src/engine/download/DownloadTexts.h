#pragma once

#include <QString>

// Log lines and captions of the download side, built from plain values.

// "Retrieving name (3/12)..."; index is 0-based.
QString retrievingLine(const QString &name, int index, int count);

// How far the queue has got when entry index (0-based) starts: floor of
// (index + 1) / count in percent; 0 for an empty queue.
int queuePercent(int index, int count);

// "Vorpaline 1.38b: bob's gallery (25%)", or "bob's gallery (25%)" in short form.
QString queueCaption(const QString &user, const QString &folder, int percent, bool shortForm);

// The end of a folder: "... done OK" or "... done with errors", always long form.
QString folderDoneCaption(const QString &user, const QString &folder, bool withErrors);
QString folderDoneLine(int queueCount, bool withErrors);

// "Waiting a bit (Ns)": the whole seconds left, counted up, so that a running
// pause never shows less than 1.
QString waitingCaption(int delaySeconds, double elapsedSeconds);

// floor(written / size * 100), 0 when the size is unknown, at most 100.
int filePercent(qint64 written, qint64 size);

// `12% of "Title" (97 KB)`, with "&" doubled so that the label shows it as it is.
QString fileProgressCaption(int percent, const QString &title, qint64 sizeBytes);

QString overLongText(qint64 expected, qint64 written, const QString &title);

// "Speed: NKb/s" in units of 1024 bytes per second; a time of zero or less
// counts as one millisecond.
QString speedCaption(qint64 bytes, double seconds);
QString bytesDownloadedCaption(qint64 bytes);

// "GS said 404 not found on /path": the status as sent, in lower case.
QString refusalLine(int statusCode, const QString &reason, const QString &filePath);

// "Filesize (3.5) exceeds rule. Skipping."
QString sizeLimitLine(qint64 sizeBytes, QChar decimalPoint = u'.');
