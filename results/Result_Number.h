#pragma once
#include <QString>

namespace smx::results {

// The stored number text: 18 significant digits, correctly rounded, "." whatever the locale,
// e.g. 1.44000000000000000E+9, -5.00000000000000000E-1, 0.00000000000000000E+0.
QString Format_Result_Number(long double value);

// Reads a stored number: optional blanks, optional sign, digits with at most one ".", optional
// exponent ("E" or "e", optional sign, digits). "." whatever the locale, no grouping. False for
// anything else, including a value beyond the range of long double.
bool Parse_Result_Number(const QString& text, long double& value);

} // namespace smx::results
