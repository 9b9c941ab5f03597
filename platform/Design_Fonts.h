#pragma once
#include <QFont>
#include <QString>

namespace smx::platform {

// The windows are laid out in pixels for the widths of Times New Roman and Arial. Where neither
// they nor their metric twins (Liberation Serif and Liberation Sans) are installed, the family
// that stands in (DejaVu on a minimal system) is wider and captions would be cut off, so it is
// narrowed to the design widths. Any other family is returned as asked.
QFont fit_design_widths(QFont font);

// The text whose width at 1000 pixels is compared, made of the captions that are widest for
// their place.
QString design_sample();

// The stretch, in percent, that makes `font` no wider than `design_width` pixels for the sample
// text at 1000 pixels (100 when it is not wider; never below 50).
int stretch_to_width(QFont font, double design_width);

} // namespace smx::platform
