#pragma once
#include "platform/Drives.h"
#include "platform/Executable.h"
#include "platform/Tick.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace smx::test {

// A file's bytes, or "<unreadable>" where it cannot be read (never equal to what a test expects).
QByteArray read_bytes(const QString& path);
// Makes the file hold exactly these bytes; a file that cannot be written fails the test.
void write_bytes(const QString& path, const QByteArray& bytes);

// Waits until a file exists, at most `limit_ms`: what a program started in the background writes.
void wait_for_file(const QString& path, int limit_ms = 5000);

// What can stand at a file's path instead of a regular file. A dangling link points at the path
// + ".target", which a writer that followed it would create.
enum class Special_File { Fifo, Dev_Zero_Link, Dev_Urandom_Link, Dangling_Link, Directory };
// Makes one at `path`; one that cannot be made fails the test.
void make_special_file(const QString& path, Special_File kind);

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

class QDialog;
namespace smx::test {

// Runs `act` once the modal loop of `dialog` runs; `act` must close the dialog. A message box
// that `act` brings up is answered at once by a scripted responder (unless the test has one of
// its own), so none can block it; a dialog still open once `act` is done fails the test at once
// and is closed, with every modal window above it. A dialog that is never shown, or that
// something else keeps open, is closed after `limit_ms`.
void While_Modal(QDialog& dialog, std::function<void()> act, int limit_ms = 2000);

// Closes every modal window, the topmost first (rejecting dialogs).
void Close_Modal_Windows();

} // namespace smx::test
