#pragma once
#include <QColor>

namespace smx::graph {

// The colour of the n-th set drawn (0-based): the window's red for the current set and lime for
// the comparison set, then colours that stay apart from those and from each other.
QColor Series_Colour(int index);

// Text in a set's colour that stays readable on a light background: light colours are darkened
// (the window writes the lime set's name in green).
QColor Series_Text_Colour(int index);

} // namespace smx::graph
