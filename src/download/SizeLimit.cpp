#include "download/SizeLimit.h"

#include <algorithm>
#include <cmath>
#include <vector>

double leadingNumber(const QString &text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text.at(i) == u' ' || text.at(i) == u'\t'))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == u'+' || text.at(i) == u'-')) {
        negative = text.at(i) == u'-';
        ++i;
    }
    double value = 0;
    while (i < n && text.at(i).unicode() >= '0' && text.at(i).unicode() <= '9') {
        value = value * 10 + (text.at(i).unicode() - '0');
        ++i;
    }
    if (i < n && text.at(i) == u'.') {
        ++i;
        double scale = 0.1;
        while (i < n && text.at(i).unicode() >= '0' && text.at(i).unicode() <= '9') {
            value += scale * (text.at(i).unicode() - '0');
            scale /= 10;
            ++i;
        }
    }
    return negative ? -value : value;
}

std::optional<qint64> sizeLimitBytes(const QString &text)
{
    const auto isDigit = [&text](qsizetype at) {
        return at < text.size() && text.at(at) >= u'0' && text.at(at) <= u'9';
    };
    qsizetype i = 0;
    while (i < text.size() && (text.at(i) == u' ' || text.at(i) == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'+' || text.at(i) == u'-'))
        negative = text.at(i++) == u'-';

    // Whole megabytes, saturated far above any real file: such a limit lets everything pass.
    constexpr qint64 mostMegabytes = qint64(1) << 40;
    qint64 megabytes = 0;
    bool nonZero = false;
    for (; isDigit(i); ++i) {
        megabytes = std::min(mostMegabytes, megabytes * 10 + (text.at(i).unicode() - u'0'));
        nonZero = nonZero || text.at(i) != u'0';
    }
    // The fraction times 2^20, digit by digit from the right: exact for any
    // number of digits, and what carries out of the first digit is the bytes.
    std::vector<int> fraction;
    if (i < text.size() && text.at(i) == u'.')
        for (++i; isDigit(i); ++i) {
            fraction.push_back(text.at(i).unicode() - u'0');
            nonZero = nonZero || text.at(i) != u'0';
        }
    if (negative || !nonZero)
        return std::nullopt;
    qint64 carry = 0;
    for (auto digit = fraction.rbegin(); digit != fraction.rend(); ++digit)
        carry = (*digit * BytesPerMegabyte + carry) / 10;
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
