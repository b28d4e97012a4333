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
        error = QStringLiteral("--%1: erwartet eine ganze Zahl von %2 bis %3")
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
        "Antwortet auf einem Pseudo-Terminal wie die Zelle (oder eines der anderen\n"
        "Schnittstellengeräte des Herstellers), so dass Kelvarn und seine Tests mit ihr wie mit\n"
        "einer seriellen Schnittstelle sprechen. Eine Schnittstelle wird in KV.INI, Abschnitt\n"
        "[Ports], auf den Link gelegt, z. B. COM3=/tmp/cell.\n"
        "\n"
        "Die Zelle antwortet: 12 -> 240 (RQ410) oder 13 -> 1 (einfache Zelle); 7 n -> ein\n"
        "Kanalwert; 11 v setzt die Ausgänge; 5 lädt ein Messprogramm (je Byte eine\n"
        "Aufforderung, dann 1 und das Byte, zum Schluss 0; Kelvarns eigene Programme werden\n"
        "erkannt, andere Bytes so genommen, wie sie sind); 6 startet es; 2 gibt den Speicher\n"
        "aus (ein Byte je 1: acht Kopfbytes, dann die Messwerte; 0 beendet); 9 sendet je\n"
        "Messintervall des geladenen Programms ein Pegelbyte, bis der PC etwas sendet. Der\n"
        "Speicher hält eine reproduzierbare künstliche Messung des geladenen Programms oder die\n"
        "mit --memory angegebene Datei.\n"
        "\n"
        "Endet sauber bei SIGTERM oder SIGINT und entfernt dabei den Link."));
    p.addHelpOption();
    p.addVersionOption();
    p.addOptions({
        {QStringLiteral("link"),
         QStringLiteral("Pfad des Links auf das Terminal-Ende (erforderlich)."),
         QStringLiteral("pfad")},
        {QStringLiteral("device"),
         QStringLiteral("Was antwortet: rq410 (Vorgabe), cell (einfache Zelle), nera, peltrix, "
                        "vendra, tavinbox, orbide. Die Geräte antworten nur mit ihrer "
                        "Übertragungsrate (Zellen 9600, Peltrix 9600 oder 19200, die anderen "
                        "19200 Baud)."),
         QStringLiteral("name"), QStringLiteral("rq410")},
        {QStringLiteral("program"),
         QStringLiteral("Messprogramm, das die Zelle beim Start hält, A bis I (Vorgabe B)."),
         QStringLiteral("buchstabe"), QStringLiteral("B")},
        {QStringLiteral("seed"), QStringLiteral("Startwert der künstlichen Messung (Vorgabe 1)."),
         QStringLiteral("n"), QStringLiteral("1")},
        {QStringLiteral("memory"),
         QStringLiteral("Messdatei (.dba, 6146 Bytes), die der Speicher stattdessen hält; das "
                        "Übertragen eines bekannten Programms ersetzt sie."),
         QStringLiteral("datei")},
        {QStringLiteral("channel"),
         QStringLiteral("Wert jedes gelesenen Eingangskanals (Vorgabe 200)."), QStringLiteral("v"),
         QStringLiteral("200")},
        {QStringLiteral("silent"), QStringLiteral("Fehler: gar nichts antworten.")},
        {QStringLiteral("stop-read-after"),
         QStringLiteral("Fehler: nur die ersten k Anforderungen jedes Speicherlesens beantworten."),
         QStringLiteral("k")},
        {QStringLiteral("bad-header"),
         QStringLiteral("Fehler: der Speicherkopf meldet 0 Messwerte.")},
        {QStringLiteral("live-zero-after"),
         QStringLiteral("Fehler: im Live-Strom nach k Messwerten das Byte 0 senden."),
         QStringLiteral("k")},
        {QStringLiteral("hang-up-after"),
         QStringLiteral("Fehler: nach n empfangenen Bytes die Leitung fallen lassen "
                        "(Pseudo-Terminal schließen, Link entfernen, enden)."),
         QStringLiteral("n")},
        {QStringLiteral("answer-delay"),
         QStringLiteral("Fehler: jede Antwort geht ms Millisekunden nach ihrer Anforderung "
                        "hinaus (Kelvarn wartet 210 ms auf ein Byte). Live-Bytes behalten ihren "
                        "Takt."),
         QStringLiteral("ms")},
        {QStringLiteral("pace"),
         QStringLiteral("Jedes Byte braucht in beide Richtungen seine Leitungszeit, 11 Bitzeiten "
                        "bei der Übertragungsrate (1,146 ms bei 9600 Baud, 8N2): ein Byte des "
                        "Programms wird beantwortet, sobald es ganz angekommen ist. Die "
                        "Vorgabe.")},
        {QStringLiteral("unpaced"),
         QStringLiteral("Jedes Byte sofort nehmen und beantworten, ohne Leitungszeit.")},
        {QStringLiteral("log"),
         QStringLiteral("Jedes empfangene Byte unverändert in diese Datei schreiben."),
         QStringLiteral("datei")},
        {QStringLiteral("events"),
         QStringLiteral("Je Befehl eine lesbare Zeile in diese Datei schreiben."),
         QStringLiteral("datei")},
        {QStringLiteral("exit-after"),
         QStringLiteral("Nach so vielen Sekunden von selbst enden (ein Sicherheitsnetz für "
                        "Tests)."),
         QStringLiteral("sekunden")},
    });
    if (!p.parse(arguments)) {
        error = p.errorText();
        return false;
    }
    if (p.isSet(QStringLiteral("help"))) p.showHelp(0);
    if (p.isSet(QStringLiteral("version"))) p.showVersion();
    if (!p.positionalArguments().isEmpty()) {
        error = QStringLiteral("unerwartetes Argument: ") + p.positionalArguments().first();
        return false;
    }

    out.link = p.value(QStringLiteral("link"));
    if (out.link.isEmpty()) {
        error = QStringLiteral("--link fehlt");
        return false;
    }
    const auto device = SimDeviceFromName(p.value(QStringLiteral("device")));
    if (!device) {
        error = QStringLiteral("--device: unbekanntes Gerät ") + p.value(QStringLiteral("device"));
        return false;
    }
    out.cell.device = *device;

    const QString letter = p.value(QStringLiteral("program")).toUpper();
    if (letter.size() != 1 || letter[0] < QLatin1Char('A') || letter[0] > QLatin1Char('I')) {
        error = QStringLiteral("--program: erwartet einen Buchstaben von A bis I");
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
        error = QStringLiteral("--pace und --unpaced schließen einander aus");
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
                    QStringLiteral(": keine Messdatei (zu kurz)");
            return false;
        }
        out.cell.memoryFile.assign(bytes.begin(), bytes.end());
    }

    if (p.isSet(QStringLiteral("exit-after"))) {
        bool ok = false;
        out.exitAfter = p.value(QStringLiteral("exit-after")).toDouble(&ok);
        if (!ok || out.exitAfter <= 0) {
            error = QStringLiteral("--exit-after: erwartet eine positive Zahl von Sekunden");
            return false;
        }
    }
    return true;
}

}  // namespace kelvarn
