#include "report/Report_Input.h"

#include "results/Results_Database.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace smx::report {
namespace {

QString not_ours() {
    return QStringLiteral("not the JSON of speedmetrix --batch --json");
}

QString text_of(const QJsonValue& v) {
    return v.isString() ? v.toString() : QString();
}

int int_of(const QJsonValue& v, int fallback = 0) {
    return v.isDouble() ? v.toInt(fallback) : fallback;
}

std::optional<double> number_of(const QJsonValue& v) {
    if (!v.isDouble() || !std::isfinite(v.toDouble()))
        return std::nullopt;
    return v.toDouble();
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
                                        "drive"};
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
    const QJsonValue tests = root.value(QStringLiteral("tests"));
    if (!tests.isArray())
        return refuse(not_ours() + QStringLiteral(": it has no list of tests"));
    const auto& keys = results::Result_Key_Names();
    int recognised = 0;
    for (const QJsonValue& entry : tests.toArray()) {
        const QJsonObject t = entry.toObject();
        const QString key = text_of(t.value(QStringLiteral("value_name")));
        int index = -1;
        for (int i = 0; i < Test_Count; ++i)
            if (key == keys[static_cast<std::size_t>(i)])
                index = i;
        if (index < 0)
            continue;
        ++recognised;
        const auto rate = number_of(t.value(QStringLiteral("rate")));
        if (!t.value(QStringLiteral("ran")).toBool() || !rate)
            continue;
        run.rates[static_cast<std::size_t>(index)] = *rate;
        const auto lo = number_of(t.value(QStringLiteral("min_ms")));
        const auto mid = number_of(t.value(QStringLiteral("median_ms")));
        const auto hi = number_of(t.value(QStringLiteral("max_ms")));
        if (lo && mid && hi)
            run.spread[static_cast<std::size_t>(index)] = Spread{*lo, *mid, *hi};
    }
    if (recognised == 0)
        return refuse(not_ours() + QStringLiteral(": it has no test results"));

    run.saved_name = text_of(root.value(QStringLiteral("saved_as")));
    const QJsonObject c = root.value(QStringLiteral("context")).toObject();
    run.host = text_of(c.value(QStringLiteral("host")));
    run.date_time = text_of(c.value(QStringLiteral("date_time")));
    const QJsonObject cpu = c.value(QStringLiteral("cpu")).toObject();
    run.cpu_model = text_of(cpu.value(QStringLiteral("model")));
    run.cpu_cores = int_of(cpu.value(QStringLiteral("cores")));
    run.cpu_logical = int_of(cpu.value(QStringLiteral("logical_processors")));
    run.threads = std::max(1, int_of(c.value(QStringLiteral("threads")), 1));
    for (const QJsonValue& p : c.value(QStringLiteral("processors")).toArray())
        if (p.isDouble())
            run.processors.push_back(p.toInt());
    run.kernel = text_of(c.value(QStringLiteral("kernel")));
    const QJsonValue memory = c.value(QStringLiteral("memory_bytes"));
    run.memory_bytes = memory.isDouble() ? static_cast<std::int64_t>(memory.toDouble()) : 0;
    const QJsonObject drive = c.value(QStringLiteral("drive")).toObject();
    run.drive_root = text_of(drive.value(QStringLiteral("root")));
    run.drive_filesystem = text_of(drive.value(QStringLiteral("filesystem")));
    run.parameters = parameters_of(c.value(QStringLiteral("parameters")).toObject());
    return Read_Result{run, {}};
}

} // namespace smx::report
