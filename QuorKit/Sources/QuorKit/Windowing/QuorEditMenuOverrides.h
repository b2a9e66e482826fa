#pragma once

#include <functional>

// An application's own handlers for the Edit menu; an empty closure keeps the standard command.
// While a text field has the keyboard the standard command still goes to the field, so text
// editing keeps working whatever the application replaces.
struct QuorEditMenuOverrides {
    std::function<void()> undo;
    std::function<bool()> canUndo;
    std::function<void()> redo;
    std::function<bool()> canRedo;
    std::function<void()> cut;
    std::function<void()> copy;
    std::function<void()> paste;
    std::function<void()> duplicate;
    std::function<void()> selectAll;
};
