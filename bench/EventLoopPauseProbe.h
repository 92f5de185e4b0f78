#pragma once
// The longest time the event loop went without serving a timer while something ran: how long a
// window could not repaint or take input.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <QtGlobal>

#include <algorithm>

namespace qx7::bench {

class EventLoopPauseProbe {
  public:
    // intervalMs: how often the timer should fire; 0 fires on every pass of the event loop.
    explicit EventLoopPauseProbe(int intervalMs) {
        timer_.setInterval(intervalMs);
        QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    }

    void Start() {
        longestNs_ = 0;
        since_.start();
        lastTickNs_ = 0;
        timer_.start();
    }

    // The longest gap in nanoseconds, the one up to now included.
    qint64 StopNs() {
        timer_.stop();
        Tick();
        return longestNs_;
    }

  private:
    void Tick() {
        const qint64 now = since_.nsecsElapsed();
        longestNs_ = std::max(longestNs_, now - lastTickNs_);
        lastTickNs_ = now;
    }

    QTimer timer_;
    QElapsedTimer since_;
    qint64 lastTickNs_ = 0;
    qint64 longestNs_ = 0;
};

}  // namespace qx7::bench
