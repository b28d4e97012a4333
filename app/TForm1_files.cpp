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
#include "files/RemarksFile.h"
#include "files/SystemPath.h"
#include "widgets/RichTextDocument.h"

namespace kelvarn {

namespace {

const QString kProductName = QStringLiteral("KELVARN");

}  // namespace

void TForm1::N1Click() {
    if (!MayReplaceWork()) return;
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

    const QString info = InformationLine(name, CurrentRecord);
    setWindowTitle(kProductName + QStringLiteral(" - ") + name);
    if (seams_->CtrlHeld()) seams_->Notice(this, info);
    RecordFilePath = path;
    closeGuard_->MarkKept();
    ShowTime(N1);
}

void TForm1::WireFiles() {
    new FileDropFilter(this, [this](const QString& path) {
        if (MayReplaceWork()) OpenMeasurementFile(path);
    });
}

void TForm1::Speichern1Click() {
    QString path = seams_->SaveFileName(this, QStringLiteral("Speichern als ..."),
                                        QStringLiteral("Lärmdateien (*.dba)"), ProposedSaveName);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty() && !path.endsWith(QLatin1Char('.')))
        path += QStringLiteral(".dba");

    const CommandResult r = SaveMeasurementWithRemarks(SystemPath(path), CurrentRecord,
                                                       FromDocument(*RichEdit1->document()));
    if (!r.ok) {
        seams_->Stop(this, WithFullStop(r.message));
        return;
    }
    closeGuard_->MarkKept();
}

}  // namespace kelvarn
