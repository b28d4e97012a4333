#include "tools/cellsim/SimOptions.h"

#include <QCommandLineParser>
#include <QFile>

namespace kelvarn {

namespace {

bool IntOption(const QCommandLineParser& p, const QString& name, long long min, long long max,
               long long& out, QString& error) {
    if (!p.isSet(name)) return true;
    bool ok = false;
    const long long v = p.value(name).toLongLong(&ok);
    if (!ok || v < min || v > max) {
        error = QStringLiteral("--%1: expected a whole number from %2 to %3")
                    .arg(name)
                    .arg(min)
                    .arg(max);
        return false;
    }
    out = v;
    return true;
}

}  // namespace

bool ParseSimOptions(const QStringList& arguments, SimOptions& out, QString& error) {
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Answers on a pseudo-terminal as the cell does (or one of the maker's other interface\n"
        "devices), so Kelvarn and its tests can talk to it as to a serial port. Map a port to\n"
        "the link in KV.INI, section [Ports], e.g. COM3=/tmp/cell.\n"
        "\n"
        "The cell answers: 12 -> 240 (RQ410) or 13 -> 1 (plain cell); 7 n -> a channel value;\n"
        "11 v sets the outputs; 5 loads a program (a prompt per byte, then 1 and the byte,\n"
        "closing 0; Kelvarn's own programs are recognised, other bytes are taken as they\n"
        "are); 6 runs it; 2 hands out the memory (one byte per 1: eight header bytes, then the\n"
        "samples; 0 ends); 9 streams one level byte per sampling interval of the loaded\n"
        "program until the PC sends anything. The memory holds a reproducible synthetic\n"
        "measurement of the loaded program, or the file given with --memory.\n"
        "\n"
        "Stops cleanly on SIGTERM or SIGINT, removing the link."));
    p.addHelpOption();
    p.addVersionOption();
    p.addOptions({
        {QStringLiteral("link"), QStringLiteral("Path of the link to the terminal end (required)."),
         QStringLiteral("path")},
        {QStringLiteral("device"),
         QStringLiteral("What answers: rq410 (default), cell (plain cell), nera, peltrix, vendra, "
                        "tavinbox, orbide. Devices answer only at their line speed (cells 9600, "
                        "Peltrix 9600 or 19200, the others 19200)."),
         QStringLiteral("name"), QStringLiteral("rq410")},
        {QStringLiteral("program"),
         QStringLiteral("Program the cell holds at start, A to I (default B)."),
         QStringLiteral("letter"), QStringLiteral("B")},
        {QStringLiteral("seed"), QStringLiteral("Seed of the synthetic measurement (default 1)."),
         QStringLiteral("n"), QStringLiteral("1")},
        {QStringLiteral("memory"),
         QStringLiteral("Measurement file (.dba, 6146 bytes) the memory holds instead; an "
                        "upload of a known program replaces it."),
         QStringLiteral("file")},
        {QStringLiteral("channel"),
         QStringLiteral("Value of every input channel read (default 200)."), QStringLiteral("v"),
         QStringLiteral("200")},
        {QStringLiteral("silent"), QStringLiteral("Fault: answer nothing at all.")},
        {QStringLiteral("stop-read-after"),
         QStringLiteral("Fault: answer only the first k requests of each memory read."),
         QStringLiteral("k")},
        {QStringLiteral("bad-header"),
         QStringLiteral("Fault: the memory header reports 0 samples.")},
        {QStringLiteral("live-zero-after"),
         QStringLiteral("Fault: send the byte 0 in the live stream after k samples."),
         QStringLiteral("k")},
        {QStringLiteral("hang-up-after"),
         QStringLiteral("Fault: drop the line (close the pseudo-terminal, remove the link, end) "
                        "after n bytes received."),
         QStringLiteral("n")},
        {QStringLiteral("answer-delay"),
         QStringLiteral("Fault: every answer leaves ms milliseconds after its request arrived "
                        "(Kelvarn waits 210 ms for a byte). Live bytes keep their pace."),
         QStringLiteral("ms")},
        {QStringLiteral("pace"),
         QStringLiteral("Each byte takes its line time both ways, 11 bit times at the line "
                        "speed (1.146 ms at 9600 baud, 8N2): a byte from the program is "
                        "answered once it has wholly arrived. The default.")},
        {QStringLiteral("unpaced"),
         QStringLiteral("Take and answer every byte at once, without line time.")},
        {QStringLiteral("log"), QStringLiteral("Write every byte received, raw, to this file."),
         QStringLiteral("file")},
        {QStringLiteral("events"),
         QStringLiteral("Write one readable line per command to this file."),
         QStringLiteral("file")},
        {QStringLiteral("exit-after"),
         QStringLiteral("End by itself after this many seconds (a safety net for tests)."),
         QStringLiteral("seconds")},
    });
    if (!p.parse(arguments)) {
        error = p.errorText();
        return false;
    }
    if (p.isSet(QStringLiteral("help"))) p.showHelp(0);
    if (p.isSet(QStringLiteral("version"))) p.showVersion();
    if (!p.positionalArguments().isEmpty()) {
        error = QStringLiteral("unexpected argument: ") + p.positionalArguments().first();
        return false;
    }

    out.link = p.value(QStringLiteral("link"));
    if (out.link.isEmpty()) {
        error = QStringLiteral("--link is required");
        return false;
    }
    const auto device = SimDeviceFromName(p.value(QStringLiteral("device")));
    if (!device) {
        error = QStringLiteral("--device: unknown device ") + p.value(QStringLiteral("device"));
        return false;
    }
    out.cell.device = *device;

    const QString letter = p.value(QStringLiteral("program")).toUpper();
    if (letter.size() != 1 || letter[0] < QLatin1Char('A') || letter[0] > QLatin1Char('I')) {
        error = QStringLiteral("--program: expected a letter from A to I");
        return false;
    }
    out.cell.program = letter[0].unicode() - 'A' + 1;

    long long seed = 1, channel = 200, stopRead = -1, liveZero = -1, answerDelay = 0;
    if (!IntOption(p, QStringLiteral("seed"), 0, 0xFFFFFFFFLL, seed, error) ||
        !IntOption(p, QStringLiteral("channel"), 0, 255, channel, error) ||
        !IntOption(p, QStringLiteral("stop-read-after"), 0, 1 << 20, stopRead, error) ||
        !IntOption(p, QStringLiteral("live-zero-after"), 0, 1 << 20, liveZero, error) ||
        !IntOption(p, QStringLiteral("hang-up-after"), 0, 1LL << 40, out.hangUpAfter, error) ||
        !IntOption(p, QStringLiteral("answer-delay"), 0, 60000, answerDelay, error))
        return false;
    out.answerDelayMs = int(answerDelay);
    out.cell.seed = uint32_t(seed);
    out.cell.channelValue = int(channel);
    out.cell.stopReadAfter = int(stopRead);
    out.cell.liveZeroAfter = int(liveZero);
    out.cell.silent = p.isSet(QStringLiteral("silent"));
    out.cell.badHeader = p.isSet(QStringLiteral("bad-header"));
    if (p.isSet(QStringLiteral("pace")) && p.isSet(QStringLiteral("unpaced"))) {
        error = QStringLiteral("--pace and --unpaced exclude each other");
        return false;
    }
    out.paced = !p.isSet(QStringLiteral("unpaced"));
    out.byteLog = p.value(QStringLiteral("log"));
    out.eventLog = p.value(QStringLiteral("events"));

    if (p.isSet(QStringLiteral("memory"))) {
        QFile f(p.value(QStringLiteral("memory")));
        if (!f.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("--memory: ") + f.fileName() + QStringLiteral(": ") +
                    f.errorString();
            return false;
        }
        const QByteArray bytes = f.readAll();
        if (bytes.size() < 10) {
            error = QStringLiteral("--memory: ") + f.fileName() +
                    QStringLiteral(": not a measurement file (too short)");
            return false;
        }
        out.cell.memoryFile.assign(bytes.begin(), bytes.end());
    }

    if (p.isSet(QStringLiteral("exit-after"))) {
        bool ok = false;
        out.exitAfter = p.value(QStringLiteral("exit-after")).toDouble(&ok);
        if (!ok || out.exitAfter <= 0) {
            error = QStringLiteral("--exit-after: expected a positive number of seconds");
            return false;
        }
    }
    return true;
}

}  // namespace kelvarn
