#pragma once

#include "core/Mark.hpp"

#include <cstddef>
#include <vector>

namespace quillet {

// The marks of the open capture with their undo and redo snapshots. Every change first saves a copy of
// the whole list (mark lists are short); undo brings the last copy back and keeps the list it replaced
// for redo. A new change starts a new branch, so it clears what could be redone.
class MarkHistory {
public:
    // In drawing order, the last on top.
    [[nodiscard]] const std::vector<Mark>& marks() const { return marks_; }
    [[nodiscard]] bool canUndo() const { return !earlier_.empty(); }
    [[nodiscard]] bool canRedo() const { return !later_.empty(); }

    // Empty marks are refused without a snapshot.
    void add(Mark mark);
    // Out-of-range indices and unchanged marks are ignored without a snapshot.
    void replace(std::size_t index, Mark mark);
    // Later numbered markers close the gap, within the same snapshot, so one undo restores them all.
    void remove(std::size_t index);
    void undo();
    void redo();

    friend bool operator==(const MarkHistory&, const MarkHistory&) = default;

private:
    void saveSnapshot();

    std::vector<Mark> marks_;
    std::vector<std::vector<Mark>> earlier_;
    std::vector<std::vector<Mark>> later_;
};

} // namespace quillet
