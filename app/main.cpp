#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

#include "app/Program.h"
#include "app/TForm1.h"
#include "files/SystemPath.h"

namespace {

QStringList Arguments(int argc, char** argv) {
    QStringList args;
    // File names keep their bytes, also where they are not valid UTF-8.
    for (int i = 0; i < argc; ++i) args << kelvarn::PathFromSystem(QByteArray(argv[i]));
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    const QString name = QStringLiteral("Kelvarn");
    {
        // --help and --version answer without a display, so they work on a
        // console and in package checks as well.
        kelvarn::StartCommandLine early;
        early.Parse(Arguments(argc, argv));
        if (early.WantsHelp() || early.WantsVersion()) {
            QCoreApplication app(argc, argv);
            kelvarn::SetUpProgram(app, name);
            kelvarn::StartCommandLine line;  // built again: its texts now German
            line.Parser().process(app);      // prints and ends the process
            return 0;
        }
    }

    QApplication app(argc, argv);
    kelvarn::SetUpProgram(app, name);
    // No display name: Qt would append it to every window title.
    QGuiApplication::setDesktopFileName(QStringLiteral("example.kelvarn.Kelvarn"));
    QApplication::setWindowIcon(kelvarn::ProgramIcon());

    kelvarn::StartCommandLine line;
    line.Parse(Arguments(argc, argv));  // Qt's own options taken out by now
    if (!line.Error().isEmpty()) {
        std::fprintf(stderr, "kelvarn: %s\n", qPrintable(line.Error()));
        return 1;
    }

    kelvarn::TForm1 form;
    form.show();
    if (!line.File().isEmpty()) {
        // Once the window is up, so any message box stands over it.
        QTimer::singleShot(0, &form,
                           [&form, file = line.File()] { form.OpenMeasurementFile(file); });
    }
    return app.exec();
}
