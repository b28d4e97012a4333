// kelvarn-cli: prints what the evaluation of a measurement file shows, as text.

#include <QCoreApplication>
#include <QStringList>

#include "CheckedOutput.h"
#include "CliCommands.h"
#include "ReportCli.h"
#include "files/SystemPath.h"

int main(int argc, char** argv) {
    // The application takes the locale from the environment (LC_ALL, LANG).
    const auto app = kelvarn::CliApplication(argc, argv);
    // File names keep their bytes, also where they are not valid UTF-8.
    QStringList args;
    for (int i = 1; i < argc; ++i) args << kelvarn::PathFromSystem(QByteArray(argv[i]));
    const kelvarn::CliOutcome o = kelvarn::RunCli(args);
    return kelvarn::DeliverOutput(o.exitCode, o.out, o.err);
}
