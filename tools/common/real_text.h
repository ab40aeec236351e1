// Real numbers as text for the tools, one helper for each use, and the only
// place the tools turn a number into text. None depends
// on the process locale, so Linux and Windows print the same bytes, and NaN
// is always "nan" (C libraries disagree on its sign).
#pragma once

#include <string>

// Nine significant digits ("%.9g"): enough to read back any float, in the
// form the JSON dump has always had.
std::string ExactRealText(float value);
void AppendExactReal(std::string& out, float value);

// The shortest text that reads back to the same float: 0.03, not
// 0.0299999993. What a person reads where the value must stay exact.
std::string ShortestRealText(float value);
void AppendShortestReal(std::string& out, float value);

// Rounded to `digits` significant digits for reading, without an exponent
// between 0.001 and a million: 0.00999999 reads 0.01, 0.999995 reads 1,
// 3298.5 reads 3300.
std::string RoundedRealText(double value, int digits = 3);

// To a tenth ("%.1f"), by integer arithmetic: a drawing's coordinates, of
// which a run writes hundreds of thousands.
std::string CoordinateText(double value);
void AppendCoordinate(std::string& out, double value);

// Six significant digits ("%g"): an axis tick, a size in a drawing.
std::string GeneralRealText(double value);
