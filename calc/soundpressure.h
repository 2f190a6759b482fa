#pragma once

#include <cstdint>
#include <optional>

namespace calc {

// The tapped power: powerW x tap rounded to the nearest whole number, halves
// to the even neighbour, as a 32-bit whole number. No value when the product
// is not a number, does not fit 32 bits or is below 1 W (its logarithm would
// be undefined).
std::optional<std::int32_t> tappedPower(double powerW, double tap);

// Ten times the decimal logarithm of x (x >= 1), taken as ln(x) / ln(10) x 10.
double logdb(std::int32_t x);

// The level the room demands: noise + margin rounded halves to even, as a
// 16-bit whole number, and never below 75 dB. No value when the sum does not
// fit 16 bits.
std::optional<std::int16_t> requiredLevel(double noise, double margin);

// Total sound pressure of the loudspeaker at 1 m: sens + logP rounded down.
double totalSoundPressure(double sens, double logP);

// Effective range, m: 10 ^ (excess / 20) rounded down, plus 1 m. At 20 dB per
// decade this is where the level has fallen from splTotal to the required one.
double effectiveRange(double excess);

// Height of the loudspeaker above the listening plane, which sits listenH cm
// above the floor.
double dropHeight(double mountH, double listenH);

} // namespace calc
