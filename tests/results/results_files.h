#pragma once
#include "engine/Benchmark_Results.h"

#include <QFile>
#include <QString>
#include <QStringList>
#include <ostream>

static inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace smx::test {

inline QString read_file(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll());
}

inline void write_file(const QString& path, const QString& text) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(text.toUtf8());
}

// The file's lines, without the empty piece after the last line break.
inline QStringList lines_of(const QString& path) {
    QStringList lines = read_file(path).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

// The section headers of the file, in file order.
inline QStringList headers_of(const QString& path) {
    QStringList headers;
    for (const QString& line : lines_of(path))
        if (line.startsWith(QLatin1Char('[')))
            headers << line;
    return headers;
}

// A set whose eight values all differ and tell it apart by `seed`.
inline engine::TBenchmark_Results sample_set(const char* name, long double seed) {
    engine::TBenchmark_Results r;
    r.Name = QString::fromUtf8(name);
    for (int i = 0; i < engine::TBenchmark_Results::Rate_Count; ++i)
        r.rate(i) = seed * (i + 1) + 0.25L;
    r.Elapsed_Time_MSec = seed * 1000;
    return r;
}

} // namespace smx::test
