// "&Öffnen ..." and "&Speichern als ...": the measurement file and the
// remarks file beside it; files named on the command line or dropped on the
// window open the same way.
#include <QFileInfo>
#include <QTextEdit>

#include "app/CloseGuard.h"
#include "app/FileDrop.h"
#include "app/TForm1.h"
#include "files/CommandResult.h"
#include "files/MeasurementFile.h"
#include "files/MeasurementWithRemarks.h"
#include "files/ProtocolFile.h"
#include "files/RemarksFile.h"
#include "files/SystemPath.h"
#include "widgets/RichTextDocument.h"

namespace kelvarn {

namespace {

const QString kProductName = QStringLiteral("KELVARN");

}  // namespace

void TForm1::N1Click() {
    const QString chosen = seams_->OpenFileName(
        this, {QStringLiteral("Pegeldateien (*.DBA)"), QStringLiteral("Lärmdateien (*.DAT)")});
    if (chosen.isEmpty()) return;
    OpenMeasurementFile(chosen);
}

void TForm1::OpenMeasurementFile(const QString& chosen) {
    // The name as the system spells it, also where it is not valid UTF-8.
    const QString path = SystemPath(chosen);

    // Read into a copy: a failed open leaves the record as it was.
    MeasurementRecord scratch = CurrentRecord;
    CommandResult r = ReadMeasurementFile(path, scratch);
    if (!r.ok) {
        seams_->Stop(this, WithFullStop(r.message));
        return;
    }
    CurrentRecord = scratch;
    const QString name = DisplayPath(QFileInfo(path).fileName());
    ProposedSaveName = name;

    // A file without remarks has no description; the one shown before
    // belongs to another measurement.
    RichText text;
    const QString remarks = ExistingRemarksFile(path);
    if (!remarks.isEmpty()) {
        r = LoadRemarks(remarks, text);
        if (!r.ok) {
            seams_->Stop(this, WithFullStop(r.message));
            return;
        }
    }
    ToDocument(text, *RichEdit1->document());

    // A protocol that cannot be read does not keep the measurement from opening; it stays on
    // disk until a save is allowed to replace it.
    const QString protocolPath = ProtocolFileName(path);
    MeasurementProtocol protocol;
    const ProtocolLoad load = ReadProtocolFile(protocolPath, ShapeOf(CurrentRecord), protocol);
    CurrentProtocol = protocol;
    unreadableProtocol_ = load.state == ProtocolLoad::kUnreadable ? protocolPath : QString();

    const QString info = InformationLine(name, CurrentRecord);
    setWindowTitle(kProductName + QStringLiteral(" - ") + name);
    if (seams_->CtrlHeld()) seams_->Notice(this, info);
    RecordFilePath = path;
    closeGuard_->MarkKept();
    ShowTime(N1);
    if (load.state == ProtocolLoad::kUnreadable)
        seams_->Stop(this, WithFullStop(load.message) +
                               QStringLiteral(" Die Messung wurde ohne Protokoll geöffnet."));
}

void TForm1::WireFiles() {
    new FileDropFilter(this, [this](const QString& path) { OpenMeasurementFile(path); });
}

void TForm1::Speichern1Click() {
    QString path = seams_->SaveFileName(this, QStringLiteral("Speichern als ..."),
                                        QStringLiteral("Lärmdateien (*.dba)"), ProposedSaveName);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty() && !path.endsWith(QLatin1Char('.')))
        path += QStringLiteral(".dba");

    path = SystemPath(path);

    // The protocol file that could not be read when the measurement was opened holds what this
    // program could not make sense of: it is replaced only when the user agrees.
    const QString protocolPath = ProtocolFileName(path);
    const bool replaceProtocol =
        protocolPath != unreadableProtocol_ || !RemarksFileExists(protocolPath) ||
        seams_->Ask(this, ApplicationTitle(),
                    QStringLiteral("Das Protokoll \"%1\" konnte beim Öffnen nicht gelesen werden. "
                                   "Soll es durch das Protokoll dieser Messung ersetzt werden?")
                        .arg(DisplayPath(protocolPath)));
    const RichText remarks = FromDocument(*RichEdit1->document());
    const CommandResult r = SaveMeasurementFiles(
        path, {&CurrentRecord, &remarks, replaceProtocol ? &CurrentProtocol : nullptr});
    if (!r.ok) {
        seams_->Stop(this, WithFullStop(r.message));
        return;
    }
    if (replaceProtocol && protocolPath == unreadableProtocol_) unreadableProtocol_.clear();
    closeGuard_->MarkKept(replaceProtocol);
}

}  // namespace kelvarn
