#pragma once

#include <QString>

class Prompts;
struct JobState;

// RaiseError: records the text and shows the modal error report. While a
// report is open, further calls only replace the recorded text.
class ErrorReporter final
{
    Q_DISABLE_COPY_MOVE(ErrorReporter)

public:
    ErrorReporter(JobState &state, Prompts &prompts, QString supportAddress);

    void RaiseError(const QString &errorText);
    bool isOpen() const { return m_open; }

private:
    JobState &m_state;
    Prompts &m_prompts;
    QString m_supportAddress;
    bool m_open = false;
};
