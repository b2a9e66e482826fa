#pragma once

// Marks a widget that tracks its own mouse drags: inside a QuorDraggableFloatingPanel a press on
// it, or on any widget inside it, never starts a move of the panel.
class QuorCustomDragTrackingView {
public:
    virtual ~QuorCustomDragTrackingView() = default;
};
