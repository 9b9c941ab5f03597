#pragma once
#include "platform/Drives.h"
#include "platform/Executable.h"
#include "platform/Tick.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace smx::test {

// A tick source that returns the queued ticks in order, then keeps returning the last one.
class Scripted_Ticks {
public:
    explicit Scripted_Ticks(std::vector<std::uint32_t> ticks);
    ~Scripted_Ticks();
    int calls() const { return calls_; }

private:
    std::vector<std::uint32_t> ticks_;
    int calls_ = 0;
};

// Points the executable path into a directory for the lifetime of the object.
class Executable_In {
public:
    explicit Executable_In(const QString& dir, const QString& name = QStringLiteral("speedmetrix"));
    ~Executable_In();
};

// Substitutes the drive table for the lifetime of the object.
class Drive_Table {
public:
    explicit Drive_Table(std::vector<platform::Drive> drives);
    ~Drive_Table();
};

} // namespace smx::test
