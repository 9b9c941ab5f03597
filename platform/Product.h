#pragma once

namespace smx::platform {

// The product's web address: shown and opened by the about box, and carried by the credit line
// of everything the results export puts on the clipboard. The README names it too.
inline constexpr char Product_Web_Address[] = "https://speedmetrix.org";

// How the desktop knows the program: the name its menu entries show, the icon's theme name (the
// installed entry, the window icon and the entries the program writes all use it), and the
// menu categories.
inline constexpr char Product_Name[] = "Speedmetrix";
inline constexpr char Product_Comment[] = "Measure how fast this PC computes, moves memory, writes "
                                          "files and draws";
inline constexpr char Product_Icon_Name[] = "org.speedmetrix.Speedmetrix";
inline constexpr char Product_Categories[] = "System;Monitor;";

// The title every window and message box carries, the main window's caption among them.
inline constexpr char Program_Title[] = "Windows PC Speedmetrix v1.3f";

} // namespace smx::platform
