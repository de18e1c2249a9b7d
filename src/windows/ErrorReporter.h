#pragma once

#include <QString>

class Prompts;
class QWidget;
struct JobState;

// RaiseError: records the text and shows the modal error report. While a
// report is open, further calls only replace the recorded text.
class ErrorReporter final
{
    Q_DISABLE_COPY_MOVE(ErrorReporter)

public:
    ErrorReporter(JobState &state, Prompts &prompts, QString supportAddress);

    void setOwner(QWidget *owner) { m_owner = owner; }
    void RaiseError(const QString &TxtErr);
    bool isOpen() const { return m_open; }

private:
    JobState &m_state;
    Prompts &m_prompts;
    QString m_supportAddress;
    QWidget *m_owner = nullptr;
    bool m_open = false;
};
