// Times each engine kernel beside a reference, the shortest code that honours every rule of
// its test, built with the same flags (the memory test's: built for this very processor), and
// at several loop counts to show that the time grows with the work (nothing folded away); then
// each graphics test's window beside the shortest code doing what it times
// (graphics_reference.cpp). Prints one table. Usage: engine_kernels [directory for the disk
// test] [--quick] [--graphics: the graphics rows alone]. The graphics use QT_QPA_PLATFORM as set,
// offscreen when unset.
#include "engine_kernels_native.h"

#include "graphics_reference.h"

#include "engine/Disk_Test.h"
#include "engine/Graphics_2D_Form.h"
#include "engine/Kernels.h"
#include "engine/Windows_Graphics_Controls_Form.h"
#include "platform/Drives.h"
#include "platform/Spin_Edit.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace smx::engine;

// ---- Reference loops -------------------------------------------------------------------
// noipa: compiled for any argument, like the kernels, not specialised for the constants below.

__attribute__((noipa)) void reference_integer(std::int32_t n) {
    if (n < 0)
        return;
    std::uint32_t c = static_cast<std::uint32_t>(n) + 1u;
    do {
        asm volatile("" : "+r"(c));
    } while (--c != 0);
}

// The shortest sequence that honours every rule of the floating-point loop, per pass: load x
// (double) and compare it with L in extended precision, add 1 in extended precision, store x as a
// double, square it, add s loaded from memory, store s as a double. L and 1.0 stay on the x87
// stack; the test sits at the bottom so a pass has one branch; exactly L passes.
__attribute__((noipa)) double reference_float(std::int32_t limit) {
    const long double L = limit;
    double x = 0.0;
    double s = 0.0;
    asm volatile("fldt %[L]\n\t"
                 "fld1\n\t"
                 "fldl %[x]\n\t"
                 "fucomi %%st(2), %%st\n\t"
                 "jae 2f\n"
                 "1:\n\t"
                 "fadd %%st(1), %%st\n\t"
                 "fstl %[x]\n\t"
                 "fmul %%st(0), %%st\n\t"
                 "faddl %[s]\n\t"
                 "fstpl %[s]\n\t"
                 "fldl %[x]\n\t"
                 "fucomi %%st(2), %%st\n\t"
                 "jb 1b\n"
                 "2:\n\t"
                 "fstp %%st(0)\n\t"
                 "fstp %%st(0)\n\t"
                 "fstp %%st(0)"
                 : [x] "+m"(x), [s] "+m"(s)
                 : [L] "m"(L)
                 : "cc", "st", "st(1)", "st(2)");
    return s;
}

// The floating-point loop as plain C++ with volatile doubles, the shape the compiler is given
// without hand-written code: for comparison with the reference above.
__attribute__((noipa)) double plain_cxx_float(std::int32_t limit) {
    const long double L = limit;
    volatile double x = 0.0;
    volatile double s = 0.0;
    double xv = x;
    while (L > xv) {
        xv = static_cast<double>(static_cast<long double>(xv) + 1.0L);
        x = xv;
        s = static_cast<double>(static_cast<long double>(xv) * xv + s);
        xv = x;
    }
    return s;
}

// The same system calls as the disk test: open, one write, close; open, one read, close;
// stat and unlink.
__attribute__((noipa)) void reference_disk(const std::string& dir, int count, int size) {
    std::unique_ptr<char[]> buffer(new char[static_cast<std::size_t>(size)]);
    int filled = std::min(size, 26);
    std::memcpy(buffer.get(), "ABCDEFGHIJKLMNOPQRSTUVWXYZ", static_cast<std::size_t>(filled));
    for (; filled < size; filled += std::min(filled, size - filled))
        std::memcpy(buffer.get() + filled, buffer.get(),
                    static_cast<std::size_t>(std::min(filled, size - filled)));
    char path[4096];
    for (int n = 1; n <= count; ++n) {
        std::snprintf(path, sizeof path, "%s/$$BENCHMARK_TEMP_%d.tmp", dir.c_str(), n);
        const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, buffer.get(), size) != size)
            std::abort();
        ::close(fd);
    }
    for (int n = 1; n <= count; ++n) {
        std::snprintf(path, sizeof path, "%s/$$BENCHMARK_TEMP_%d.tmp", dir.c_str(), n);
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::read(fd, buffer.get(), size) != size)
            std::abort();
        ::close(fd);
    }
    for (int n = 1; n <= count; ++n) {
        std::snprintf(path, sizeof path, "%s/$$BENCHMARK_TEMP_%d.tmp", dir.c_str(), n);
        struct stat st {};
        if (::lstat(path, &st) == 0)
            ::unlink(path);
    }
}

// ---- Timing ------------------------------------------------------------------------------

// The processor kernels are timed in the thread's CPU time, which leaves out the time other
// processes on a shared machine take the core away; the disk test in wall time, since its
// waits for the filesystem are part of what it measures.
enum class Clock { Thread_Cpu, Wall };

double now_ms(Clock clock) {
    timespec ts{};
    clock_gettime(clock == Clock::Thread_Cpu ? CLOCK_THREAD_CPUTIME_ID : CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Kernel and reference alternate (taking turns at going first) so that both see the same
// machine load. Each time is the best of the rounds; the speed is the median, over the rounds,
// of reference time / kernel time within a round, which holds up better on a shared machine.
struct Pair {
    double kernel_ms;
    double reference_ms;
    double speed; // reference / kernel: 1.00 = as fast as the reference
    // Every round's figures, sorted: for the spread of the noisy ones.
    std::vector<double> kernel_all, reference_all, speed_all;
};

Pair time_pair(const std::function<void()>& kernel, const std::function<void()>& reference,
               int rounds, Clock clock) {
    Pair best{1e300, 1e300, 0, {}, {}, {}};
    kernel(); // warm caches and the allocator
    reference();
    auto timed = [clock](const std::function<void()>& work, double& best_ms) {
        const double t = now_ms(clock);
        work();
        const double ms = now_ms(clock) - t;
        best_ms = std::min(best_ms, ms);
        return ms;
    };
    std::vector<double> speeds;
    for (int r = 0; r < rounds; ++r) {
        double k = 0, b = 0;
        if (r % 2 == 0) {
            k = timed(kernel, best.kernel_ms);
            b = timed(reference, best.reference_ms);
        } else {
            b = timed(reference, best.reference_ms);
            k = timed(kernel, best.kernel_ms);
        }
        speeds.push_back(b / k);
        best.kernel_all.push_back(k);
        best.reference_all.push_back(b);
    }
    std::sort(speeds.begin(), speeds.end());
    best.speed = speeds[speeds.size() / 2];
    best.speed_all = speeds;
    std::sort(best.kernel_all.begin(), best.kernel_all.end());
    std::sort(best.reference_all.begin(), best.reference_all.end());
    return best;
}

double cpu_mhz() {
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("cpu MHz"))
            return line.mid(line.indexOf(':') + 1).trimmed().toDouble();
    }
    return 0;
}

// The memory loop with a given fill, as the kernel runs it: for the rows of each store width.
__attribute__((noipa)) void memory_with(Fill_Function fill, std::int32_t loops, std::int32_t size) {
    for (std::int32_t i = 0; i < loops; ++i) {
        const std::size_t bytes = static_cast<std::size_t>(size) * 4;
        auto* a = static_cast<std::int32_t*>(std::malloc(bytes));
        asm volatile("" : : "r"(a) : "memory");
        std::memset(a, 0, bytes);
        asm volatile("" : : "r"(a) : "memory");
        fill(a, 0, size);
        asm volatile("" : : "r"(a) : "memory");
        std::free(a);
    }
}

void row(const char* test, const std::string& work, const Pair& p, double units, const char* unit,
         double first_kernel_ms, double first_units) {
    const double growth = (p.kernel_ms / first_kernel_ms) / (units / first_units);
    std::printf("| %-9s | %-22s | %10.2f | %10.2f | %6.3f | %10.3f %-9s | %5.2f |\n", test,
                work.c_str(), p.kernel_ms, p.reference_ms, p.speed, p.kernel_ms * 1e6 / units, unit,
                growth);
}

// The rounds' spread under a row: minimum / median / maximum of the kernel's and the
// reference's times and of the speed, so that noise can be told from a gap.
void spread(const Pair& p) {
    auto three = [](const std::vector<double>& v, const char* format) {
        char text[64];
        std::snprintf(text, sizeof text, format, v.front(), v[v.size() / 2], v.back());
        return std::string(text);
    };
    std::printf("|   spread  | min / median / max     | %s | %s | %s |\n",
                three(p.kernel_all, "%.2f / %.2f / %.2f").c_str(),
                three(p.reference_all, "%.2f / %.2f / %.2f").c_str(),
                three(p.speed_all, "%.3f / %.3f / %.3f").c_str());
}

void kernel_and_disk_rows(int rounds, int scale, double mhz, const std::string& root_path);
void graphics_rows(int rounds);

} // namespace

int main(int argc, char** argv) {
    // The graphics tests need windows; the disk test lets pending events through at its end.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    bool quick = false;
    bool graphics_only = false;
    QString disk_dir = QDir::tempPath();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else if (std::strcmp(argv[i], "--graphics") == 0)
            graphics_only = true;
        else
            disk_dir = QString::fromLocal8Bit(argv[i]);
    }
    QTemporaryDir root(disk_dir + QStringLiteral("/engine_kernels_XXXXXX"));
    if (!root.isValid()) {
        std::fprintf(stderr, "cannot create a folder in %s\n", qPrintable(disk_dir));
        return 1;
    }
    smx::platform::set_drive_table_override(
        std::vector<smx::platform::Drive>{{'b', root.path(), QStringLiteral("bench")}});
    const std::string root_path = QFile::encodeName(root.path()).toStdString();
    const int rounds = quick ? 3 : 11;
    const int scale = quick ? 4 : 1;

    const double mhz = cpu_mhz();
    std::printf("CPU clock %.0f MHz (nominal); best of %d rounds; times in ms (processor "
                "kernels: thread CPU time, disk: wall time); speed = reference time / kernel "
                "time, median of the rounds; growth = time per unit relative to the first row "
                "of the test (1.00 = linear)\n\n",
                mhz, rounds);
    std::printf("| Test      | Work                   | Kernel ms  | Ref. ms    | Speed  | "
                "ns per unit          | Growth|\n");
    std::printf("|-----------|------------------------|------------|------------|--------|-"
                "---------------------|-------|\n");

    if (!graphics_only)
        kernel_and_disk_rows(rounds, scale, mhz, root_path);
    graphics_rows(rounds);
    return 0;
}

namespace {

void kernel_and_disk_rows(int rounds, int scale, double mhz, const std::string& root_path) {
    // Integer: n + 1 passes.
    double first_ms = 0, first_units = 0;
    for (std::int32_t millions : {200, 400, 800}) {
        const std::int32_t n = millions * 1000000 / scale;
        const Pair p = time_pair([&] { Integer_Arithmetic_Loop(n); }, [&] { reference_integer(n); },
                                 rounds, Clock::Thread_Cpu);
        if (first_ms == 0) {
            first_ms = p.kernel_ms;
            first_units = n + 1.0;
        }
        row("Integer", std::to_string(n + 1LL) + " passes", p, n + 1.0, "/pass", first_ms,
            first_units);
        if (mhz > 0)
            std::printf("|           |   = %.3f cycles per pass (kernel), %.3f (ref.)        "
                        "                           |\n",
                        p.kernel_ms * 1e3 * mhz / (n + 1.0),
                        p.reference_ms * 1e3 * mhz / (n + 1.0));
    }

    first_ms = 0;
    for (std::int32_t millions : {25, 50, 100}) {
        const std::int32_t n = millions * 1000000 / scale;
        const Pair p = time_pair([&] { Floating_Point_Loop(n); }, [&] { reference_float(n); },
                                 rounds, Clock::Thread_Cpu);
        if (first_ms == 0) {
            first_ms = p.kernel_ms;
            first_units = n;
        }
        row("Float", std::to_string(n) + " passes", p, n, "/pass", first_ms, first_units);
        if (mhz > 0)
            std::printf("|           |   = %.2f cycles per pass (kernel), %.2f (reference)      "
                        "                          |\n",
                        p.kernel_ms * 1e3 * mhz / n, p.reference_ms * 1e3 * mhz / n);
    }
    {
        // What the compiler makes of the same loop in plain C++, against the same reference.
        const std::int32_t n = 50000000 / scale;
        const Pair p = time_pair([&] { plain_cxx_float(n); }, [&] { reference_float(n); }, rounds,
                                 Clock::Thread_Cpu);
        row("Float C++", std::to_string(n) + " passes", p, n, "/pass", p.kernel_ms, n);
    }

    first_ms = 0;
    std::printf(
        "|           | memory fill chosen at run time: %s for 30000 elements, %s for 8000 |\n",
        Chosen_Fill(30000).name, Chosen_Fill(8000).name);
    for (std::int32_t loops : {1000, 2000, 4000}) {
        loops /= scale;
        const std::int32_t size = 30000;
        const Pair p =
            time_pair([&] { Memory_Speed_Loop(loops, size); },
                      [&] { native_memory_reference(loops, size); }, rounds, Clock::Thread_Cpu);
        const double bytes = 2.0 * size * loops; // the bytes the rate counts
        if (first_ms == 0) {
            first_ms = p.kernel_ms;
            first_units = bytes;
        }
        row("Memory", std::to_string(loops) + " x 30000 el.", p, bytes, "/byte", first_ms,
            first_units);
    }
    // Arrays that fit the level-1 data cache, where the width of the stores shows most; and the
    // same loop built for the baseline only (16-byte stores), against the same reference.
    struct Memory_Case {
        const char* test;
        std::int32_t loops;
        std::int32_t size;
        void (*loop)(std::int32_t, std::int32_t);
    };
    for (const Memory_Case& c :
         {Memory_Case{"Memory", 15000, 8000,
                      [](std::int32_t l, std::int32_t s) { Memory_Speed_Loop(l, s); }},
          Memory_Case{"Mem. base", 4000, 30000, baseline_memory},
          Memory_Case{"Mem. base", 15000, 8000, baseline_memory}}) {
        const std::int32_t loops = c.loops / scale;
        const Pair p =
            time_pair([&] { c.loop(loops, c.size); },
                      [&] { native_memory_reference(loops, c.size); }, rounds, Clock::Thread_Cpu);
        const double bytes = 2.0 * c.size * loops;
        row(c.test, std::to_string(loops) + " x " + std::to_string(c.size) + " el.", p, bytes,
            "/byte", p.kernel_ms, bytes);
    }
    // Each store width the processor has, in the same loop, against the same reference: what
    // the choice at run time chose between.
    for (const Fill_Variant& v : Fill_Variants()) {
        std::printf("|           | fill: %-78s|\n", v.name);
        for (const auto& [loops_at_full, size] : {std::pair{4000, 30000}, std::pair{15000, 8000}}) {
            const std::int32_t loops = loops_at_full / scale;
            const Pair p =
                time_pair([&] { memory_with(v.fill, loops, size); },
                          [&] { native_memory_reference(loops, size); }, rounds, Clock::Thread_Cpu);
            const double bytes = 2.0 * size * loops;
            row("Mem. fill", std::to_string(loops) + " x " + std::to_string(size) + " el.", p,
                bytes, "/byte", p.kernel_ms, bytes);
        }
    }

    first_ms = 0;
    for (int count : {250, 500, 1000}) {
        count /= scale;
        const Pair p =
            time_pair([&] { Disk_File_Speed_Test(count, 4096, 'b'); },
                      [&] { reference_disk(root_path, count, 4096); }, rounds, Clock::Wall);
        if (first_ms == 0) {
            first_ms = p.kernel_ms;
            first_units = count;
        }
        row("Small", std::to_string(count) + " x 4 KB", p, count * 1e6 / 1e6, "/file", first_ms,
            first_units);
        spread(p);
    }

    first_ms = 0;
    for (int count : {4, 8, 16}) {
        count = std::max(1, count / scale);
        const int size = 10485760;
        const Pair p =
            time_pair([&] { Disk_File_Speed_Test(count, size, 'b'); },
                      [&] { reference_disk(root_path, count, size); }, rounds, Clock::Wall);
        if (first_ms == 0) {
            first_ms = p.kernel_ms;
            first_units = count;
        }
        row("Large", std::to_string(count) + " x 10 MB", p, count, "/file", first_ms, first_units);
        spread(p);
    }
}

// The graphics tests: one modal display of the test's window against one of the reference, in
// wall time (the display server's work is part of it).
void graphics_rows(int rounds) {
    {
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        std::printf("|           | graphics on %s, screen %d x %d%-28s|\n",
                    qPrintable(QGuiApplication::platformName()), screen.width(), screen.height(),
                    "");
        TWindows_Graphics_Controls_Form controls;
        controls.setWindowTitle(QStringLiteral("Graphics: Standard Windows Forms / Controls"));
        int reference_count = 0;
        const Pair c =
            time_pair([&] { controls.exec(); },
                      [&] { reference_count = smx::bench::Reference_Controls_Display(); }, rounds,
                      Clock::Wall);
        const int count = controls.Num_Controls_Manipulated_SpinEdit->Value();
        if (count != reference_count)
            std::printf("| counts differ: test %d, reference %d\n", count, reference_count);
        row("Controls", std::to_string(count) + " operations", c, count, "/op", c.kernel_ms, count);
        spread(c);

        TGraphics_2D_Form drawing;
        drawing.setWindowTitle(QStringLiteral("Graphics: 2D Bitmaps and Drawings"));
        long long reference_pixels = 0;
        const Pair d = time_pair([&] { drawing.exec(); },
                                 [&] { reference_pixels = smx::bench::Reference_2D_Display(); },
                                 rounds, Clock::Wall);
        const auto pixels = static_cast<long long>(Test_Pixel_Count_Of(drawing));
        if (pixels != reference_pixels)
            std::printf("| counts differ: test %lld, reference %lld\n", pixels, reference_pixels);
        row("2D", std::to_string(pixels) + " pixels", d, static_cast<double>(pixels), "/pixel",
            d.kernel_ms, static_cast<double>(pixels));
        spread(d);
    }
}

} // namespace
