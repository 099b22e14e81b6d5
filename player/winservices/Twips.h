#pragma once
// Lengths on windows are twips: 1440 per logical inch. Geometry keeps the exact twips a caller set
// as long as the widget's pixel geometry still matches them, so values round-trip unchanged.

class QWidget;

namespace Twips {

double PerPixelX();
double PerPixelY();
// Nearest whole pixel, halves to even.
int ToPixelsX(double twips);
int ToPixelsY(double twips);
// The screen a window is on (the primary screen without one): size and place in twips.
double ScreenWidth(const QWidget* on = nullptr);
double ScreenHeight(const QWidget* on = nullptr);
double ScreenLeft(const QWidget* on = nullptr);
double ScreenTop(const QWidget* on = nullptr);
// The part of that screen that panels and docks leave to windows, in twips.
struct Area {
    double left, top, width, height;
};
Area Available(const QWidget* on = nullptr);

// Child controls: position within the parent's client area. Windows: the frame rectangle.
double Left(const QWidget* w);
double Top(const QWidget* w);
double Width(const QWidget* w);
double Height(const QWidget* w);
void SetLeft(QWidget* w, double twips);
void SetTop(QWidget* w, double twips);
void SetWidth(QWidget* w, double twips);
void SetHeight(QWidget* w, double twips);
void SetRect(QWidget* w, double left, double top, double width, double height);
// Puts a window's outer frame back on the twips last set, with the frame margins the window
// manager reports now (they arrive after show and after full screen).
void ReapplyFrame(QWidget* w);

}  // namespace Twips
