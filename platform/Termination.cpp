#include "platform/Termination.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace smx::platform {
namespace {
int g_pipe[2] = {-1, -1};
std::atomic<int> g_requests{0};
bool g_signals_caught = false;
std::atomic<int> g_first_signal{0};
bool g_notifier_made = false;

// Two slots, so that registering files never rewrites the slot a signal handler may be reading.
struct Numbered_Files {
    char prefix[PATH_MAX];
    char suffix[32];
};
Numbered_Files g_slots[2];
std::atomic<int> g_slot{-1}; // the slot in use, -1 for none
std::atomic<int> g_count{0};
static_assert(std::atomic<int>::is_always_lock_free);

// Writes the decimal digits of a positive n at `out`; returns the end.
char* put_decimal(char* out, int n) {
    char digits[12];
    int length = 0;
    do {
        digits[length++] = static_cast<char>('0' + n % 10);
        n /= 10;
    } while (n > 0);
    while (length > 0)
        *out++ = digits[--length];
    return out;
}

void end_at_once(int sig) {
    // Half a second here; whatever a long disk run left beyond that is removed after the end.
    remove_registered_temp_files(500);
    // The signal's own default action, so that whoever sent it sees the program killed by it.
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    sigaction(sig, &default_action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
    raise(sig);
    _exit(128 + sig);
}

void on_signal(int sig) {
    // Only async-signal-safe work here: the event loop does the rest.
    if (g_requests.fetch_add(1) > 0)
        end_at_once(sig);
    g_first_signal.store(sig);
    detail::stop_bits.fetch_or(detail::stop_by_termination);
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_pipe[0], &byte, 1);
}
} // namespace

void install_termination_signals() {
    if (g_pipe[0] < 0 && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0)
        return;
    if (g_signals_caught)
        return;
    g_signals_caught = true;
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    // One handler at a time: a second signal waits until the first has been noted.
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&action.sa_mask, sig);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
}

void restore_default_termination_signals() {
    if (!g_signals_caught)
        return;
    g_signals_caught = false;
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &default_action, nullptr);
    if (const int sig = g_first_signal.exchange(0); sig != 0) {
        g_requests.store(0);
        raise(sig);
    }
}

void install_termination_handler(std::function<void()> on_request) {
    install_termination_signals();
    if (g_pipe[1] < 0 || g_notifier_made)
        return;
    g_notifier_made = true;
    // A byte written before now is still in the socket, so the notifier reports it at once.
    auto* notifier =
        new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [request = std::move(on_request)]() {
                         char buffer[16];
                         [[maybe_unused]] const auto got = ::read(g_pipe[1], buffer, sizeof buffer);
                         request();
                     });
}

void request_stop() noexcept {
    detail::stop_bits.fetch_or(detail::stop_by_close);
}

void clear_stop_request() noexcept {
    detail::stop_bits.fetch_and(~detail::stop_by_close);
}

void request_termination() noexcept {
    g_requests.fetch_add(1);
    detail::stop_bits.fetch_or(detail::stop_by_termination);
}

void register_numbered_temp_files(const QByteArray& prefix, const QByteArray& suffix) {
    const int current = g_slot.load();
    const int next = current == 0 ? 1 : 0;
    Numbered_Files& slot = g_slots[next];
    // A name too long for the buffers could not be created either; nothing is registered.
    if (static_cast<std::size_t>(prefix.size()) + 12 + static_cast<std::size_t>(suffix.size()) >=
            sizeof slot.prefix ||
        static_cast<std::size_t>(suffix.size()) >= sizeof slot.suffix) {
        unregister_numbered_temp_files();
        return;
    }
    g_count.store(0);
    std::memcpy(slot.prefix, prefix.constData(), static_cast<std::size_t>(prefix.size()) + 1);
    std::memcpy(slot.suffix, suffix.constData(), static_cast<std::size_t>(suffix.size()) + 1);
    g_slot.store(next); // sequentially consistent: the text is in place before the slot is used
}

void set_numbered_temp_file_count(int count) noexcept {
    g_count.store(count, std::memory_order_relaxed);
}

void unregister_numbered_temp_files() noexcept {
    g_slot.store(-1);
    g_count.store(0);
}

namespace {

timespec monotonic_now() noexcept {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now;
}

long elapsed_ms(const timespec& since) noexcept {
    const timespec now = monotonic_now();
    return (now.tv_sec - since.tv_sec) * 1000L + (now.tv_nsec - since.tv_nsec) / 1000000L;
}

// Files first .. count; budget_ms < 0 for no limit.
void remove_registered_from(int first, long budget_ms) noexcept {
    const int slot = g_slot.load();
    if (slot < 0)
        return;
    const Numbered_Files& files = g_slots[slot];
    const int count = g_count.load();
    const uid_t me = ::geteuid();
    const timespec start = monotonic_now();
    char path[sizeof files.prefix];
    const std::size_t prefix_length = std::strlen(files.prefix);
    std::memcpy(path, files.prefix, prefix_length);
    for (int n = first; n <= count; ++n) {
        if (budget_ms >= 0 && (n - first) % 256 == 255 && elapsed_ms(start) > budget_ms &&
            remove_registered_temp_files_in_background(n))
            return;
        char* end = put_decimal(path + prefix_length, n);
        const std::size_t suffix_length = std::strlen(files.suffix);
        std::memcpy(end, files.suffix, suffix_length + 1);
        struct stat st {};
        if (::lstat(path, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == me)
            ::unlink(path);
    }
}

} // namespace

void remove_registered_temp_files(int budget_ms) noexcept {
    remove_registered_from(1, budget_ms);
}

bool remove_registered_temp_files_in_background(int first) noexcept {
    if (g_slot.load() < 0 || first > g_count.load())
        return true;
    // _Fork runs no fork handlers, so it may be called from a signal handler, and the child
    // takes no lock another thread of the parent held. The child makes async-signal-safe calls
    // only.
    const pid_t child = ::_Fork();
    if (child < 0)
        return false;
    if (child == 0) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGPIPE})
            sigaction(sig, &ignore, nullptr);
        // Nothing of the program's stays open: a caller reading its output would wait for the
        // cleaner, the data files' locks would stay taken, and the X server would keep its
        // windows.
        if (::close_range(0, ~0U, 0) != 0)
            for (int fd = 0; fd < 65536; ++fd)
                ::close(fd);
        ::setsid();
        // The grandchild is adopted by init: the program neither waits for it nor leaves a
        // zombie behind.
        if (::_Fork() != 0)
            ::_exit(0);
        remove_registered_from(first, -1);
        ::_exit(0);
    }
    int status;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
}

void reset_termination_state_for_tests() noexcept {
    g_requests.store(0);
    g_first_signal.store(0);
    detail::stop_bits.store(0);
    unregister_numbered_temp_files();
}

} // namespace smx::platform
