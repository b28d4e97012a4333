// Every program answers --version with its name and the project's version,
// and --help with its German usage, without a display.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

namespace {

struct Program {
    const char* path;  // below the build folder
    const char* name;  // as --version prints it
    const char* helpLine;
};

const Program kPrograms[] = {
    {"/kelvarn", "Kelvarn", "[DATEI]"},
    {"/tools/cli/kelvarn-cli", "kelvarn-cli", "kelvarn-cli table DATEI NAME"},
    {"/tools/cellsim/kelvarn-cellsim", "kelvarn-cellsim", "--link <pfad>"},
};

struct Outcome {
    int exitCode = -1;
    QByteArray out;
};

Outcome Start(const char* path, const QString& option) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KELVARN_BIN_DIR) + QLatin1String(path), {option});
    Outcome r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    return r;
}

}  // namespace

TEST(VersionTest, EveryProgramNamesItsVersion) {
    for (const Program& program : kPrograms) {
        SCOPED_TRACE(program.name);
        const Outcome version = Start(program.path, QStringLiteral("--version"));
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.out, QByteArray(program.name) + " " KELVARN_VERSION "\n");

        const Outcome help = Start(program.path, QStringLiteral("--help"));
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_TRUE(help.out.contains("-v, --version")) << help.out.toStdString();
        EXPECT_TRUE(help.out.contains(program.helpLine)) << help.out.toStdString();
        // The parser's own headings in German too.
        EXPECT_TRUE(help.out.contains("Optionen:")) << help.out.toStdString();
    }
}
