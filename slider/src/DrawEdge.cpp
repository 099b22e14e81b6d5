#include "DrawEdge.h"

#include "ptSlider/OleColor.h"

namespace ptSlider {

namespace {

constexpr int BF_LEFT = 1;
constexpr int BF_TOP = 2;
constexpr int BF_RIGHT = 4;
constexpr int BF_BOTTOM = 8;

struct RingColours {
    quint32 topLeft;
    quint32 bottomRight;
};

RingColours OuterColours(int outer) {
    if (outer == BDR_RAISEDOUTER) return {kSys3DLight, kSys3DDarkShadow};
    return {kSysButtonShadow, kSysButtonHighlight};
}

RingColours InnerColours(int inner) {
    if (inner == BDR_RAISEDINNER) return {kSysButtonHighlight, kSysButtonShadow};
    return {kSys3DDarkShadow, kSys3DLight};
}

// Top and left first, then bottom and right, which therefore own the two shared corners.
void DrawRing(QPainter& p, const RailBox& r, int inset, RingColours c, int flags, const QPalette& pal) {
    const int l = r.left + inset;
    const int t = r.top + inset;
    const int w = r.right - r.left - 2 * inset;
    const int h = r.bottom - r.top - 2 * inset;
    if (w <= 0 || h <= 0) return;
    const QColor lt = OleColorToQColor(c.topLeft, pal);
    const QColor rb = OleColorToQColor(c.bottomRight, pal);
    if (flags & BF_TOP) p.fillRect(l, t, w, 1, lt);
    if (flags & BF_LEFT) p.fillRect(l, t, 1, h, lt);
    if (flags & BF_BOTTOM) p.fillRect(l, t + h - 1, w, 1, rb);
    if (flags & BF_RIGHT) p.fillRect(l + w - 1, t, 1, h, rb);
}

}  // namespace

void DrawEdge(QPainter& painter, const RailBox& rect, int edge, int flags, const QPalette& palette) {
    // Both kinds of one ring at once name no border.
    int outer = edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER);
    int inner = edge & (BDR_RAISEDINNER | BDR_SUNKENINNER);
    if (outer == (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) outer = 0;
    if (inner == (BDR_RAISEDINNER | BDR_SUNKENINNER)) inner = 0;
    if (outer && inner) {
        DrawRing(painter, rect, 0, OuterColours(outer), flags, palette);
        DrawRing(painter, rect, 1, InnerColours(inner), flags, palette);
    } else if (outer) {
        DrawRing(painter, rect, 0, OuterColours(outer), flags, palette);
    } else if (inner) {
        // A lone inner border takes the outermost ring.
        DrawRing(painter, rect, 0, InnerColours(inner), flags, palette);
    }
}

int EdgeForRailStyle(qint32 railStyle) {
    switch (railStyle) {
        case 0:
            return EDGE_SUNKEN;
        case 1:
            return EDGE_RAISED;
        case 2:
            return BDR_SUNKENOUTER;
        case 3:
            return BDR_RAISEDINNER;
        default:
            return 0;
    }
}

}  // namespace ptSlider
