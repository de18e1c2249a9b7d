#pragma once

#include <QObject>
#include <QTimer>

// The low-speed limit of a transfer: when fewer bytes than the floor rate
// over a whole window arrive within that window, the transfer is reported as
// too slow. A host that trickles a byte now and then keeps a silence watch
// happy for ever; this one it does not. A steady transfer above the floor is
// never reported.
class LowSpeedWatch final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LowSpeedWatch)

public:
    // A floor or window of 0 or less switches the watch off.
    LowSpeedWatch(int floorBytesPerSecond, int windowMs, QObject *parent = nullptr);

    // A transfer begins: the first window starts now, from zero bytes.
    void start();
    void stop();
    void count(qint64 bytes) { m_bytes += bytes; }

signals:
    void tooSlow();

private:
    void windowEnded();

    QTimer m_timer;
    qint64 m_floorBytes = 0; // bytes a window must bring
    qint64 m_bytes = 0;
};
