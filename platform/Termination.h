#pragma once
#include <QByteArray>
#include <atomic>
#include <functional>

namespace smx::platform {

// Turns SIGTERM, SIGINT and SIGHUP into a call on the event loop, so the end of the desktop
// session closes the program through its normal close path. Installed once per process.
// A second of these signals while the first is being handled ends the program at once: the
// registered temporary files are removed (see below) and the signal's default action ends the
// process, without any other file being written.
//
// Two steps, so that no signal is lost while the program starts: the signals are caught from
// the first call of install_termination_signals() (no Qt needed yet), and a signal that came
// before install_termination_handler() is handed to `on_request` once the event loop runs.
void install_termination_signals();
// Back to the signals' default actions, for a start that turns out not to be the window's (the
// batch run installs its own handling later); a signal caught meanwhile takes its default action
// now.
void restore_default_termination_signals();
// Also installs the signals when that has not been done; needs the application object.
void install_termination_handler(std::function<void()> on_request);

// ---- Ending long work early ----
// Long work looks at this between its units (the processor loops between blocks of passes, the
// memory test between arrays, the disk test between files, a graphics test between steps) and ends
// early when it is set. The first termination signal sets it from the signal handler itself, so
// that work which lets no event through still sees it; a close of the main window asked for during
// a run sets it too.
namespace detail {
inline constexpr int stop_by_close = 1;
inline constexpr int stop_by_termination = 2;
inline std::atomic<int> stop_bits{0};
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");
} // namespace detail

inline bool stop_requested() noexcept {
    return detail::stop_bits.load(std::memory_order_relaxed) != 0;
}
inline bool termination_requested() noexcept {
    return (detail::stop_bits.load(std::memory_order_relaxed) & detail::stop_by_termination) != 0;
}
// A close of the main window during a run.
void request_stop() noexcept;
// At the start of a run: forgets a stop asked for by a close; the end of the session stays.
void clear_stop_request() noexcept;
// The end of the session asked for other than by a signal (the session manager's quit): the
// same as a first signal, except that nothing is written to the event loop.
void request_termination() noexcept;

// ---- Files a second signal removes ----
// The disk test's numbered files prefix + n + suffix, n = 1 .. count, where count is the highest
// number that may exist. Held in fixed storage that the signal handler can read safely.
void register_numbered_temp_files(const QByteArray& prefix, const QByteArray& suffix);
void set_numbered_temp_file_count(int count) noexcept;
void unregister_numbered_temp_files() noexcept;
// Removes each registered file that is a regular file of ours; anything else at a name stays.
// Async-signal-safe: this is what the second signal does before the program ends. With a budget,
// the names still left when it has passed go to remove_registered_temp_files_in_background.
void remove_registered_temp_files(int budget_ms = -1) noexcept;
// Removes the registered files numbered `first` up in a detached process of its own, which holds
// none of the program's open files and outlives it, so that a stop after a long disk run ends
// in time however many files are left. False when no process could be started.
// Async-signal-safe.
bool remove_registered_temp_files_in_background(int first) noexcept;

// Tests only: forgets every request, as at start-up.
void reset_termination_state_for_tests() noexcept;

} // namespace smx::platform
