#pragma once
// Three-dimensional borders in the palette's bevel colours: one ring per border kind, the
// outer ring on the rectangle's edge and the inner one a pixel inside it.

#include <QPainter>
#include <QPalette>

#include "SliderMath.h"

namespace ptSlider {

inline constexpr int BDR_RAISEDOUTER = 1;
inline constexpr int BDR_SUNKENOUTER = 2;
inline constexpr int BDR_RAISEDINNER = 4;
inline constexpr int BDR_SUNKENINNER = 8;
inline constexpr int EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
inline constexpr int EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
inline constexpr int BF_RECT = 15;

// Draws the border kinds in edge inside rect (right and bottom exclusive); flags select the
// sides (BF_RECT draws all four).
void DrawEdge(QPainter& painter, const RailBox& rect, int edge, int flags, const QPalette& palette);

// The edge drawn for a rail style; 0 for styles that draw no border.
int EdgeForRailStyle(qint32 railStyle);

}  // namespace ptSlider
