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

} // namespace quillet
