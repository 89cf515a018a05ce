// Crop drag tracking: the movie view's mouse events, from the press that
// starts a drag to the release or to the pointer leaving the view, as a small
// state machine. Positions are in view coordinates (origin top-left, y down).
//
// The press is the anchor; every later event sets the extents from it, so the
// rectangle runs from the press point to the release point whatever path the
// pointer took. A release inside the view ends the drag, any event outside
// the view ends it as "left the view".
#pragma once

class CropTracker {
public:
    enum class Event { Press, Release, Drag };
    enum class Outcome { Idle, Tracking, Released, LeftView };

    // A press in the view while idle starts tracking, anchored at (x, y).
    void begin(float x, float y);
    bool active() const { return state_ != State::Idle; }

    // Feeds one left-button event at (x, y) in a view of width x height.
    // Returns Tracking while the drag goes on; Released or LeftView when it
    // ends (the tracker is then idle again and anchor/extents keep the final
    // values); Idle when no drag was being tracked.
    Outcome feed(Event e, float x, float y, float viewWidth, float viewHeight);

    // Ends tracking without an outcome (the view lost its movie or was hidden).
    void cancel() { state_ = State::Idle; }

    bool hasAnchor() const { return state_ == State::Tracking; }
    float anchorX() const { return ax_; }
    float anchorY() const { return ay_; }
    float extentX() const { return dx_; }
    float extentY() const { return dy_; } // positive downward

private:
    enum class State { Idle, Tracking };
    State state_ = State::Idle;
    float ax_ = 0, ay_ = 0, dx_ = 0, dy_ = 0;
};
