#include "core/MarkHistory.hpp"

#include <cstdint>
#include <iterator>
#include <utility>
#include <variant>

namespace quillet {
namespace {

void closeNumberGap(std::vector<Mark>& marks, std::int64_t removedValue)
{
    for (Mark& mark : marks) {
        if (auto* number = std::get_if<Annotation::Number>(&mark.annotation.payload)) {
            if (number->value > removedValue) {
                --number->value;
            }
        }
    }
}

} // namespace

void MarkHistory::add(Mark mark)
{
    if (mark.annotation.isEmpty()) {
        return;
    }
    saveSnapshot();
    marks_.push_back(std::move(mark));
}

void MarkHistory::replace(std::size_t index, Mark mark)
{
    if (index >= marks_.size() || marks_[index] == mark) {
        return;
    }
    saveSnapshot();
    marks_[index] = std::move(mark);
}

void MarkHistory::remove(std::size_t index)
{
    if (index >= marks_.size()) {
        return;
    }
    saveSnapshot();
    const Mark removed = std::move(marks_[index]);
    marks_.erase(marks_.begin() + static_cast<std::ptrdiff_t>(index));
    if (const auto* number = removed.annotation.as<Annotation::Number>()) {
        closeNumberGap(marks_, number->value);
    }
}

void MarkHistory::undo()
{
    if (earlier_.empty()) {
        return;
    }
    later_.push_back(std::exchange(marks_, std::move(earlier_.back())));
    earlier_.pop_back();
}

void MarkHistory::redo()
{
    if (later_.empty()) {
        return;
    }
    earlier_.push_back(std::exchange(marks_, std::move(later_.back())));
    later_.pop_back();
}

void MarkHistory::saveSnapshot()
{
    earlier_.push_back(marks_);
    later_.clear();
}

} // namespace quillet
