#pragma once

#include <QElapsedTimer>

// Monotonic seconds, so that time-outs never fire early when the wall clock jumps.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;
};

class SteadyClock : public Clock {
public:
    SteadyClock() { m_timer.start(); }
    double now() const override { return m_timer.nsecsElapsed() / 1e9; }

private:
    QElapsedTimer m_timer;
};
