// The batch run's command line from arbitrary arguments (the input split at NUL bytes, after
// "--batch"): either options or a message says what is wrong, never both or neither, every
// value that gets through is within the range the window allows, and the check of unknown
// options that runs before every mode never refuses what the batch run takes.
#include "cli/Batch_Options.h"
#include "settings/Settings.h"

#include <cstdint>
#include <cstdlib>

using namespace smx;
using namespace smx::cli;

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

void check_within(const std::optional<int>& value, settings::Spin_Bounds bounds) {
    if (value)
        check(*value >= bounds.min && *value <= bounds.max);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringList arguments{QStringLiteral("--batch")};
    for (const QByteArray& part : bytes.split('\0'))
        arguments << QString::fromUtf8(part);
    check(Wants_Batch(arguments));
    const Parsed parsed = Parse_Arguments(arguments);
    check(parsed.options.has_value() == parsed.error.isEmpty());
    if (!parsed.options)
        return 0;
    const Overrides& o = parsed.options->overrides;
    check_within(o.repetitions, settings::kRepetitions_Bounds);
    check_within(o.integer_loops_millions, settings::kLoops_Millions_Bounds);
    check_within(o.float_loops_millions, settings::kLoops_Millions_Bounds);
    check_within(o.array_size, settings::kCount_Bounds);
    check_within(o.array_loops, settings::kCount_Bounds);
    check_within(o.small_files, settings::kCount_Bounds);
    check_within(o.large_files, settings::kCount_Bounds);
    check_within(o.small_file_kb, settings::kFile_Size_KB_Bounds);
    check_within(o.large_file_kb, settings::kFile_Size_KB_Bounds);
    if (o.drive_letter)
        check(*o.drive_letter >= 'a' && *o.drive_letter <= 'z' && !o.drive_folder);
    if (o.drive_folder)
        check(o.drive_folder->startsWith(QLatin1Char('/')));
    if (Mode_Of(arguments) == Mode::Batch)
        check(Argument_Error(arguments, Mode::Batch).isEmpty());
    if (parsed.options->save_name)
        check(!parsed.options->save_name->isNull());

    smx::engine::Run_Settings settings;
    settings.repetitions = 3;
    Apply_Overrides(o, settings);
    check(settings.repetitions == o.repetitions.value_or(3));
    if (o.tests)
        check(settings.ticked == *o.tests);
    return 0;
}
