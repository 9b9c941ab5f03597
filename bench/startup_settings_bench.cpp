// Time from process start to the main window's first paint when the program finds a settings
// file and a results database of many sets beside it, and shows two of them.
// Usage: bench_startup_settings [runs] [sets] [other sections]
//   (uses QT_QPA_PLATFORM as set; offscreen when unset). With other sections, the settings file
//   holds that many sections of one key before its own section, as a settings file that other
//   programs or hand edits filled: 100,000 of them make a file of about 2.9 MB.
#include "Bench_Support.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

const char* const kKeys[] = {
    "Integer_Operations_Per_Sec",      "Floating_Point_Operations_Per_Sec",
    "Memory_Speed_MB_Per_Sec",         "Small_Files_KB_Per_Sec",
    "Large_Files_KB_Per_Sec",          "Windows_Controls_Operations_Per_Sec",
    "Windows_Graphics_Pixels_Per_Sec", "Elapsed_Time_MSec"};

bool write_file(const QString& path, const QByteArray& text) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size();
}

QByteArray database(int sets) {
    QByteArray text;
    for (int s = 0; s < sets; ++s) {
        text += "[Saved PC " + QByteArray::number(s) + "]\n";
        for (int k = 0; k < 8; ++k)
            text += QByteArray(kKeys[k]) + '=' +
                    QByteArray::number(1000.0 * (s + 1) * (k + 1), 'E', 17) + '\n';
    }
    return text;
}

QByteArray settings(int sets, int other_sections) {
    QByteArray filler;
    for (int s = 0; s < other_sections; ++s)
        filler += "[Old section " + QByteArray::number(s).rightJustified(6, '0') + "]\nkey=1\n";
    return filler +
           "[Speedmetrix]\nWindowState_wsMaximized=0\nwindow_top_posn=40\nwindow_left_posn=60\n"
           "window_Width=800\nwindow_Height=600\nDriveComboBox1=c\n"
           "Selected_INI_Section=Saved PC " +
           QByteArray::number(sets - 1) + "\nCompare_Selected_INI_Section=Saved PC " +
           QByteArray::number(sets / 2) +
           "\nShow_Values_CheckBox=1\nPageControl1=1\nBenchmark_Results_Saved_CheckBox=1\n";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 15;
    const int sets = argc > 2 ? std::max(1, atoi(argv[2])) : 10000;
    const int other_sections = argc > 3 ? std::max(0, atoi(argv[3])) : 0;
    QTemporaryDir dir;
    const QString exe = smx::bench::copy_program_into(QStringLiteral(SMX_EXECUTABLE), dir.path());
    const QString settings_path = dir.filePath(QStringLiteral("Speedmetrix.ini"));
    const QByteArray settings_text = settings(sets, other_sections);
    if (!write_file(dir.filePath(QStringLiteral("Speedmetrix_DB.INI")), database(sets))) {
        std::fprintf(stderr, "cannot write the results database\n");
        return 1;
    }

    const QProcessEnvironment env = smx::bench::first_paint_environment(dir.path());
    // Each start finds the same file: the close at the end rewrites it.
    const std::vector<double> times = smx::bench::time_first_paints(
        exe, env, dir.path(), runs, [&] { return write_file(settings_path, settings_text); });
    if (times.empty())
        return 1;
    const QString what =
        other_sections > 0
            ? QStringLiteral("settings file of %1 sections (%2 bytes), %3 saved sets")
                  .arg(other_sections + 1)
                  .arg(settings_text.size())
                  .arg(sets)
            : QStringLiteral("settings file, %1 saved sets").arg(sets);
    std::printf("| start to first paint | min ms | median ms | max ms |\n|---|---|---|---|\n");
    std::printf("| %s | %.1f | %.1f | %.1f |\n(%d runs, platform %s)\n", qPrintable(what),
                times.front(), times[times.size() / 2], times.back(), runs,
                qPrintable(env.value(QStringLiteral("QT_QPA_PLATFORM"))));
    return 0;
}
