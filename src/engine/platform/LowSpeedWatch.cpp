#include "platform/LowSpeedWatch.h"

#include <algorithm>

LowSpeedWatch::LowSpeedWatch(int floorBytesPerSecond, int windowMs, QObject *parent)
    : QObject(parent)
{
    if (floorBytesPerSecond > 0 && windowMs > 0) {
        m_floorBytes = std::max<qint64>(1, qint64(floorBytesPerSecond) * windowMs / 1000);
        m_timer.setInterval(windowMs);
    }
    connect(&m_timer, &QTimer::timeout, this, &LowSpeedWatch::windowEnded);
}

void LowSpeedWatch::start()
{
    m_bytes = 0;
    if (m_floorBytes > 0)
        m_timer.start();
}

void LowSpeedWatch::stop()
{
    m_timer.stop();
}

void LowSpeedWatch::windowEnded()
{
    if (m_bytes >= m_floorBytes) {
        m_bytes = 0;
        return;
    }
    m_timer.stop();
    emit tooSlow();
}
