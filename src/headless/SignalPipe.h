#pragma once

#include <QList>
#include <QObject>

#include <initializer_list>

class QSocketNotifier;

// Turns stop signals into a Qt signal. The handler only writes the signal's
// number into a pipe; everything else runs in the event loop, where the job's
// files can be closed safely. A signal ignored when the program starts (a run
// under nohup, or in the background of a script) stays ignored.
class SignalPipe final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SignalPipe)

public:
    explicit SignalPipe(std::initializer_list<int> signalNumbers, QObject *parent = nullptr);
    ~SignalPipe() override;

    bool isValid() const { return m_notifier != nullptr; }

signals:
    void signalReceived(int signalNumber);

private:
    void onReadable();

    QList<int> m_signals;
    QSocketNotifier *m_notifier = nullptr;
};
