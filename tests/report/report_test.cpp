#include "csv_reader.h"
#include "graph/Chart.h"
#include "graph/Series_Colours.h"
#include "qt_printers.h"
#include "report/Report_Html.h"
#include "report/Report_Input.h"
#include "report/Report_Options.h"
#include "report/Report_Table.h"
#include "results/Result_Number.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

namespace smx::report {
namespace {

const char* const Value_Names[Test_Count] = {
    "Integer_Operations_Per_Sec",     "Floating_Point_Operations_Per_Sec",
    "Memory_Speed_MB_Per_Sec",        "Small_Files_KB_Per_Sec",
    "Large_Files_KB_Per_Sec",         "Windows_Controls_Operations_Per_Sec",
    "Windows_Graphics_Pixels_Per_Sec"};

// A batch run's JSON as the program writes it, with the given rates (negative: not run).
QJsonObject batch_json(const std::array<double, Test_Count>& rates, const QString& saved_as = {},
                       const QString& host = QStringLiteral("node7")) {
    QJsonArray tests;
    for (int i = 0; i < Test_Count; ++i) {
        QJsonObject t;
        t.insert(QStringLiteral("value_name"), QLatin1String(Value_Names[i]));
        const bool ran = rates[i] >= 0;
        t.insert(QStringLiteral("ran"), ran);
        t.insert(QStringLiteral("rate"), ran ? rates[i] : 0.0);
        t.insert(QStringLiteral("min_ms"), ran ? QJsonValue(10 + i) : QJsonValue());
        t.insert(QStringLiteral("median_ms"), ran ? QJsonValue(11.5 + i) : QJsonValue());
        t.insert(QStringLiteral("max_ms"), ran ? QJsonValue(13 + i) : QJsonValue());
        tests.append(t);
    }
    QJsonObject cpu{{QStringLiteral("model"), QStringLiteral("Test CPU")},
                    {QStringLiteral("cores"), 4},
                    {QStringLiteral("logical_processors"), 8}};
    QJsonObject context{
        {QStringLiteral("program"), QStringLiteral("Windows PC Speedmetrix v1.3f")},
        {QStringLiteral("date_time"), QStringLiteral("2026-12-08T09:30:05+01:00")},
        {QStringLiteral("host"), host},
        {QStringLiteral("cpu"), cpu},
        {QStringLiteral("threads"), 2},
        {QStringLiteral("processors"), QJsonArray{0, 3}},
        {QStringLiteral("kernel"), QStringLiteral("Linux 6.1.0 x86_64")},
        {QStringLiteral("memory_bytes"), 8589934592.0},
        {QStringLiteral("drive"),
         QJsonObject{{QStringLiteral("root"), QStringLiteral("/home/u")},
                     {QStringLiteral("filesystem"), QStringLiteral("ext4")}}},
        {QStringLiteral("parameters"),
         QJsonObject{{QStringLiteral("repetitions"), 3},
                     {QStringLiteral("tests"), QJsonArray{QStringLiteral("integer")}}}}};
    QJsonObject root{{QStringLiteral("format"), QStringLiteral("speedmetrix-batch")},
                     {QStringLiteral("format_version"), 2},
                     {QStringLiteral("tests"), tests},
                     {QStringLiteral("context"), context}};
    root.insert(QStringLiteral("saved_as"),
                saved_as.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(saved_as));
    return root;
}

QByteArray bytes(const QJsonObject& o) {
    return QJsonDocument(o).toJson();
}

Report_Run read(const QJsonObject& o, const QString& file = QStringLiteral("a.json")) {
    const Read_Result r = Read_Run(bytes(o), file);
    EXPECT_TRUE(r.run) << r.error.toStdString();
    return r.run ? *r.run : Report_Run{};
}

const std::array<double, Test_Count> Some_Rates = {3.6e9, 7.68e8, 457.5, 5000, -1, 2000, 5011500};

TEST(Report_Input, ReadsTheRunsRatesContextAndSpread) {
    const Report_Run run = read(batch_json(Some_Rates));
    EXPECT_EQ(run.rates[0], 3.6e9L);
    EXPECT_EQ(run.rates[6], 5011500.0L);
    EXPECT_FALSE(run.rates[4]); // not run
    EXPECT_FALSE(run.spread[4]);
    ASSERT_TRUE(run.spread[2]);
    EXPECT_EQ(run.spread[2]->min_ms, 12);
    EXPECT_EQ(run.spread[2]->median_ms, 13.5);
    EXPECT_EQ(run.spread[2]->max_ms, 15);
    EXPECT_EQ(run.cpu_model, QStringLiteral("Test CPU"));
    EXPECT_EQ(run.cpu_cores, 4);
    EXPECT_EQ(run.cpu_logical, 8);
    EXPECT_EQ(run.threads, 2);
    EXPECT_EQ(run.processors, (std::vector<int>{0, 3}));
    EXPECT_EQ(run.memory_bytes, 8589934592LL);
    EXPECT_EQ(run.drive_filesystem, QStringLiteral("ext4"));
    // The batch run's order, not the alphabet's.
    ASSERT_EQ(run.parameters.size(), 2u);
    EXPECT_EQ(run.parameters[0].first, QStringLiteral("tests"));
    EXPECT_EQ(run.parameters[1],
              std::make_pair(QStringLiteral("repetitions"), QStringLiteral("3")));
}

TEST(Report_Input, LabelIsTheSavedNameOrElseHostAndDate) {
    EXPECT_EQ(read(batch_json(Some_Rates, QStringLiteral("Server 7"))).label(),
              QStringLiteral("Server 7"));
    EXPECT_EQ(read(batch_json(Some_Rates)).label(), QStringLiteral("node7 2026-12-08 09:30:05"));
    QJsonObject bare = batch_json(Some_Rates, {}, {});
    QJsonObject context = bare[QStringLiteral("context")].toObject();
    context.remove(QStringLiteral("date_time"));
    bare[QStringLiteral("context")] = context;
    EXPECT_EQ(read(bare, QStringLiteral("/runs/x.json")).label(), QStringLiteral("x.json"));
}

// The first batch runs wrote no layout mark; their context names the program.
TEST(Report_Input, ReadsTheFirstLayoutWithoutItsMark) {
    QJsonObject old = batch_json(Some_Rates);
    old.remove(QStringLiteral("format"));
    old.remove(QStringLiteral("format_version"));
    QJsonObject context = old[QStringLiteral("context")].toObject();
    context.remove(QStringLiteral("host"));
    context.remove(QStringLiteral("threads"));
    old[QStringLiteral("context")] = context;
    const Report_Run run = read(old);
    EXPECT_EQ(run.threads, 1);
    EXPECT_EQ(run.rates[1], 7.68e8L);
}

TEST(Report_Input, RefusesWhatItCannotRead) {
    QJsonObject foreign_program = batch_json(Some_Rates);
    foreign_program.remove(QStringLiteral("format"));
    QJsonObject c = foreign_program[QStringLiteral("context")].toObject();
    c[QStringLiteral("program")] = QStringLiteral("Other Bench");
    foreign_program[QStringLiteral("context")] = c;
    QJsonObject other_format = batch_json(Some_Rates);
    other_format[QStringLiteral("format")] = QStringLiteral("geekbench");
    QJsonObject newer = batch_json(Some_Rates);
    newer[QStringLiteral("format_version")] = 3;
    QJsonObject text_version = batch_json(Some_Rates);
    text_version[QStringLiteral("format_version")] = QStringLiteral("2");
    QJsonObject no_tests = batch_json(Some_Rates);
    no_tests.remove(QStringLiteral("tests"));
    QJsonObject unknown_tests = batch_json(Some_Rates);
    unknown_tests[QStringLiteral("tests")] = QJsonArray{QJsonObject{{"value_name", "Speed"}}};

    const std::pair<QByteArray, const char*> cases[] = {
        {"", "not JSON"},
        {"{\"format\": \"speedmetrix-batch\",", "not JSON"},
        {"Integer (MIops/sec)\t1.0E+3\r\n", "not JSON"},
        {"[1, 2]", "not the JSON of speedmetrix --batch --json"},
        {"{}", "not the JSON of speedmetrix --batch --json"},
        {bytes(foreign_program), "not the JSON of speedmetrix --batch --json"},
        {bytes(other_format), "not the JSON of speedmetrix --batch --json"},
        {bytes(text_version), "not the JSON of speedmetrix --batch --json"},
        {bytes(newer), "layout version 3, which this program cannot read (it reads versions 1 "
                       "to 2)"},
        {bytes(no_tests), "no list of tests"},
        {bytes(unknown_tests), "no test results"},
    };
    for (const auto& [text, expected] : cases) {
        const Read_Result r = Read_Run(text, QStringLiteral("x.json"));
        EXPECT_FALSE(r.run) << text.left(60).toStdString();
        EXPECT_TRUE(r.error.contains(QLatin1String(expected)))
            << r.error.toStdString() << " for " << text.left(60).toStdString();
    }
}

// Sets one field, by its path of object keys and list indexes, to a value.
QJsonValue with_field(const QJsonValue& node, QStringList path, const QJsonValue& value) {
    if (path.isEmpty())
        return value;
    const QString step = path.takeFirst();
    bool is_index = false;
    const int index = step.toInt(&is_index);
    if (is_index) {
        QJsonArray a = node.toArray();
        a[index] = with_field(a[index], path, value);
        return a;
    }
    QJsonObject o = node.toObject();
    o[step] = with_field(o[step], path, value);
    return o;
}

// The JSON of Some_Rates with fields set, each named by its path ("tests/2/rate").
QJsonObject edited(const std::vector<std::pair<const char*, QJsonValue>>& edits) {
    QJsonValue json = batch_json(Some_Rates);
    for (const auto& [path, value] : edits)
        json = with_field(json, QString::fromLatin1(path).split(QLatin1Char('/')), value);
    return json.toObject();
}

// A field of the wrong kind, or a value no run can give, refuses the whole file and names the
// field; values at the edges of their ranges are read.
TEST(Report_Input, ChecksEveryFieldsKindAndRange) {
    const std::pair<std::pair<const char*, QJsonValue>, const char*> cases[] = {
        {{"tests/2/rate", QStringLiteral("fast")}, "tests[2].rate"},
        {{"tests/2/rate", QJsonValue::Null}, "tests[2].rate"},
        {{"tests/2/rate", -5}, "tests[2].rate"},
        {{"tests/2/rate", 1e308}, "tests[2].rate"},
        {{"tests/2/rate", Max_Rate}, nullptr},
        {{"tests/4/rate", QJsonValue::Null}, nullptr},                           // not run
        {{"tests/2/rate_text", QStringLiteral("4.9E+2")}, "tests[2].rate_text"}, // not the rate
        {{"tests/2/rate_text", QStringLiteral("4.575E+2")}, nullptr},
        {{"tests/2/ran", QStringLiteral("yes")}, "tests[2].ran"},
        {{"tests/2/min_ms", -1e308}, "tests[2].min_ms"},
        {{"tests/2/max_ms", 4294967296.0}, "tests[2].max_ms"},
        {{"tests/2/median_ms", 9}, "tests[2].median_ms"}, // below the minimum
        {{"tests/2/thread_times_ms", QJsonArray{QJsonArray{1, QStringLiteral("2")}}},
         "tests[2].thread_times_ms[0][1]"},
        {{"tests/3", 7}, "tests[3]"},
        {{"context/memory_bytes", 1e30}, "context.memory_bytes"},
        {{"context/memory_bytes", 9223372036854775808.0}, "context.memory_bytes"},
        {{"context/memory_bytes", 9223372036854774784.0}, nullptr},
        {{"context/threads", 0}, "context.threads"},
        {{"context/cpu/cores", 3e9}, "context.cpu.cores"},
        {{"context/host", 42}, "context.host"},
        {{"context/parameters/sync", QStringLiteral("on")}, "context.parameters.sync"},
        {{"context/parameters/repetitions", 1e308}, "context.parameters.repetitions"},
    };
    for (const auto& [edit, field] : cases) {
        SCOPED_TRACE(edit.first);
        const Read_Result r = Read_Run(bytes(edited({edit})), QStringLiteral("x"));
        if (!field) {
            EXPECT_TRUE(r.run) << r.error.toStdString();
            continue;
        }
        EXPECT_FALSE(r.run);
        EXPECT_TRUE(r.error.startsWith(QStringLiteral("field %1: ").arg(QLatin1String(field))))
            << r.error.toStdString();
    }
    EXPECT_EQ(Read_Run(bytes(edited({{"tests/2/rate", QStringLiteral("fast")}})), {}).error,
              QStringLiteral("field tests[2].rate: \"fast\" is not a rate (a number from 0 to "
                             "1E+21)"));
}

// The stored text beside a rate is what the table prints: a double holds fewer digits than the
// results database writes.
TEST(Report_Input, RateTextGivesTheDatabasesDigits) {
    const QString stored = QStringLiteral("4.87804878048780488E+3");
    const Table table = Build_Table(
        {read(edited({{"tests/2/rate", 4878.048780487805},
                      {"tests/2/rate_text", stored},
                      {"tests/0/rate_text", QStringLiteral("3.60000000000000000E+9")}})),
         read(edited({{"tests/2/rate", 4878.048780487805}}))});
    EXPECT_EQ(table.values[2][0], stored);
    EXPECT_EQ(table.values[0][0], QStringLiteral("3.60000000000000000E+3")); // in MIops
    // Without the text (older files) the number is printed, with the digits a double has.
    EXPECT_EQ(table.values[2][1], results::Format_Result_Number(4878.048780487805));
    EXPECT_NE(table.values[2][1], stored);
}

std::vector<Report_Run> three_runs() {
    std::array<double, Test_Count> slower = Some_Rates;
    slower[0] = 1.8e9;
    slower[2] = 0; // ran, but came out at 0 ms
    std::array<double, Test_Count> faster = Some_Rates;
    faster[0] = 7.2e9;
    faster[4] = 1024;
    return {read(batch_json(Some_Rates, QStringLiteral("A, \"quoted\""))),
            read(batch_json(slower, QStringLiteral("Line\nbreak\tand tab"))),
            read(batch_json(faster, {}, QStringLiteral("node9")))};
}

TEST(Report_Table, TabSeparatedWithTheClipboardHeadings) {
    const QString text = Table_Text(Build_Table(three_runs()));
    const QStringList lines = text.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 9); // heading, seven rows, and the empty rest after the last "\n"
    EXPECT_EQ(lines[0], QStringLiteral("\tA, \"quoted\"\tLine break and tab\tnode9 2026-12-08 "
                                       "09:30:05"));
    EXPECT_EQ(lines[1], QStringLiteral("Integer (MIops/sec)\t3.60000000000000000E+3\t"
                                       "1.80000000000000000E+3\t7.20000000000000000E+3"));
    EXPECT_EQ(lines[3], QStringLiteral("Memory (MB/Sec)\t4.57500000000000000E+2\t"
                                       "0.00000000000000000E+0\t4.57500000000000000E+2"));
    EXPECT_EQ(lines[5], QStringLiteral("Lg Files (KB/Sec)\t\t\t1.02400000000000000E+3"));
    EXPECT_EQ(lines[7], QStringLiteral("Graphics (KPix/Sec)\t5.01150000000000000E+3\t"
                                       "5.01150000000000000E+3\t5.01150000000000000E+3"));
    EXPECT_TRUE(lines[8].isEmpty());
}

TEST(Report_Table, CsvReadsBackAsTheTable) {
    const Table table = Build_Table(three_runs());
    const std::vector<QStringList> records = test::read_csv(Csv_Text(table));
    ASSERT_EQ(records.size(), 8u);
    EXPECT_EQ(records[0], (QStringList{QStringLiteral("Test"), QStringLiteral("A, \"quoted\""),
                                       QStringLiteral("Line\nbreak\tand tab"),
                                       QStringLiteral("node9 2026-12-08 09:30:05")}));
    for (int row = 0; row < Test_Count; ++row) {
        ASSERT_EQ(records[row + 1].size(), 4) << row;
        EXPECT_EQ(records[row + 1][0], table.row_headings[row]);
        EXPECT_EQ(records[row + 1].mid(1), table.values[static_cast<std::size_t>(row)]) << row;
    }
    EXPECT_EQ(Csv_Field(QStringLiteral("plain")), QStringLiteral("plain"));
    EXPECT_EQ(Csv_Field(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
    EXPECT_EQ(Csv_Field(QStringLiteral("cr\r")), QStringLiteral("\"cr\r\""));
}

TEST(Report_Table, RatioToTheFirstRunOnlyWhereBothRatesAreKnown) {
    const std::vector<Report_Run> runs = three_runs();
    EXPECT_EQ(Ratio_To_First(runs, 0, 0), 1.0L);
    EXPECT_EQ(Ratio_To_First(runs, 1, 0), 0.5L);
    EXPECT_EQ(Ratio_To_First(runs, 2, 0), 2.0L);
    EXPECT_FALSE(Ratio_To_First(runs, 1, 2)); // a rate of 0
    EXPECT_FALSE(Ratio_To_First(runs, 2, 4)); // the first run did not run it
    EXPECT_FALSE(Ratio_To_First(runs, 3, 0));
}

struct Svg_Bar {
    int run = 0;
    int test = 0;
    double value = 0;
    int width = 0;
    double y = 0;
    QString fill;
};

std::vector<Svg_Bar> bars_of(const QString& svg) {
    static const QRegularExpression bar(QStringLiteral(
        "<rect class=\"bar\" data-run=\"(\\d+)\" data-test=\"(\\d+)\" data-value=\"([^\"]+)\" "
        "x=\"[^\"]+\" y=\"([^\"]+)\" width=\"(\\d+)\" height=\"[^\"]+\" fill=\"([^\"]+)\""));
    std::vector<Svg_Bar> bars;
    for (auto it = bar.globalMatch(svg); it.hasNext();) {
        const auto m = it.next();
        bars.push_back({m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toDouble(),
                        m.captured(5).toInt(), m.captured(4).toDouble(), m.captured(6)});
    }
    return bars;
}

double svg_attribute(const QString& svg, const QString& name) {
    const QRegularExpression re(name + QStringLiteral("=\"([^\"]+)\""));
    return re.match(svg).captured(1).toDouble();
}

// Each bar's length is the logarithm of its value over that of the greatest value drawn, both in
// the graph's units, along the axis; values of 1 or less get no length.
TEST(Report_Graph, BarLengthsFollowTheWindowsLogScale) {
    std::vector<Report_Run> runs = three_runs();
    runs[1].rates[3] = 0.5; // below the scale's start
    const QString svg = Graph_Svg(runs, QLocale::c());
    const std::vector<Svg_Bar> bars = bars_of(svg);
    // Seven tests for each run, less the ones not run.
    EXPECT_EQ(bars.size(), 6u + 6u + 7u);
    const double span = svg_attribute(svg, QStringLiteral("data-span"));
    const double axis_max = svg_attribute(svg, QStringLiteral("data-axis-max"));
    ASSERT_GT(span, 300);
    // The greatest value, in the graph's units: 7,200 MIops/Sec.
    EXPECT_DOUBLE_EQ(axis_max, 7200);
    const double divisors[Test_Count] = {1e6, 1e6, 1, 1, 1, 1, 1e3};
    for (const Svg_Bar& b : bars) {
        const double rate = static_cast<double>(*runs[b.run].rates[b.test]);
        EXPECT_DOUBLE_EQ(b.value, rate / divisors[b.test]);
        const double expected = b.value > 1 ? std::log(b.value) / std::log(axis_max) * span : 0;
        EXPECT_NEAR(b.width, expected, 0.5) << "run " << b.run << " test " << b.test;
    }
}

TEST(Report_Graph, ColoursInRunOrderRowsInTestOrderAndMarks) {
    std::vector<Report_Run> runs = three_runs();
    runs[0].rates[5] = 1234.56;
    const QString svg = Graph_Svg(runs, QLocale::c());
    const std::vector<Svg_Bar> bars = bars_of(svg);
    // The window's red and lime for the first two runs, then a third colour.
    const graph::TChart chart;
    std::map<int, QString> fills;
    std::map<int, std::map<int, double>> tops;
    for (const Svg_Bar& b : bars) {
        fills[b.run] = b.fill;
        tops[b.test][b.run] = b.y;
    }
    EXPECT_EQ(fills[0], chart.Series1->color().name());
    EXPECT_EQ(fills[1], chart.Series2->color().name());
    EXPECT_EQ(fills[0], QStringLiteral("#ff0000"));
    EXPECT_EQ(fills[1], QStringLiteral("#00ff00"));
    EXPECT_NE(fills[2], fills[0]);
    EXPECT_NE(fills[2], fills[1]);
    // Integer at the top, Graphics at the bottom; within a row the runs in order downwards.
    for (int test = 0; test + 1 < Test_Count; ++test)
        EXPECT_LT(tops[test][2], tops[test + 1][2]) << test; // the third run ran every test
    EXPECT_LT(tops[0][0], tops[0][1]);
    EXPECT_LT(tops[0][1], tops[0][2]);
    // Value marks in the window's format.
    EXPECT_TRUE(svg.contains(QStringLiteral(">1,234.6</text>")));
    EXPECT_TRUE(svg.contains(QStringLiteral(">5,011.5</text>")));
    EXPECT_TRUE(svg.contains(QStringLiteral(">Integer (MIops/Sec)</text>")));
}

// Up to twenty runs each bar carries its mark; beyond, the bars are too thin for one and the
// drawing grows taller instead, every bar still in place.
TEST(Report_Graph, ManyRuns) {
    for (const int count : {20, 21, 1000}) {
        SCOPED_TRACE(count);
        std::vector<Report_Run> runs;
        for (int i = 0; i < count; ++i) {
            Report_Run run = read(batch_json(Some_Rates));
            run.rates[0] = 1e9L * (i + 1);
            runs.push_back(run);
        }
        const QString svg = Graph_Svg(runs, QLocale::c());
        const std::vector<Svg_Bar> bars = bars_of(svg);
        EXPECT_EQ(bars.size(), static_cast<std::size_t>(6 * count));
        EXPECT_EQ(svg.count(QStringLiteral("<rect class=\"mark\"")), count <= 20 ? 6 * count : 0);
        // Bars of neighbouring runs do not overlap.
        std::map<int, double> integer_tops;
        for (const Svg_Bar& b : bars)
            if (b.test == 0)
                integer_tops[b.run] = b.y;
        const double height = svg_attribute(svg, QStringLiteral("<rect class=\"bar\"[^>]* height"));
        EXPECT_GE(height, 2);
        for (int i = 0; i + 1 < count; ++i)
            ASSERT_GE(integer_tops[i + 1] - integer_tops[i], height - 0.05) << i;
    }
}

TEST(Series_Colours, DistinctForManyRunsAndReadableAsText) {
    std::set<QString> seen;
    for (int i = 0; i < 40; ++i)
        seen.insert(graph::Series_Colour(i).name());
    EXPECT_EQ(seen.size(), 40u);
    EXPECT_EQ(graph::Series_Text_Colour(0), QColor(255, 0, 0));
    EXPECT_EQ(graph::Series_Text_Colour(1).name(), QStringLiteral("#008000"));
}

TEST(Report_Page, SelfContainedEscapedAndComplete) {
    std::vector<Report_Run> runs = three_runs();
    runs[2].saved_name = QStringLiteral("<script>alert(1)</script> & co");
    const QString html = Report_Html(runs, QLocale::c());
    EXPECT_FALSE(html.contains(QLatin1String("<script"), Qt::CaseInsensitive));
    EXPECT_TRUE(html.contains(QStringLiteral("&lt;script&gt;alert(1)&lt;/script&gt; &amp; co")));
    for (const char* outside : {"src=", "href=", "url(", "@import", "<link", "<img", "<iframe"})
        EXPECT_FALSE(html.contains(QLatin1String(outside), Qt::CaseInsensitive)) << outside;
    // The table with ratios to the first run, the context and the spread.
    EXPECT_TRUE(html.contains(QStringLiteral("1,800 <span class=\"ratio\">(&times;0.50)</span>")));
    EXPECT_TRUE(html.contains(QStringLiteral("7,200 <span class=\"ratio\">(&times;2.00)</span>")));
    EXPECT_TRUE(html.contains(QStringLiteral("not run")));
    EXPECT_TRUE(html.contains(QStringLiteral("Test CPU")));
    EXPECT_TRUE(html.contains(QStringLiteral("4 cores, 8 logical processors")));
    EXPECT_TRUE(html.contains(QStringLiteral("2 (processors 0, 3)")));
    EXPECT_TRUE(html.contains(QStringLiteral("8.0 GiB")));
    EXPECT_TRUE(html.contains(QStringLiteral("ext4 (/home/u)")));
    EXPECT_TRUE(html.contains(QStringLiteral("repetitions: 3")));
    EXPECT_TRUE(html.contains(QStringLiteral("12 / 13.5 / 15"))); // memory: min, median, max
    EXPECT_EQ(html.count(QStringLiteral("<svg")), 1);
    EXPECT_FALSE(html.contains(QStringLiteral("(--sync)")));
    EXPECT_TRUE(read(edited({{"context/parameters/sync", true}})).synced);
    runs[1].synced = true;
    EXPECT_EQ(Report_Html(runs, QLocale::c()).count(QStringLiteral("(--sync)")), 1);
}

TEST(Report_Options, ParsesFilesAndOutputs) {
    const auto ok = Parse_Report_Arguments({QStringLiteral("--report"), QStringLiteral("a.json"),
                                            QStringLiteral("--html"), QStringLiteral("r.html"),
                                            QStringLiteral("b.json"), QStringLiteral("--csv=r.csv"),
                                            QStringLiteral("--"), QStringLiteral("--odd.json")});
    ASSERT_TRUE(ok.options) << ok.error.toStdString();
    EXPECT_EQ(ok.options->inputs, (QStringList{QStringLiteral("a.json"), QStringLiteral("b.json"),
                                               QStringLiteral("--odd.json")}));
    EXPECT_EQ(ok.options->html, QStringLiteral("r.html"));
    EXPECT_EQ(ok.options->csv, QStringLiteral("r.csv"));
    EXPECT_TRUE(Wants_Report({QStringLiteral("x.json"), QStringLiteral("--report")}));
    EXPECT_FALSE(Wants_Report({QStringLiteral("--"), QStringLiteral("--report")}));

    const std::pair<QStringList, const char*> bad[] = {
        {{QStringLiteral("--report")}, "needs at least one JSON file"},
        {{QStringLiteral("--report"), QStringLiteral("a.json"), QStringLiteral("--html")},
         "--html needs a file name"},
        {{QStringLiteral("--report"), QStringLiteral("a.json"), QStringLiteral("--csv=")},
         "--csv needs a file name"},
        {{QStringLiteral("--report"), QStringLiteral("a.json"), QStringLiteral("--batch")},
         "unknown option \"--batch\""},
        {{QStringLiteral("--report"), QStringLiteral("--html=a"), QStringLiteral("--html=b"),
          QStringLiteral("x")},
         "--html is given twice"},
    };
    for (const auto& [arguments, expected] : bad) {
        const auto p = Parse_Report_Arguments(arguments);
        EXPECT_FALSE(p.options) << arguments.join(' ').toStdString();
        EXPECT_TRUE(p.error.contains(QLatin1String(expected))) << p.error.toStdString();
    }
}

} // namespace
} // namespace smx::report
