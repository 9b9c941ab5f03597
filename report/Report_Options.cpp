#include "report/Report_Options.h"

namespace smx::report {

bool Wants_Report(const QStringList& arguments) {
    for (const QString& a : arguments) {
        if (a == QLatin1String("--"))
            return false;
        if (a == QLatin1String("--report"))
            return true;
    }
    return false;
}

Parsed_Report_Options Parse_Report_Arguments(const QStringList& arguments) {
    Report_Options options;
    auto fail = [](const QString& text) { return Parsed_Report_Options{std::nullopt, text}; };
    bool files_only = false;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (files_only || !argument.startsWith(QLatin1String("--"))) {
            options.inputs << argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            files_only = true;
            continue;
        }
        QString name = argument.mid(2);
        std::optional<QString> value;
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        if (equals >= 0) {
            value = name.mid(equals + 1);
            name.truncate(equals);
        }
        if (name == QLatin1String("report")) {
            if (value)
                return fail(QStringLiteral("option --report takes no value; the JSON files "
                                           "follow it"));
            continue;
        }
        if (name != QLatin1String("html") && name != QLatin1String("csv"))
            return fail(QStringLiteral("unknown option \"%1\" for --report").arg(argument));
        if (!value) {
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("option --%1 needs a file name").arg(name));
            value = arguments[++i];
        }
        if (value->isEmpty())
            return fail(QStringLiteral("option --%1 needs a file name").arg(name));
        std::optional<QString>& target = name == QLatin1String("html") ? options.html : options.csv;
        if (target)
            return fail(QStringLiteral("option --%1 is given twice").arg(name));
        target = *value;
    }
    if (options.inputs.isEmpty())
        return fail(QStringLiteral("--report needs at least one JSON file of speedmetrix --batch "
                                   "--json"));
    return Parsed_Report_Options{options, {}};
}

} // namespace smx::report
