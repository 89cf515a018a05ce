// Crop drag tracking as a state machine.
#include "CropTracker.h"

void CropTracker::begin(float x, float y) {
    if (state_ != State::Idle) return;
    state_ = State::Tracking;
    ax_ = x;
    ay_ = y;
    dx_ = 0;
    dy_ = 0;
}

CropTracker::Outcome CropTracker::feed(Event e, float x, float y, float w, float h) {
    if (state_ == State::Idle) return Outcome::Idle;
    const bool inside = x >= 0 && y >= 0 && x < w && y < h;
    if (!inside) {
        state_ = State::Idle;
        return Outcome::LeftView;
    }
    dx_ = x - ax_;
    dy_ = y - ay_;
    if (e == Event::Release) {
        state_ = State::Idle;
        return Outcome::Released;
    }
    return Outcome::Tracking;
}
