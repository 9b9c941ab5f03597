#include "report/Report_Input.h"

#include "results/Result_Number.h"
#include "results/Results_Database.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <limits>

namespace smx::report {
namespace {

QString not_ours() {
    return QStringLiteral("not the JSON of speedmetrix --batch --json");
}

QString text_of(const QJsonValue& v) {
    return v.isString() ? v.toString() : QString();
}

// A value as the file has it, short enough for a message.
QString shown(const QJsonValue& v) {
    if (v.isUndefined())
        return QStringLiteral("missing");
    QByteArray json = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    json = json.mid(1, json.size() - 2);
    if (json.size() > 40)
        json = json.left(37) + "...";
    return QStringLiteral("%1 is not").arg(QString::fromUtf8(json));
}

// Reads fields, each checked against its kind and range; the first one that fails is kept in
// `error`, naming the field by its path ("tests[2].rate"), and every later read is ignored.
class Fields {
public:
    QString error;

    bool failed() const { return !error.isEmpty(); }

    void refuse(const QString& field, const QJsonValue& v, const QString& kind) {
        if (error.isEmpty())
            error = QStringLiteral("field %1: %2 %3").arg(field, shown(v), kind);
    }

    // Text, null or missing (both give empty text).
    QString text(const QJsonValue& v, const QString& field) {
        if (v.isString())
            return v.toString();
        if (!v.isNull() && !v.isUndefined())
            refuse(field, v, QStringLiteral("text"));
        return {};
    }

    // A finite number from lo to hi (a whole one when `whole`); null and missing give nothing,
    // unless `required`.
    std::optional<double> number(const QJsonValue& v, const QString& field, double lo, double hi,
                                 bool whole, const QString& kind, bool required = false) {
        if ((v.isNull() || v.isUndefined()) && !required)
            return std::nullopt;
        const double d = v.toDouble();
        if (v.isDouble() && std::isfinite(d) && d >= lo && d <= hi &&
            (!whole || d == std::floor(d)))
            return d + 0.0; // -0 is 0
        refuse(field, v, kind);
        return std::nullopt;
    }

    std::optional<double> rate(const QJsonValue& v, const QString& field, bool required = false) {
        return number(v, field, 0, Max_Rate, false, rate_kind(), required);
    }

    std::optional<double> milliseconds(const QJsonValue& v, const QString& field, bool whole) {
        return number(v, field, 0, Max_Milliseconds, whole,
                      QStringLiteral("a time in milliseconds (%1 number from 0 to 4294967295)")
                          .arg(whole ? QStringLiteral("a whole") : QStringLiteral("a")));
    }

    // A whole number from lo to hi; `fallback` when null or missing.
    template <typename Int>
    Int count(const QJsonValue& v, const QString& field, Int lo, Int hi, Int fallback) {
        const auto n = number(v, field, static_cast<double>(lo), static_cast<double>(hi), true,
                              QStringLiteral("a whole number from %1 to %2").arg(lo).arg(hi));
        return n ? static_cast<Int>(*n) : fallback;
    }

    bool flag(const QJsonValue& v, const QString& field) {
        if (v.isBool())
            return v.toBool();
        if (!v.isNull() && !v.isUndefined())
            refuse(field, v, QStringLiteral("true or false"));
        return false;
    }

    QJsonObject object(const QJsonValue& v, const QString& field) {
        if (!v.isObject() && !v.isNull() && !v.isUndefined())
            refuse(field, v, QStringLiteral("an object"));
        return v.toObject();
    }

    QJsonArray array(const QJsonValue& v, const QString& field) {
        if (!v.isArray() && !v.isNull() && !v.isUndefined())
            refuse(field, v, QStringLiteral("a list"));
        return v.toArray();
    }

    static QString rate_kind() { return QStringLiteral("a rate (a number from 0 to 1E+21)"); }
};

// The largest double below 2^63, the first value a 64-bit count cannot hold.
constexpr double Max_Int64_Double = 9223372036854774784.0;
constexpr double Max_Int = 2147483647.0;

// A rate of the stored text, the one the results database holds, checked against the number
// beside it: both must say the same value, so that neither can be edited alone.
std::optional<long double> rate_of_text(Fields& f, const QJsonValue& text_value,
                                        std::optional<double> number, const QString& field) {
    long double value = 0;
    if (!text_value.isString() || !results::Parse_Result_Number(text_value.toString(), value) ||
        !(value >= 0) || value > static_cast<long double>(Max_Rate)) {
        f.refuse(field, text_value, Fields::rate_kind() + QStringLiteral(" in text"));
        return std::nullopt;
    }
    if (number && std::fabs(static_cast<double>(value) - *number) >
                      1e-15 * std::max(std::fabs(*number), 1e-300)) {
        f.refuse(field, text_value, QStringLiteral("the rate beside it"));
        return std::nullopt;
    }
    return value + 0.0L; // -0 is 0
}

QString value_text(const QJsonValue& v) {
    switch (v.type()) {
    case QJsonValue::String:
        return v.toString();
    case QJsonValue::Double:
        return QString::number(v.toDouble(), 'g', 15);
    case QJsonValue::Bool:
        return v.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
    case QJsonValue::Array: {
        QStringList parts;
        for (const QJsonValue& item : v.toArray())
            parts << value_text(item);
        return parts.join(QStringLiteral(", "));
    }
    default:
        return QString();
    }
}

// The parameters in the order the batch run lists them; names it does not know come after.
std::vector<std::pair<QString, QString>> parameters_of(const QJsonObject& p) {
    static const char* const Known[] = {"tests",
                                        "repetitions",
                                        "threads",
                                        "integer_loops_millions",
                                        "float_loops_millions",
                                        "array_size",
                                        "array_loops",
                                        "small_files",
                                        "small_file_kb",
                                        "large_files",
                                        "large_file_kb",
                                        "drive",
                                        "sync"};
    std::vector<std::pair<QString, QString>> out;
    QStringList done;
    for (const char* name : Known) {
        const QString key = QLatin1String(name);
        if (p.contains(key)) {
            out.emplace_back(key, value_text(p.value(key)));
            done << key;
        }
    }
    for (auto it = p.begin(); it != p.end(); ++it)
        if (!done.contains(it.key()))
            out.emplace_back(it.key(), value_text(it.value()));
    return out;
}

// The version of the layout, 0 when the object is not this program's output.
int format_version(const QJsonObject& root) {
    const QJsonValue format = root.value(QStringLiteral("format"));
    if (format.isUndefined()) {
        const QString program = text_of(
            root.value(QStringLiteral("context")).toObject().value(QStringLiteral("program")));
        return program.contains(QLatin1String("Speedmetrix")) ? 1 : 0;
    }
    if (format.toString() != QLatin1String(Json_Format_Name))
        return 0;
    const QJsonValue version = root.value(QStringLiteral("format_version"));
    const double v = version.toDouble(-1);
    if (!version.isDouble() || v < 1 || v != std::floor(v) || v > 1e9)
        return 0;
    return static_cast<int>(v);
}

} // namespace

QString Report_Run::label() const {
    if (!saved_name.isEmpty())
        return saved_name;
    const QDateTime when = QDateTime::fromString(date_time, Qt::ISODate);
    const QString date =
        when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : date_time;
    const QString label = (host + QLatin1Char(' ') + date).trimmed();
    return label.isEmpty() ? QFileInfo(file).fileName() : label;
}

Read_Result Read_Run(const QByteArray& json, const QString& file) {
    auto refuse = [](const QString& why) { return Read_Result{std::nullopt, why}; };
    QJsonParseError parse_error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parse_error);
    if (parse_error.error != QJsonParseError::NoError)
        return refuse(QStringLiteral("not JSON (%1 at byte %2)")
                          .arg(parse_error.errorString())
                          .arg(parse_error.offset));
    if (!document.isObject())
        return refuse(not_ours());
    const QJsonObject root = document.object();
    const int version = format_version(root);
    if (version == 0)
        return refuse(not_ours());
    if (version > Json_Format_Version)
        return refuse(QStringLiteral("written in layout version %1, which this program cannot "
                                     "read (it reads versions 1 to %2)")
                          .arg(version)
                          .arg(Json_Format_Version));

    Report_Run run;
    run.file = file;
    Fields f;
    const QJsonValue tests = root.value(QStringLiteral("tests"));
    if (!tests.isArray())
        return refuse(not_ours() + QStringLiteral(": it has no list of tests"));
    const auto& keys = results::Result_Key_Names();
    int recognised = 0;
    const QJsonArray entries = tests.toArray();
    for (qsizetype e = 0; e < entries.size() && !f.failed(); ++e) {
        const QString at = QStringLiteral("tests[%1].").arg(e);
        if (!entries[e].isObject()) {
            f.refuse(at.chopped(1), entries[e], QStringLiteral("an object"));
            break;
        }
        const QJsonObject t = entries[e].toObject();
        const QString key = f.text(t.value(QStringLiteral("value_name")), at + "value_name");
        int index = -1;
        for (int i = 0; i < Test_Count; ++i)
            if (key == keys[static_cast<std::size_t>(i)])
                index = i;
        if (index < 0)
            continue; // a test of a later version
        ++recognised;
        const auto i = static_cast<std::size_t>(index);
        const bool ran = f.flag(t.value(QStringLiteral("ran")), at + "ran");
        // A test that ran has a rate; one that did not may carry 0 or nothing.
        const auto number = f.rate(t.value(QStringLiteral("rate")), at + "rate", ran);
        const QJsonValue rate_text = t.value(QStringLiteral("rate_text"));
        bool has_rate = number.has_value();
        long double rate = number.value_or(0);
        if (!rate_text.isUndefined() && !rate_text.isNull()) {
            const auto stored = rate_of_text(f, rate_text, number, at + "rate_text");
            has_rate = stored.has_value();
            rate = stored.value_or(0);
            if (has_rate && ran)
                run.rate_texts[i] = results::Format_Result_Number(rate);
        }
        f.count(t.value(QStringLiteral("threads")), at + "threads", 1, int(Max_Int), 1);
        f.number(t.value(QStringLiteral("ratio_to_compare")), at + "ratio_to_compare", 0,
                 std::numeric_limits<double>::max(), false,
                 QStringLiteral("a ratio (a number from 0)"));
        const QJsonArray times = f.array(t.value(QStringLiteral("times_ms")), at + "times_ms");
        for (qsizetype n = 0; n < times.size(); ++n)
            f.milliseconds(times[n], at + QStringLiteral("times_ms[%1]").arg(n), true);
        const QJsonArray repetitions =
            f.array(t.value(QStringLiteral("thread_times_ms")), at + "thread_times_ms");
        for (qsizetype r = 0; r < repetitions.size(); ++r) {
            const QString rep = at + QStringLiteral("thread_times_ms[%1]").arg(r);
            const QJsonArray each = f.array(repetitions[r], rep);
            for (qsizetype n = 0; n < each.size(); ++n)
                f.milliseconds(each[n], rep + QStringLiteral("[%1]").arg(n), true);
        }
        f.milliseconds(t.value(QStringLiteral("averaged_ms")), at + "averaged_ms", true);
        const auto lo = f.milliseconds(t.value(QStringLiteral("min_ms")), at + "min_ms", true);
        const auto mid =
            f.milliseconds(t.value(QStringLiteral("median_ms")), at + "median_ms", false);
        const auto hi = f.milliseconds(t.value(QStringLiteral("max_ms")), at + "max_ms", true);
        if (lo && mid && hi && !(*lo <= *mid && *mid <= *hi))
            f.refuse(at + "median_ms", t.value(QStringLiteral("median_ms")),
                     QStringLiteral("between min_ms and max_ms"));
        if (!ran || !has_rate)
            continue;
        run.rates[i] = rate;
        if (lo && mid && hi)
            run.spread[i] = Spread{*lo, *mid, *hi};
    }
    if (f.failed())
        return refuse(f.error);
    if (recognised == 0)
        return refuse(not_ours() + QStringLiteral(": it has no test results"));

    f.text(root.value(QStringLiteral("name")), QStringLiteral("name"));
    run.saved_name = f.text(root.value(QStringLiteral("saved_as")), QStringLiteral("saved_as"));
    const QJsonObject c =
        f.object(root.value(QStringLiteral("context")), QStringLiteral("context"));
    auto context_text = [&](const QJsonObject& o, const char* key, const QString& path) {
        return f.text(o.value(QLatin1String(key)), path + QLatin1String(key));
    };
    const QString in = QStringLiteral("context.");
    context_text(c, "program", in);
    context_text(c, "version", in);
    context_text(c, "display_platform", in);
    run.host = context_text(c, "host", in);
    run.date_time = context_text(c, "date_time", in);
    const QJsonObject cpu = f.object(c.value(QStringLiteral("cpu")), in + "cpu");
    run.cpu_model = context_text(cpu, "model", in + "cpu.");
    run.cpu_cores =
        f.count(cpu.value(QStringLiteral("cores")), in + "cpu.cores", 0, int(Max_Int), 0);
    run.cpu_logical = f.count(cpu.value(QStringLiteral("logical_processors")),
                              in + "cpu.logical_processors", 0, int(Max_Int), 0);
    run.threads = f.count(c.value(QStringLiteral("threads")), in + "threads", 1, int(Max_Int), 1);
    const QJsonArray processors = f.array(c.value(QStringLiteral("processors")), in + "processors");
    for (qsizetype n = 0; n < processors.size(); ++n)
        run.processors.push_back(f.count(
            processors[n], in + QStringLiteral("processors[%1]").arg(n), -1, int(Max_Int), -1));
    run.kernel = context_text(c, "kernel", in);
    run.memory_bytes =
        f.count<std::int64_t>(c.value(QStringLiteral("memory_bytes")), in + "memory_bytes", 0,
                              static_cast<std::int64_t>(Max_Int64_Double), 0);
    const QJsonObject drive = f.object(c.value(QStringLiteral("drive")), in + "drive");
    context_text(drive, "letter", in + "drive.");
    run.drive_root = context_text(drive, "root", in + "drive.");
    run.drive_filesystem = context_text(drive, "filesystem", in + "drive.");
    const QJsonObject parameters =
        f.object(c.value(QStringLiteral("parameters")), in + "parameters");
    run.synced = f.flag(parameters.value(QStringLiteral("sync")), in + "parameters.sync");
    for (const char* count :
         {"repetitions", "threads", "integer_loops_millions", "float_loops_millions", "array_size",
          "array_loops", "small_files", "small_file_kb", "large_files", "large_file_kb"})
        f.count(parameters.value(QLatin1String(count)), in + "parameters." + count, 0, int(Max_Int),
                0);
    f.text(parameters.value(QStringLiteral("drive")), in + "parameters.drive");
    const QJsonArray ticked =
        f.array(parameters.value(QStringLiteral("tests")), in + "parameters.tests");
    for (qsizetype n = 0; n < ticked.size(); ++n)
        f.text(ticked[n], in + QStringLiteral("parameters.tests[%1]").arg(n));
    run.parameters = parameters_of(parameters);
    if (f.failed())
        return refuse(f.error);
    return Read_Result{run, {}};
}

} // namespace smx::report
