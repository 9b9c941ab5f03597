#include "test_support.h"

namespace smx::test {

Scripted_Ticks::Scripted_Ticks(std::vector<std::uint32_t> ticks) : ticks_(std::move(ticks)) {
    platform::set_tick_source([this]() -> std::uint32_t {
        const auto index = static_cast<std::size_t>(calls_++);
        if (ticks_.empty())
            return 0;
        return index < ticks_.size() ? ticks_[index] : ticks_.back();
    });
}

Scripted_Ticks::~Scripted_Ticks() {
    platform::set_tick_source({});
}

Executable_In::Executable_In(const QString& dir, const QString& name) {
    platform::set_executable_path_override(dir + QLatin1Char('/') + name);
}

Executable_In::~Executable_In() {
    platform::set_executable_path_override({});
}

Drive_Table::Drive_Table(std::vector<platform::Drive> drives) {
    platform::set_drive_table_override(std::move(drives));
}

Drive_Table::~Drive_Table() {
    platform::set_drive_table_override(std::nullopt);
}

} // namespace smx::test
