#include "cli/Batch_Options.h"
#include "cli/Batch_Report.h"

#include <QCheckBox>
#include <QJsonArray>
#include <gtest/gtest.h>

namespace smx::cli {
namespace {

using engine::Test_Id_Count;

QStringList args(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* a : list)
        out << QString::fromUtf8(a);
    return out;
}

TEST(Batch_Arguments, OnlyTheBatchHelpAndDriveSwitchesLeaveTheWindow) {
    EXPECT_FALSE(Wants_Batch({}));
    EXPECT_FALSE(Wants_Batch(args({"-platform", "offscreen"})));
    EXPECT_TRUE(Wants_Batch(args({"--json", "--batch"})));
    // After "--" everything is a plain argument.
    EXPECT_FALSE(Wants_Batch(args({"--", "--batch"})));
    EXPECT_TRUE(Wants_Help(args({"--batch", "-h"})));
    EXPECT_TRUE(Wants_Drive_List(args({"--list-drives"})));
}

// What the command line asks for, and the first argument that looks like an option and is none.
TEST(Batch_Arguments, ModesAndTheArgumentsEachRefuses) {
    struct Case {
        std::initializer_list<const char*> arguments;
        Mode mode;
        const char* error; // empty: taken
    };
    const Case cases[] = {
        {{}, Mode::Window, ""},
        {{"file.txt"}, Mode::Window, ""},
        {{"-session", "1a2b", "-platform", "xcb", "--display", ":1"}, Mode::Window, ""},
        {{"-style", "fusion"}, Mode::Window, "unknown option \"-style\""},
        {{"-"}, Mode::Window, "unknown option \"-\""},
        {{"--json"}, Mode::Window, "option \"--json\" needs --batch"},
        {{"--csv=x.csv"}, Mode::Window, "option \"--csv\" needs --report"},
        {{"--", "-V", "--json"}, Mode::Window, ""},
        {{"--batch", "--version"}, Mode::Version, ""},
        {{"--version", "-V"}, Mode::Version, "unknown option \"-V\""},
        {{"--help", "--batch", "-h", "--tests", "-x"}, Mode::Help, ""},
        {{"--list-drives", "--report"}, Mode::Drive_List, ""},
        {{"--batch", "--save", "-x", "--compare=-y", "--drive", "-z"}, Mode::Batch, ""},
        {{"--batch", "-platform", "xcb"}, Mode::Batch, "unknown option \"-platform\""},
        {{"--batch", "--tests=all", "--bacth"}, Mode::Batch, "unknown option \"--bacth\""},
        {{"--report", "a.json", "--html", "-page.html", "--", "-b.json"}, Mode::Report, ""},
        {{"--report", "a.json", "-b.json"}, Mode::Report, "unknown option \"-b.json\""},
    };
    for (const Case& c : cases) {
        const QStringList arguments = args(c.arguments);
        EXPECT_EQ(Mode_Of(arguments), c.mode) << arguments.join(u' ').toStdString();
        EXPECT_EQ(Argument_Error(arguments, c.mode), QString::fromUtf8(c.error))
            << arguments.join(u' ').toStdString();
    }
}

TEST(Batch_Arguments, DriveTakesALetterOrAnAbsoluteFolder) {
    const Parsed folder = Parse_Arguments(args({"--batch", "--drive", "d", "--drive=/srv/b c"}));
    ASSERT_TRUE(folder.options) << folder.error.toStdString();
    EXPECT_FALSE(folder.options->overrides.drive_letter);
    engine::Run_Settings s;
    Apply_Overrides(folder.options->overrides, s);
    EXPECT_EQ(s.drive_folder, QStringLiteral("/srv/b c"));
    // The last one given counts.
    const Parsed letter = Parse_Arguments(args({"--batch", "--drive=/srv", "--drive", "E:"}));
    ASSERT_TRUE(letter.options) << letter.error.toStdString();
    EXPECT_EQ(letter.options->overrides.drive_letter, 'e');
    EXPECT_FALSE(letter.options->overrides.drive_folder);
}

TEST(Batch_Arguments, OverridesInBothSpellings) {
    const Parsed p = Parse_Arguments(args({"--batch",
                                           "--tests",
                                           "2d,Integer, small-files",
                                           "--repetitions=3",
                                           "--drive",
                                           "D:",
                                           "--integer-loops",
                                           "2147",
                                           "--float-loops=1",
                                           "--array-size",
                                           "5",
                                           "--array-loops",
                                           "6",
                                           "--small-files",
                                           "7",
                                           "--small-file-kb",
                                           "2097151",
                                           "--large-files",
                                           "9",
                                           "--large-file-kb",
                                           "10",
                                           "--save",
                                           "Lab [x]",
                                           "--overwrite",
                                           "--compare=",
                                           "--json"}));
    ASSERT_TRUE(p.options) << p.error.toStdString();
    const Options& o = *p.options;
    EXPECT_TRUE(o.json);
    EXPECT_TRUE(o.overwrite);
    EXPECT_EQ(o.save_name, QStringLiteral("Lab [x]")); // judged later, as the window judges it
    EXPECT_EQ(o.compare_name, QString());
    const std::array<bool, Test_Id_Count> ticked = {true, false, false, true, false, false, true};
    EXPECT_EQ(o.overrides.tests, ticked);

    engine::Run_Settings s;
    s.ticked.fill(false);
    Apply_Overrides(o.overrides, s);
    EXPECT_EQ(s.ticked, ticked);
    EXPECT_EQ(s.repetitions, 3);
    EXPECT_EQ(s.drive_letter, 'd');
    EXPECT_EQ(s.integer_loops_millions, 2147);
    EXPECT_EQ(s.float_loops_millions, 1);
    EXPECT_EQ(s.array_size, 5);
    EXPECT_EQ(s.array_loops, 6);
    EXPECT_EQ(s.small_files, 7);
    EXPECT_EQ(s.small_file_kb, 2097151);
    EXPECT_EQ(s.large_files, 9);
    EXPECT_EQ(s.large_file_kb, 10);
}

TEST(Batch_Arguments, WhatIsNotOverriddenStays) {
    const Parsed p =
        Parse_Arguments(args({"--batch", "--float-loops", "3", "--tests", "memory,all,memory"}));
    ASSERT_TRUE(p.options);
    engine::Run_Settings s;
    s.repetitions = 4;
    s.integer_loops_millions = 900;
    s.drive_letter = 'e';
    Apply_Overrides(p.options->overrides, s);
    EXPECT_EQ(s.ticked_count(), Test_Id_Count);
    EXPECT_EQ(s.repetitions, 4);
    EXPECT_EQ(s.integer_loops_millions, 900);
    EXPECT_EQ(s.float_loops_millions, 3);
    EXPECT_EQ(s.drive_letter, 'e');
}

struct Bad_Case {
    std::vector<const char*> arguments;
    const char* error_part;
};

class Batch_Bad_Arguments : public ::testing::TestWithParam<Bad_Case> {};

TEST_P(Batch_Bad_Arguments, AreRefusedWithAMessageNamingTheProblem) {
    QStringList list;
    for (const char* a : GetParam().arguments)
        list << QString::fromUtf8(a);
    const Parsed p = Parse_Arguments(list);
    EXPECT_FALSE(p.options);
    EXPECT_TRUE(p.error.contains(QString::fromUtf8(GetParam().error_part)))
        << p.error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Batch_Bad_Arguments,
    ::testing::Values(
        Bad_Case{{"--batch", "--bogus"}, "unknown option \"--bogus\""},
        Bad_Case{{"--batch", "stray"}, "unexpected argument \"stray\""},
        Bad_Case{{"--batch", "--tests", "integer,disk"}, "unknown test name \"disk\""},
        Bad_Case{{"--batch", "--tests", ""}, "unknown test name \"\""},
        Bad_Case{{"--batch", "--repetitions", "0"}, "out of range (1 to 100)"},
        Bad_Case{{"--batch", "--repetitions", "101"}, "out of range (1 to 100)"},
        Bad_Case{{"--batch", "--integer-loops", "2148"}, "(1 to 2147)"},
        Bad_Case{{"--batch", "--small-file-kb", "2097152"}, "(1 to 2097151)"},
        Bad_Case{{"--batch", "--array-size", "2147483648"}, "(1 to 2147483647)"},
        Bad_Case{{"--batch", "--large-files", "1e3"}, "whole number, not \"1e3\""},
        Bad_Case{{"--batch", "--repetitions"}, "--repetitions needs a value"},
        Bad_Case{{"--batch", "--drive", "cd"}, "absolute folder, not \"cd\""},
        Bad_Case{{"--batch", "--drive", "1"}, "absolute folder, not \"1\""},
        Bad_Case{{"--batch", "--drive", "bench/disk"}, "absolute folder, not \"bench/disk\""},
        Bad_Case{{"--batch", "--json=yes"}, "--json takes no value"},
        Bad_Case{{"--batch", "--overwrite"}, "--overwrite needs --save"},
        Bad_Case{{"--batch", "--threads", "0"}, "from 1 to 1024 or \"all\", not \"0\""},
        Bad_Case{{"--batch", "--threads=1025"}, "not \"1025\""},
        Bad_Case{{"--batch", "--threads", "two"}, "not \"two\""},
        Bad_Case{{"--batch", "--threads"}, "--threads needs a value"}));

TEST(Batch_Arguments, ThreadsAsACountOrAll) {
    const std::pair<const char*, int> cases[] = {{"1", 1},       {"2", 2},   {" 64 ", 64},
                                                 {"1024", 1024}, {"all", 0}, {"ALL", 0}};
    for (const auto& [value, expected] : cases) {
        const Parsed p = Parse_Arguments(args({"--batch", "--threads", value}));
        ASSERT_TRUE(p.options) << value << ": " << p.error.toStdString();
        EXPECT_EQ(p.options->threads, expected) << value;
    }
    // Not given: the window's one thread, and nothing to pin.
    const Parsed none = Parse_Arguments(args({"--batch"}));
    ASSERT_TRUE(none.options);
    EXPECT_FALSE(none.options->threads);
}

TEST(Batch_Arguments, HelpNamesEveryOptionTestAndExitCode) {
    const QString help = Help_Text();
    for (const char* option :
         {"--batch",         "--tests",       "--repetitions", "--integer-loops", "--float-loops",
          "--array-size",    "--array-loops", "--small-files", "--small-file-kb", "--large-files",
          "--large-file-kb", "--drive",       "--save",        "--overwrite",     "--compare",
          "--json",          "--list-drives", "--help",        "--threads",       "--report",
          "--html",          "--csv",         "--version"})
        EXPECT_TRUE(help.contains(QLatin1String(option))) << option;
    for (const char* test : Test_Names)
        EXPECT_TRUE(help.contains(QLatin1String(test))) << test;
    for (int code = Exit_Ok; code <= Exit_Output_Failed; ++code)
        EXPECT_TRUE(help.contains(QStringLiteral("\n  %1  ").arg(code))) << code;
}

// The manual page is made from this text, so it is also where users learn where their files are.
TEST(Batch_Arguments, HelpSaysWhereTheFilesAre) {
    const QString help = Help_Text();
    for (const char* place :
         {"Files:\n", "beside the program when its folder can be written",
          "$XDG_CONFIG_HOME/speedmetrix/Speedmetrix.ini", "~/.config/speedmetrix/",
          "$XDG_DATA_HOME/speedmetrix/Speedmetrix_DB.INI", "~/.local/share/speedmetrix/",
          "share/doc/speedmetrix/"})
        EXPECT_TRUE(help.contains(QLatin1String(place))) << place;
}

TEST(Batch_Report, TimeSummary) {
    const Time_Summary odd = Summarise({12, 10, 11});
    EXPECT_EQ(odd.min, 10u);
    EXPECT_EQ(odd.median, 11);
    EXPECT_EQ(odd.max, 12u);
    EXPECT_EQ(odd.averaged, 11u);
    const Time_Summary even = Summarise({10, 11, 10, 13});
    EXPECT_EQ(even.median, 10.5);
    EXPECT_EQ(even.averaged, 11u);                    // 44 / 4
    EXPECT_EQ(Summarise({10, 10, 11}).averaged, 10u); // truncated
}

TEST(Batch_Report, ProcessorAndMemoryFromProc) {
    const QString cpuinfo = QStringLiteral("processor\t: 0\nmodel name\t: Test CPU 3000\n"
                                           "physical id\t: 0\ncore id\t\t: 0\n\n"
                                           "processor\t: 1\nmodel name\t: Test CPU 3000\n"
                                           "physical id\t: 0\ncore id\t\t: 0\n\n"
                                           "processor\t: 2\nmodel name\t: Test CPU 3000\n"
                                           "physical id\t: 1\ncore id\t\t: 0\n");
    const Cpu_Info cpu = Cpu_Info_From(cpuinfo);
    EXPECT_EQ(cpu.model, QStringLiteral("Test CPU 3000"));
    EXPECT_EQ(cpu.logical, 3);
    EXPECT_EQ(cpu.cores, 2); // two sockets of one core, one of them with two threads
    // No core ids (some virtual machines, other architectures): every processor counts.
    EXPECT_EQ(Cpu_Info_From(QStringLiteral("processor : 0\nprocessor : 1\n")).cores, 2);

    EXPECT_EQ(Memory_Bytes_From(QStringLiteral("MemFree:  10 kB\nMemTotal:  2048 kB\n")),
              2048 * 1024);
    EXPECT_EQ(Memory_Bytes_From(QStringLiteral("MemFree: 10 kB\n")), 0);
}

TEST(Batch_Report, RatiosOnlyWhereBothRatesAreKnown) {
    engine::Run_Settings s;
    s.ticked = {true, true, false, false, false, false, false};
    s.drive_letter = 'c';
    engine::TBenchmark_Results main;
    main.Name = QStringLiteral("This PC");
    main.Integer_Operations_Per_Sec = 3e9L;
    main.Floating_Point_Operations_Per_Sec = 1e8L;
    engine::TBenchmark_Results compare;
    compare.Name = QStringLiteral("Old");
    compare.Integer_Operations_Per_Sec = 1.5e9L;
    compare.Memory_Speed_MB_Per_Sec = 100;
    Test_Times times;
    times[0] = {1, 2};
    times[1] = {5};
    const QJsonObject report = Json_Report(s, main, compare, times, Run_Context{}, std::nullopt);
    const QJsonArray tests = report[QStringLiteral("tests")].toArray();
    ASSERT_EQ(tests.size(), Test_Id_Count);
    EXPECT_EQ(tests[0][QStringLiteral("ratio_to_compare")].toDouble(), 2.0);
    EXPECT_TRUE(tests[1][QStringLiteral("ratio_to_compare")].isNull()); // compare is 0
    EXPECT_TRUE(tests[2][QStringLiteral("ratio_to_compare")].isNull()); // not run here
    EXPECT_FALSE(tests[2][QStringLiteral("ran")].toBool());
    EXPECT_EQ(tests[0][QStringLiteral("times_ms")].toArray(), QJsonArray({1, 2}));
    EXPECT_EQ(tests[0][QStringLiteral("median_ms")].toDouble(), 1.5);
    EXPECT_EQ(report[QStringLiteral("compare")][QStringLiteral("name")].toString(),
              QStringLiteral("Old"));
    EXPECT_EQ(
        report[QStringLiteral("values")][QStringLiteral("Integer_Operations_Per_Sec")].toDouble(),
        3e9);
    EXPECT_EQ(report[QStringLiteral("format")].toString(), QStringLiteral("speedmetrix-batch"));
    EXPECT_EQ(report[QStringLiteral("format_version")].toInt(), 2);
}

// The thread count and processors go into the context; each thread's time of every repetition
// into the tests that run on threads, and only those.
TEST(Batch_Report, ThreadsAndEachThreadsTimes) {
    engine::Run_Settings s;
    s.ticked = {true, false, true, true, false, false, false};
    s.threads = 2;
    s.thread_processors = {0, 1};
    engine::TBenchmark_Results main;
    Test_Times times;
    times[0] = {30, 31};
    times[2] = {8};
    times[3] = {50};
    Thread_Times thread_times;
    thread_times[0] = {{29, 30}, {31, 28}};
    thread_times[2] = {{8, 7}};
    Run_Context context;
    context.host = QStringLiteral("node7");
    const QJsonObject report =
        Json_Report(s, main, std::nullopt, times, context, std::nullopt, thread_times);
    const QJsonObject c = report[QStringLiteral("context")].toObject();
    EXPECT_EQ(c[QStringLiteral("threads")].toInt(), 2);
    EXPECT_EQ(c[QStringLiteral("processors")].toArray(), QJsonArray({0, 1}));
    EXPECT_EQ(c[QStringLiteral("host")].toString(), QStringLiteral("node7"));
    EXPECT_EQ(c[QStringLiteral("parameters")][QStringLiteral("threads")].toInt(), 2);
    const QJsonArray tests = report[QStringLiteral("tests")].toArray();
    EXPECT_EQ(tests[0][QStringLiteral("thread_times_ms")].toArray(),
              QJsonArray({QJsonArray({29, 30}), QJsonArray({31, 28})}));
    EXPECT_EQ(tests[0][QStringLiteral("threads")].toInt(), 2);
    EXPECT_EQ(tests[2][QStringLiteral("thread_times_ms")].toArray(),
              QJsonArray({QJsonArray({8, 7})}));
    EXPECT_EQ(tests[3][QStringLiteral("threads")].toInt(), 1); // the disk test stays on one
    EXPECT_FALSE(tests[3].toObject().contains(QStringLiteral("thread_times_ms")));
}

} // namespace
} // namespace smx::cli
