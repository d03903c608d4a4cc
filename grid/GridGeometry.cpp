#include "grid/GridGeometry.h"

namespace quillon::grid::geometry {

ScrollRoom MeasureScrollRoom(const ScrollInputs& in) {
    ScrollRoom room;
    if (in.clientWidth <= in.fixedWidth || in.clientHeight <= in.fixedHeight) return room;
    room.room = true;
    const int scrollHeight = in.virtualHeight - in.fixedHeight;
    const int scrollWidth = in.virtualWidth - in.fixedWidth;
    room.visibleHeight = in.clientHeight - in.fixedHeight;
    room.visibleWidth = in.clientWidth - in.fixedWidth;
    if (scrollHeight > room.visibleHeight) {
        room.visibleWidth -= in.verticalBarWidth;
        if (scrollWidth > room.visibleWidth) room.visibleHeight -= in.horizontalBarHeight;
    } else if (scrollWidth > room.visibleWidth) {
        // The horizontal bar takes height, which may in turn need the vertical bar.
        room.visibleHeight -= in.horizontalBarHeight;
        if (scrollHeight > room.visibleHeight) room.visibleWidth -= in.verticalBarWidth;
    }
    room.vertical = scrollHeight > room.visibleHeight;
    room.horizontal = scrollWidth > room.visibleWidth;
    room.verticalMax = room.vertical ? scrollHeight - 1 : 0;
    room.horizontalMax = room.horizontal ? scrollWidth - 1 : 0;
    return room;
}

}  // namespace quillon::grid::geometry
