#include "cli/Report_Run.h"

#include "cli/Batch_Options.h"
#include "report/Report_Html.h"
#include "report/Report_Input.h"
#include "report/Report_Options.h"
#include "report/Report_Table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace smx::cli {
namespace {

void say(const QString& text) {
    std::fputs((QStringLiteral("speedmetrix: ") + text + QLatin1Char('\n')).toLocal8Bit(), stderr);
    std::fflush(stderr);
}

// A batch run's JSON is a few kilobytes; this is far more than any can be.
constexpr qint64 Input_Cap = 64 * 1024 * 1024;

struct Input {
    QByteArray bytes;
    QString error; // empty when read
};

// Reads an input whole, up to the cap. A regular file larger than the cap, and anything but a
// regular file or a pipe (a device such as /dev/zero, a directory, a socket), is refused before
// a byte is read; a pipe (process substitution of a remote run) is read until the cap.
Input read_input(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return {{},
                QStringLiteral("cannot be read (%1)")
                    .arg(QString::fromLocal8Bit(std::strerror(errno)))};
    auto kind_error = [](const struct stat& s) -> QString {
        if (!S_ISREG(s.st_mode) && !S_ISFIFO(s.st_mode))
            return QStringLiteral("cannot be read (not a regular file)");
        if (S_ISREG(s.st_mode) && s.st_size > Input_Cap)
            return QStringLiteral("cannot be read (larger than 64 MiB, far more than the JSON of a "
                                  "batch run)");
        return {};
    };
    if (QString why = kind_error(st); !why.isEmpty())
        return {{}, why};
    int fd;
    do
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return {{},
                QStringLiteral("cannot be read (%1)")
                    .arg(QString::fromLocal8Bit(std::strerror(errno)))};
    // What was opened, which may not be what was looked at.
    if (::fstat(fd, &st) != 0 || !kind_error(st).isEmpty()) {
        ::close(fd);
        return {{}, kind_error(st).isEmpty() ? QStringLiteral("cannot be read") : kind_error(st)};
    }
    Input in;
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::read(fd, chunk.data(), static_cast<std::size_t>(chunk.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            in.error = QStringLiteral("cannot be read (%1)")
                           .arg(QString::fromLocal8Bit(std::strerror(errno)));
            break;
        }
        if (n == 0)
            break;
        if (in.bytes.size() + n > Input_Cap) {
            in.error = QStringLiteral("cannot be read (larger than 64 MiB, far more than the JSON "
                                      "of a batch run)");
            break;
        }
        in.bytes.append(chunk.constData(), n);
    }
    ::close(fd);
    if (!in.error.isEmpty())
        in.bytes.clear();
    return in;
}

// The output files, all written or none: each is written whole to a temporary file beside it
// first, and only when every one of them is complete are they put in place. Should a later one
// still fail to be put in place, the earlier ones are put back as they were.
class Output_Files {
public:
    bool add(const QString& path, const QByteArray& bytes) {
        auto file = std::make_unique<QSaveFile>(path);
        // flush() hands the whole text to the system, so a full disk shows here, before any
        // file is replaced.
        if (!file->open(QIODevice::WriteOnly) || file->write(bytes) != bytes.size() ||
            !file->flush()) {
            say(QStringLiteral("%1: cannot be written (%2)").arg(path, file->errorString()));
            return false;
        }
        files_.push_back(std::move(file));
        return true;
    }

    bool commit() {
        // A hard link keeps each file that is about to be replaced, to put it back. A link at
        // the name is followed, as QSaveFile replaces what it points to.
        struct Kept {
            QByteArray path;
            bool existed = false;
            QByteArray backup; // empty: none could be made
        };
        std::vector<Kept> kept;
        for (const auto& file : files_) {
            const QFileInfo info(file->fileName());
            const QFileInfo target(info.isSymLink() && info.exists() ? info.canonicalFilePath()
                                                                     : info.absoluteFilePath());
            Kept k{QFile::encodeName(target.absoluteFilePath()), target.exists(), {}};
            if (k.existed) {
                const QByteArray backup = QFile::encodeName(
                    target.dir().filePath(QLatin1Char('.') + target.fileName() +
                                          QStringLiteral(".previous-%1").arg(::getpid())));
                ::unlink(backup.constData());
                if (::link(k.path.constData(), backup.constData()) == 0)
                    k.backup = backup;
            }
            kept.push_back(k);
        }
        std::size_t done = 0;
        for (; done < files_.size(); ++done)
            if (!files_[done]->commit()) {
                say(QStringLiteral("%1: cannot be written (%2)")
                        .arg(files_[done]->fileName(), files_[done]->errorString()));
                break;
            }
        const bool all = done == files_.size();
        for (std::size_t i = 0; i < kept.size(); ++i) {
            const Kept& k = kept[i];
            if (!all && i < done) {
                if (!k.backup.isEmpty())
                    ::rename(k.backup.constData(), k.path.constData());
                else if (!k.existed)
                    ::unlink(k.path.constData());
            } else if (!k.backup.isEmpty()) {
                ::unlink(k.backup.constData());
            }
        }
        files_.clear();
        return all;
    }

private:
    std::vector<std::unique_ptr<QSaveFile>> files_;
};

} // namespace

int Run_Report(const QStringList& arguments) {
    const report::Parsed_Report_Options parsed = report::Parse_Report_Arguments(arguments);
    if (!parsed.options) {
        say(parsed.error);
        std::fputs("Try 'speedmetrix --help' for more information.\n", stderr);
        return Exit_Bad_Usage;
    }
    const report::Report_Options& options = *parsed.options;

    // Every input is read and judged before anything is written.
    std::vector<report::Report_Run> runs;
    runs.reserve(static_cast<std::size_t>(options.inputs.size()));
    bool refused = false;
    for (const QString& path : options.inputs) {
        const Input input = read_input(path);
        if (!input.error.isEmpty()) {
            say(path + QStringLiteral(": ") + input.error);
            refused = true;
            continue;
        }
        const report::Read_Result read = report::Read_Run(input.bytes, path);
        if (!read.run) {
            say(path + QStringLiteral(": ") + read.error);
            refused = true;
            continue;
        }
        runs.push_back(*read.run);
    }
    if (refused) {
        say(QStringLiteral("no report written."));
        return Exit_Bad_Usage;
    }

    // Every output or none: the files are made whole beside their places, the table is printed,
    // and only then are the files put in place.
    const report::Table table = report::Build_Table(runs);
    Output_Files files;
    if (options.html && !files.add(*options.html, report::Report_Html(runs, QLocale()).toUtf8()))
        return Exit_Output_Failed;
    if (options.csv && !files.add(*options.csv, report::Csv_Text(table).toUtf8()))
        return Exit_Output_Failed;
    const QByteArray out = report::Table_Text(table).toUtf8();
    if (std::fwrite(out.constData(), 1, static_cast<std::size_t>(out.size()), stdout) !=
            static_cast<std::size_t>(out.size()) ||
        std::fflush(stdout) != 0) {
        say(QStringLiteral("the report could not be written to standard output."));
        return Exit_Output_Failed;
    }
    if (!files.commit())
        return Exit_Output_Failed;
    return Exit_Ok;
}

} // namespace smx::cli
