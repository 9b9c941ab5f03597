#include "test_support.h"

#include "platform/Message_Boxes.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace smx::test {

QByteArray read_bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void write_bytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

void wait_for_file(const QString& path, int limit_ms) {
    QElapsedTimer waited;
    waited.start();
    while (!QFile::exists(path) && waited.elapsed() < limit_ms)
        QThread::msleep(20);
}

void make_special_file(const QString& path, Special_File kind) {
    const QByteArray p = QFile::encodeName(path);
    switch (kind) {
    case Special_File::Fifo:
        ASSERT_EQ(::mkfifo(p.constData(), 0600), 0);
        break;
    case Special_File::Dev_Zero_Link:
        ASSERT_EQ(::symlink("/dev/zero", p.constData()), 0);
        break;
    case Special_File::Dev_Urandom_Link:
        ASSERT_EQ(::symlink("/dev/urandom", p.constData()), 0);
        break;
    case Special_File::Dangling_Link:
        ASSERT_EQ(::symlink((p + ".target").constData(), p.constData()), 0);
        break;
    case Special_File::Directory:
        ASSERT_EQ(::mkdir(p.constData(), 0700), 0);
        break;
    }
}

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

namespace smx::test {

void Close_Modal_Windows() {
    for (int i = 0; i < 20; ++i) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            return;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
        else
            modal->close();
        if (modal->isVisible())
            modal->hide();
    }
}

void While_Modal(QDialog& dialog, std::function<void()> act, int limit_ms) {
    QPointer<QDialog> target(&dialog);
    QTimer::singleShot(0, &dialog, [target, act] {
        if (!target->isVisible()) {
            ADD_FAILURE() << "the dialog was not shown";
            return;
        }
        {
            std::optional<platform::Scripted_Responder> answers;
            if (platform::Scripted_Responder::active() == nullptr)
                answers.emplace();
            act();
        }
        if (target && target->isVisible()) {
            ADD_FAILURE() << "the dialog is still open after the test acted on it";
            Close_Modal_Windows();
        }
    });
    QTimer::singleShot(limit_ms, &dialog, [target] {
        if (target && target->isVisible()) {
            ADD_FAILURE() << "the dialog did not close";
            Close_Modal_Windows();
            if (target->isVisible())
                target->QDialog::reject();
        }
    });
}

} // namespace smx::test
