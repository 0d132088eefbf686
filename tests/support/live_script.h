// A click on RUN returns only when its loop ends, so what the user does
// meanwhile is scripted beforehand and run from the loop's event processing.
#pragma once

#include <QTimer>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "engine/cvi.h"
#include "params/vars.h"

class LiveScript {
public:
    // A run still going after `limitSeconds` is stopped and reported, so a
    // broken loop fails the test instead of hanging.
    explicit LiveScript(double limitSeconds = 20.0) : limit_(Timer() + limitSeconds) {
        timer_.setInterval(1);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    // Steps run in order: each waits for its condition, then acts once.
    LiveScript& when(std::string name, std::function<bool()> ready, std::function<void()> act) {
        steps_.push_back({std::move(name), std::move(ready), std::move(act)});
        return *this;
    }
    bool finished() const { return next_ == steps_.size(); }
    bool limitHit() const { return limitHit_; }
    // The step still waiting, for failure messages.
    std::string pending() const { return finished() ? "" : steps_[next_].name; }

private:
    struct Step { std::string name; std::function<bool()> ready; std::function<void()> act; };
    void poll() {
        if (busy_) return;  // an action is running (and processing events)
        if (Timer() > limit_) {
            limitHit_ = true;
            stop_flag = 1;
        } else if (!finished() && steps_[next_].ready()) {
            busy_ = true;
            const std::function<void()> act = steps_[next_++].act;  // a copy: the action may add steps
            act();
            busy_ = false;
        }
    }
    QTimer timer_;
    std::vector<Step> steps_;
    std::size_t next_ = 0;
    bool busy_ = false, limitHit_ = false;
    double limit_;
};
