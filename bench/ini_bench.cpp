// The INI engine on a large results file: listing, reading and writing, median of many runs.
// Usage: bench_ini [sections] [runs]   (defaults: 10000 sections of 8 keys, 15 runs)
#include "platform/Ini_File.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double median_ms(int runs, const std::function<void()>& once) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        once();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    using namespace smx::platform;
    const int sections = argc > 1 ? std::max(1, atoi(argv[1])) : 10000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 15;
    const char* keys[] = {"Integer_Operations_Per_Sec",      "Floating_Point_Operations_Per_Sec",
                          "Memory_Speed_MB_Per_Sec",         "Small_Files_KB_Per_Sec",
                          "Large_Files_KB_Per_Sec",          "Windows_Controls_Operations_Per_Sec",
                          "Windows_Graphics_Pixels_Per_Sec", "Elapsed_Time_MSec"};
    QByteArray text;
    for (int s = 0; s < sections; ++s) {
        text += "[Saved set number " + QByteArray::number(s) + "]\n";
        for (const char* k : keys)
            text += QByteArray(k) + "=1.23456789012345678E+9\n";
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Speedmetrix_DB.INI"));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
        return 1;
    f.close();

    const QString last = QStringLiteral("Saved set number %1").arg(sections - 1);
    Ini_Key_Values eight;
    for (const char* k : keys)
        eight.emplace_back(QString::fromLatin1(k), QStringLiteral("9.87654321098765432E+3"));
    int flip = 0;

    std::printf("INI engine, %d sections (%lld bytes, %d lines), median of %d runs\n\n", sections,
                static_cast<long long>(text.size()), sections * 9, runs);
    std::printf("| operation | ms |\n|---|---|\n");
    std::printf("| list section names | %.2f |\n",
                median_ms(runs, [&] { (void)Ini_Read_Section_Names(path); }));
    std::printf("| read 8 keys of the last section one by one | %.2f |\n", median_ms(runs, [&] {
                    for (const char* k : keys)
                        (void)Ini_Read_String(path, last, QString::fromLatin1(k), {});
                }));
    std::printf("| write one key of the last section | %.2f |\n", median_ms(runs, [&] {
                    Ini_Write_String(path, last, QString::fromLatin1(keys[0]),
                                     QString::number(++flip));
                }));
    std::printf("| write 8 keys of the last section one by one | %.2f |\n", median_ms(runs, [&] {
                    for (const char* k : keys)
                        Ini_Write_String(path, last, QString::fromLatin1(k),
                                         QString::number(++flip));
                }));
    std::printf("| erase a section, write it anew (8 keys at once) | %.2f |\n",
                median_ms(runs, [&] {
                    Ini_Erase_Section(path, QStringLiteral("Saved set number 0"));
                    Ini_Write_Strings(path, QStringLiteral("Saved set number 0"), eight);
                }));
    return 0;
}
