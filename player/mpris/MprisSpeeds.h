#pragma once
// The playing speeds the keys offer, as MPRIS rates, and the key that sets each.

#include <QtGlobal>
#include <array>

namespace MprisSpeeds {

struct Speed {
    double rate;
    qint16 key;
};

// Keys 7 6 5 4 ` 1 2 3 of the key table (SetSpeed 15 75 150 300 600 0 1600 2200; 0 is normal).
inline constexpr std::array<Speed, 8> kSpeeds{
    {{0.015, 55}, {0.075, 54}, {0.15, 53}, {0.3, 52}, {0.6, 192}, {1.0, 49}, {1.6, 50}, {2.2, 51}}};

// The rate a speed factor plays at (0 is the device's normal speed).
inline double RateOf(qint32 factor) {
    return factor == 0 ? 1.0 : factor / 1000.0;
}

// The offered speed nearest to rate (by ratio); rate must be above 0.
Speed Nearest(double rate);

}  // namespace MprisSpeeds
