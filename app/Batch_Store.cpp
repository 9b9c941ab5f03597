// PROVISIONAL: replaced when the settings, database and export routines land.
#include "app/Batch_Store.h"

namespace smx::app::batch {

engine::Run_Settings Read_Run_Settings() {
    engine::Run_Settings s;
    s.ticked.fill(true);
    s.repetitions = 1;
    s.integer_loops_millions = 900;
    s.float_loops_millions = 128;
    s.array_size = 30000;
    s.array_loops = 4000;
    s.small_files = 500;
    s.small_file_kb = 4;
    s.large_files = 10;
    s.large_file_kb = 10240;
    s.drive_letter = 'c';
    return s;
}

QString Save_Name_Refusal(const QString& name) {
    return name.isEmpty() ? QStringLiteral("The Save Name cannot be blank - save aborted.")
                          : QString();
}
bool Saved_Set_Exists(const QString&) {
    return false;
}
QString Save_Name_Exists_Message(const QString& name) {
    return name;
}
bool Save_Set(const QString&, bool, const engine::TBenchmark_Results&, QString& error) {
    error = QStringLiteral("not yet");
    return false;
}
QString Saved_Message(const QString& name) {
    return name;
}
std::optional<engine::TBenchmark_Results> Load_Compare_Set(const QString&, QString& error) {
    error = QStringLiteral("not yet");
    return std::nullopt;
}
QString Results_Text(const engine::TBenchmark_Results& m,
                     const std::optional<engine::TBenchmark_Results>&) {
    QString t = QStringLiteral("\t") + m.Name + QStringLiteral("\r\n");
    for (int i = 0; i < 7; ++i)
        t += QStringLiteral("row\t%1\r\n").arg(double(m.rate(i)), 0, 'E', 17);
    t += QStringLiteral("Courtesy of\r\n");
    return t;
}

} // namespace smx::app::batch
