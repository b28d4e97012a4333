#pragma once

// Starting kelvarn-cellsim from tests, and a settings folder whose [Ports]
// section points COMn at simulators.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <set>
#include <vector>

#include "link/SettingsFile.h"

namespace kelvarn::test {

// QSerialPort wants an event dispatcher on its thread even when used
// blocking, as the program's window provides one.
inline void EnsureCoreApplication() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "tool_tests";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);  // lives as long as the process
}

inline QString SimulatorPath() {
    return QStringLiteral(KELVARN_BIN_DIR) + QStringLiteral("/tools/cellsim/kelvarn-cellsim");
}

// Runs a program to its end; its exit code, and stdout and stderr together.
inline int RunToEnd(const QString& program, const QStringList& args, QByteArray* output = nullptr) {
    std::vector<QByteArray> store{QFile::encodeName(program)};
    for (const QString& a : args) store.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& s : store) argv.push_back(s.data());
    argv.push_back(nullptr);
    int pipeFd[2];
    if (pipe(pipeFd) != 0) return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFd[1], 1);
        dup2(pipeFd[1], 2);
        close(pipeFd[0]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFd[1]);
    QByteArray out;
    char buf[4096];
    ssize_t n;
    while ((n = read(pipeFd[0], buf, sizeof buf)) > 0) out.append(buf, int(n));
    close(pipeFd[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (output) *output = out;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// One simulator on a link path; stopped with SIGTERM when it goes.
class Simulator {
public:
    Simulator(const QString& link, const QStringList& args) : link_(link) {
        QStringList all{QStringLiteral("--link"), link, QStringLiteral("--exit-after"),
                        QStringLiteral("120")};
        all << args;
        std::vector<QByteArray> store{QFile::encodeName(SimulatorPath())};
        for (const QString& a : all) store.push_back(a.toLocal8Bit());
        std::vector<char*> argv;
        for (QByteArray& s : store) argv.push_back(s.data());
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ == 0) {
            execv(argv[0], argv.data());
            _exit(127);
        }
        // Ready when the link is there.
        QElapsedTimer t;
        t.start();
        while (!QFileInfo(link).isSymLink() && t.elapsed() < 5000 && Running()) QThread::msleep(5);
    }
    ~Simulator() { Stop(); }

    bool Ready() const { return QFileInfo(link_).isSymLink(); }
    bool Running() {
        if (pid_ <= 0) return false;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            pid_ = -1;
            return false;
        }
        return true;
    }
    // SIGTERM, then the exit code.
    int Stop() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            pid_ = -1;
        }
        return exitCode_;
    }

private:
    QString link_;
    pid_t pid_ = -1;
    int exitCode_ = -1;
};

// A temporary settings folder (KELVARN_CONFIG_DIR) with its own KV.INI.
class TempConfig {
public:
    TempConfig() { qputenv("KELVARN_CONFIG_DIR", dir_.path().toLocal8Bit()); }
    ~TempConfig() { qunsetenv("KELVARN_CONFIG_DIR"); }

    QString Path(const QString& name) const { return dir_.path() + QLatin1Char('/') + name; }
    // COMn -> path.
    void Map(int n, const QString& path) {
        WriteSetting(QStringLiteral("Ports"), QStringLiteral("COM%1").arg(n), path);
    }
    // Every COM1..COM16 not in `used` to a path that does not exist, so no
    // probe touches the machine's own ports.
    void MapOthersAway(const std::set<int>& used) {
        for (int n = 1; n <= 16; ++n)
            if (!used.count(n)) Map(n, Path(QStringLiteral("absent%1").arg(n)));
    }

private:
    QTemporaryDir dir_;
};

inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace kelvarn::test
