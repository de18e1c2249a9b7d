#pragma once

#include "report/ReportTexts.h"

#include <QString>

#include <functional>

class Prompts;

// RaiseError: records the text and shows the modal error report, with where
// the job stood at that moment. While a report is open, further calls only
// replace the recorded text.
class ErrorReporter final
{
    Q_DISABLE_COPY_MOVE(ErrorReporter)

public:
    ErrorReporter(Prompts &prompts, QString supportAddress);

    // Asked at every report for where the job stands; without it the report tells no job.
    void setContextSource(std::function<ReportContext()> source);
    void RaiseError(const QString &errorText);
    bool isOpen() const { return m_open; }
    // The text of the last error raised.
    QString errorText() const { return m_errorText; }

private:
    Prompts &m_prompts;
    QString m_supportAddress;
    std::function<ReportContext()> m_contextSource;
    QString m_errorText; // ErrorText
    bool m_open = false;
};
