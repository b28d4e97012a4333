// kelvarn-cli: prints what the evaluation of a measurement file shows, as text.

#include <QCoreApplication>
#include <cstdio>

#include "CliCommands.h"

int main(int argc, char** argv) {
    // QCoreApplication takes the locale from the environment (LC_ALL, LANG).
    QCoreApplication app(argc, argv);
    const kelvarn::CliOutcome o = kelvarn::RunCli(app.arguments().mid(1));
    std::fwrite(o.out.constData(), 1, size_t(o.out.size()), stdout);
    std::fwrite(o.err.constData(), 1, size_t(o.err.size()), stderr);
    if (std::fflush(stdout) != 0 && o.exitCode == 0) return 1;
    return o.exitCode;
}
