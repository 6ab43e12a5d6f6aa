#include "core/ArrowHead.hpp"

namespace quillet {

ArrowHead toggled(ArrowHead head)
{
    switch (head) {
    case ArrowHead::atStart:
        return ArrowHead::atEnd;
    case ArrowHead::atEnd:
        return ArrowHead::atStart;
    }
    return defaultArrowHead;
}

Annotation arrow(ArrowHead head, Point dragFrom, Point to)
{
    switch (head) {
    case ArrowHead::atStart:
        return Annotation::arrow(to, dragFrom);
    case ArrowHead::atEnd:
        return Annotation::arrow(dragFrom, to);
    }
    return Annotation::arrow(to, dragFrom);
}

std::string_view rawValue(ArrowHead head)
{
    switch (head) {
    case ArrowHead::atStart:
        return "atStart";
    case ArrowHead::atEnd:
        return "atEnd";
    }
    return {};
}

std::optional<ArrowHead> arrowHeadFromRawValue(std::string_view raw)
{
    for (const ArrowHead head : allArrowHeads) {
        if (rawValue(head) == raw) {
            return head;
        }
    }
    return std::nullopt;
}

} // namespace quillet
