#pragma once
#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <map>
#include <string>

namespace smx::test {

// Points HOME at a fresh folder (with its .config) and clears XDG_CONFIG_HOME and XDG_DATA_HOME
// for the lifetime of the object, so nothing touches the real home folder.
class Temporary_Home {
public:
    Temporary_Home() {
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            saved_[name] = qgetenv(name);
            set_[name] = qEnvironmentVariableIsSet(name);
        }
        home_ = dir_.path() + QStringLiteral("/home");
        QDir().mkpath(home_ + QStringLiteral("/.config"));
        qputenv("HOME", home_.toUtf8());
        qunsetenv("XDG_CONFIG_HOME");
        qunsetenv("XDG_DATA_HOME");
    }
    ~Temporary_Home() {
        for (const auto& [name, value] : saved_) {
            if (set_[name])
                qputenv(name.c_str(), value);
            else
                qunsetenv(name.c_str());
        }
    }
    Temporary_Home(const Temporary_Home&) = delete;
    Temporary_Home& operator=(const Temporary_Home&) = delete;

    const QString& home() const { return home_; }
    // A folder beside the home folder, for executables and other files.
    QString scratch() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QString home_;
    std::map<std::string, QByteArray> saved_;
    std::map<std::string, bool> set_;
};

} // namespace smx::test
