#include "ConsoleOutput.h"

#include "log/LogColors.h"

#include <QDateTime>

#include <algorithm>
#include <cstdlib>

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void writeText(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

// Local time in ISO 8601 with its offset, which tells summer and winter
// time apart: 2026-12-07T14:03:05+01:00.
QString localTimestamp()
{
    const QDateTime now = QDateTime::currentDateTime();
    const int offset = now.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return now.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + (offset < 0 ? u'-' : u'+') +
           QStringLiteral("%1:%2")
               .arg(minutes / 60, 2, 10, QChar(u'0'))
               .arg(minutes % 60, 2, 10, QChar(u'0'));
}

const char *journalPriority(int32_t color)
{
    return color == LogRed ? "<3>" : color == LogGreen ? "<5>" : "<6>";
}

} // namespace

bool ConsoleOutput::isJournal(FILE *stream, const QByteArray &journalStream)
{
    const QList<QByteArray> parts = journalStream.split(':');
    struct stat status = {};
    if (parts.size() != 2 || fstat(fileno(stream), &status) != 0)
        return false;
    bool deviceOk = false, inodeOk = false;
    const qulonglong device = parts[0].toULongLong(&deviceOk);
    const qulonglong inode = parts[1].toULongLong(&inodeOk);
    return deviceOk && inodeOk && device == qulonglong(status.st_dev) &&
           inode == qulonglong(status.st_ino);
}

ConsoleOutput::ConsoleOutput(FILE *out, FILE *err)
    : m_out(out), m_err(err), m_terminal(isatty(fileno(out)) == 1),
      // https://no-color.org: colours stay off when NO_COLOR is set to anything.
      m_colors(m_terminal && qEnvironmentVariableIsEmpty("NO_COLOR")),
      m_journal(isJournal(out, qgetenv("JOURNAL_STREAM")))
{
}

void ConsoleOutput::logLine(const QString &text, int32_t color)
{
    if (m_quiet && color != LogRed)
        return;
    writeLine(text, color);
}

void ConsoleOutput::summary(const QString &text, bool failed)
{
    writeLine(text, failed ? LogRed : LogGreen);
}

void ConsoleOutput::writeLine(const QString &text, int32_t color)
{
    clearStatus();
    if (m_journal)
        std::fputs(journalPriority(color), m_out);
    if (m_timestamps)
        writeText(m_out, localTimestamp() + u' ');
    const char *start = nullptr;
    if (m_colors && color == LogRed)
        start = "\033[31m";
    else if (m_colors && color == LogGreen)
        start = "\033[32m";
    if (start)
        std::fputs(start, m_out);
    writeText(m_out, text);
    if (start)
        std::fputs("\033[0m", m_out);
    std::fputc('\n', m_out);
    drawStatus();
    std::fflush(m_out);
}

void ConsoleOutput::notice(const QString &text)
{
    clearStatus();
    std::fflush(m_out);
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    writeText(m_err, lines + u'\n');
    std::fflush(m_err);
    drawStatus();
    std::fflush(m_out);
}

void ConsoleOutput::finish()
{
    clearStatus();
    m_status.clear();
    std::fflush(m_out);
}

void ConsoleOutput::setStatusCaption(const QString &text)
{
    if (!m_terminal || m_quiet)
        return;
    // The caption is made for a label, which shows "&&" as "&".
    QString caption = text;
    caption.replace(QStringLiteral("&&"), QStringLiteral("&"));
    if (caption == m_status && m_statusShown)
        return;
    m_status = caption;
    clearStatus();
    drawStatus();
    std::fflush(m_out);
}

void ConsoleOutput::clearStatus()
{
    if (!m_statusShown)
        return;
    std::fputs("\r\033[K", m_out);
    m_statusShown = false;
}

void ConsoleOutput::drawStatus()
{
    if (!m_terminal || m_status.isEmpty())
        return;
    // A caption wider than the terminal would wrap, and "\r" then rewrites only its last part.
    writeText(m_out, m_status.left(std::max(1, terminalWidth() - 1)));
    m_statusShown = true;
}

int ConsoleOutput::terminalWidth() const
{
    winsize size{};
    if (ioctl(fileno(m_out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}
