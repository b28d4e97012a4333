#pragma once

// Runs the built kelvarn-cli and collects what it printed.

#include <QByteArray>
#include <QProcess>
#include <QStringList>

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

}  // namespace kelvarn::test
