// Crop drag tracking as a state machine.
#include "CropTracker.h"

void CropTracker::begin() {
    if (state_ != State::Idle) return;
    state_ = State::AwaitingAnchor;
    dx_ = 0;
    dy_ = 0;
}

CropTracker::Outcome CropTracker::feed(Event e, float x, float y, float w, float h) {
    switch (state_) {
    case State::Idle:
        return Outcome::Idle;
    case State::AwaitingAnchor:
        ax_ = x;
        ay_ = y;
        state_ = State::Tracking;
        return Outcome::Tracking;
    case State::Tracking:
        break;
    }
    const bool inside = x >= 0 && y >= 0 && x < w && y < h;
    if (!inside) {
        state_ = State::Idle;
        return Outcome::LeftView;
    }
    switch (e) {
    case Event::Release:
        state_ = State::Idle;
        return Outcome::Released;
    case Event::Drag:
        dx_ = x - ax_;
        dy_ = y - ay_;
        break;
    case Event::Press:
        ax_ = x;
        ay_ = y;
        break;
    }
    return Outcome::Tracking;
}
