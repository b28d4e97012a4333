#pragma once

// Runs the built kelvarn-cli and collects what it printed.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdlib>
#include <functional>
#include <vector>

namespace kelvarn::test {

struct CliRun {
    int exitCode = -1;
    QByteArray out, err;
};

inline CliRun RunKelvarnCli(const QStringList& args, const QProcessEnvironment& env =
                                                         QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KELVARN_BIN_DIR "/tools/cli/kelvarn-cli"), args);
    CliRun r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        r.err = "did not finish";
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

// The same with the arguments as bytes, so names that are not UTF-8 reach the program as they
// are; env holds "NAME=value" settings added to the test's environment, and prepare runs in
// the child just before the program starts (limits). Ended after 30 s.
inline CliRun RunKelvarnCliBytes(const QList<QByteArray>& args, const QList<QByteArray>& env = {},
                                 const std::function<void()>& prepare = {}) {
    CliRun r;
    QTemporaryDir dir;
    const QByteArray outName = QFile::encodeName(dir.filePath(QStringLiteral("out")));
    const QByteArray errName = QFile::encodeName(dir.filePath(QStringLiteral("err")));
    std::vector<QByteArray> store{QByteArray(KELVARN_BIN_DIR "/tools/cli/kelvarn-cli")};
    for (const QByteArray& a : args) store.push_back(a);
    std::vector<char*> argv;
    for (QByteArray& s : store) argv.push_back(s.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> settings(env.begin(), env.end());
    std::vector<char*> assignments;
    for (QByteArray& s : settings) assignments.push_back(s.data());
    const pid_t pid = fork();
    if (pid < 0) return r;
    if (pid == 0) {
        const int out = ::open(outName.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errName.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0) _exit(126);
        dup2(out, 1);
        dup2(err, 2);
        for (char* a : assignments) putenv(a);
        if (prepare) prepare();
        alarm(30);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    QFile out(dir.filePath(QStringLiteral("out"))), err(dir.filePath(QStringLiteral("err")));
    if (out.open(QIODevice::ReadOnly)) r.out = out.readAll();
    if (err.open(QIODevice::ReadOnly)) r.err = err.readAll();
    return r;
}

}  // namespace kelvarn::test
