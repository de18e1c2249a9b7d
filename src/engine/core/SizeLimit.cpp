#include "core/SizeLimit.h"

#include <algorithm>

LeadingNumber readLeadingNumber(const QString &text)
{
    LeadingNumber number;
    const auto isDigit = [&text](qsizetype at) {
        return at < text.size() && text.at(at) >= u'0' && text.at(at) <= u'9';
    };
    qsizetype i = 0;
    while (i < text.size() && (text.at(i) == u' ' || text.at(i) == u'\t'))
        ++i;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-'))
        number.negative = text.at(i++) == u'-';
    while (isDigit(i))
        number.whole += text.at(i++);
    if (i < text.size() && text.at(i) == u'.')
        for (++i; isDigit(i); ++i)
            number.fraction += text.at(i);
    return number;
}

std::optional<qint64> sizeLimitBytes(const QString &text)
{
    const LeadingNumber number = readLeadingNumber(text);
    const auto isZero = [](const QString &digits) {
        return std::all_of(digits.cbegin(), digits.cend(), [](QChar c) { return c == u'0'; });
    };
    if (number.negative || (isZero(number.whole) && isZero(number.fraction)))
        return std::nullopt;

    // Whole megabytes, saturated far above any real file: such a limit lets everything pass.
    constexpr qint64 mostMegabytes = qint64(1) << 40;
    qint64 megabytes = 0;
    for (const QChar digit : number.whole)
        megabytes = std::min(mostMegabytes, megabytes * 10 + (digit.unicode() - u'0'));
    // The fraction times 2^20, digit by digit from the right: exact for any
    // number of digits, and what carries out of the first digit is the bytes.
    qint64 carry = 0;
    for (auto digit = number.fraction.crbegin(); digit != number.fraction.crend(); ++digit)
        carry = ((digit->unicode() - u'0') * BytesPerMegabyte + carry) / 10;
    return megabytes * BytesPerMegabyte + carry;
}

QString megabyteFigure(qint64 bytes, QChar decimalPoint)
{
    // Hundredths of a megabyte, rounded exactly on integers: bytes / 2^20 has no
    // rounding error of its own, so a half is a true half.
    const bool negative = bytes < 0;
    const quint64 magnitude = negative ? quint64(-(bytes + 1)) + 1 : quint64(bytes);
    const quint64 mask = BytesPerMegabyte - 1;
    const quint64 partScaled = (magnitude & mask) * 100;
    quint64 hundredths = (magnitude >> 20) * 100 + (partScaled >> 20);
    const quint64 remainder = partScaled & mask;
    const quint64 half = BytesPerMegabyte / 2;
    if (remainder > half || (remainder == half && (hundredths & 1)))
        ++hundredths;

    QString figure = QString::number(hundredths / 100);
    const quint64 fraction = hundredths % 100;
    if (fraction != 0) {
        figure += decimalPoint;
        figure += QString::number(fraction / 10);
        if (fraction % 10 != 0)
            figure += QString::number(fraction % 10);
    }
    if (negative && hundredths != 0)
        figure.prepend(u'-');
    return figure;
}
