// The shortest code that does what each graphics test times, for the engine_kernels table: a
// modal window with the same controls or shapes, the same changes and moves, a pump after each
// step (events let through, the change painted, and the display server caught up), and the
// closing timer's tick, as one display of the test's own window is timed.
#pragma once

namespace smx::bench {

// One display of the controls test's reference; returns the operations it made (as the test
// counts them).
int Reference_Controls_Display();

// One display of the 2D test's reference; returns the pixels drawn (as the test counts them).
long long Reference_2D_Display();

} // namespace smx::bench
