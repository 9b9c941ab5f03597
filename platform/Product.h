#pragma once

namespace smx::platform {

// The product's web address: shown and opened by the about box, and carried by the credit line
// of everything the results export puts on the clipboard. The README names it too.
inline constexpr char Product_Web_Address[] = "https://speedmetrix.org";

} // namespace smx::platform
