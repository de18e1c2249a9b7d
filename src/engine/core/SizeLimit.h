#pragma once

#include <QChar>
#include <QString>

#include <optional>

inline constexpr qint64 BytesPerMegabyte = 1024 * 1024;

// The number a text begins with, after leading blanks and an optional sign,
// with "." as the decimal point: "10MB" is 10, " -2.50x" is -2.50. Kept as its
// digits, so that nothing is lost to rounding.
struct LeadingNumber
{
    bool negative = false;
    QString whole;    // the digits before the point, as written ("" for ".5")
    QString fraction; // the digits after it
};
LeadingNumber readLeadingNumber(const QString &text);

// The size limit in whole bytes from the "Size limit" text, read in decimal
// from its leading number, so "4.125" is exactly 4325376 bytes
// (a fraction of a byte is dropped: sizes are whole). Absent (no limit) when
// the text does not begin with a number above 0.
std::optional<qint64> sizeLimitBytes(const QString &text);

// A size is refused only when it is above the limit: exactly the limit passes.
inline bool exceedsSizeLimit(const std::optional<qint64> &limit, qint64 size)
{
    return limit && size > *limit;
}

// Bytes as megabytes, rounded to two decimals (halves to even), in shortest
// form: 3670016 gives "3.5", 1048576 gives "1".
QString megabyteFigure(qint64 bytes, QChar decimalPoint = u'.');
