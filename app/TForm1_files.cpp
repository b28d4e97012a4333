// "&Öffnen ..." and "&Speichern als ...": the measurement file and the
// remarks file beside it; files named on the command line or dropped on the
// window open the same way.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include "app/CloseGuard.h"
#include "app/FileDrop.h"
#include "app/TForm1.h"
#include "files/CommandResult.h"
#include "files/MeasurementFile.h"
#include "files/MeasurementWithRemarks.h"
#include "files/ProtocolFile.h"
#include "files/RemarksFile.h"
#include "files/SystemPath.h"
#include "link/SettingsFile.h"
#include "widgets/RichTextDocument.h"

namespace kelvarn {

namespace {

const QString kProductName = QStringLiteral("KELVARN");

// KV.INI: the folder of the last file chosen in a file dialog.
const QString kFolderSection = QStringLiteral("Dateien");
const QString kFolderKey = QStringLiteral("LetzterOrdner");

}  // namespace

void TForm1::N1Click() {
    if (!MayReplaceWork()) return;
    const QString chosen = seams_->OpenFileName(
        this, {QStringLiteral("Pegeldateien (*.DBA)"), QStringLiteral("Lärmdateien (*.DAT)")},
        DialogFolder());
    if (chosen.isEmpty()) return;
    RememberFolder(chosen);
    OpenMeasurementFile(chosen);
}

void TForm1::OpenMeasurementFile(const QString& chosen) {
    // The name as the system spells it, also where it is not valid UTF-8.
    const QString path = SystemPath(chosen);

    // Read into a copy: a failed open leaves the record as it was.
    MeasurementRecord scratch = CurrentRecord;
    CommandResult r = ReadMeasurementFile(path, scratch);
    if (!r.ok) {
        ShowFailure(r);
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
            ShowFailure(r);
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
    SetTitleName(name);
    if (seams_->CtrlHeld()) seams_->Notice(this, info);
    RecordFilePath = path;
    closeGuard_->MarkKept();
    ShowTime(N1);
    if (load.state == ProtocolLoad::kUnreadable)
        seams_->Stop(this, WithFullStop(load.message) +
                               QStringLiteral(" Die Messung wurde ohne Protokoll geöffnet."));
}

void TForm1::WireFiles() {
    new FileDropFilter(this, [this](const QString& path) {
        if (MayReplaceWork()) OpenMeasurementFile(path);
    });
    // Typing marks the title; typing it back clears the mark. The check compares the whole
    // description with the one kept, so it waits until the typing pauses: a long description
    // would otherwise slow every key.
    titleCheck_ = new QTimer(this);
    titleCheck_->setSingleShot(true);
    titleCheck_->setInterval(200);
    connect(titleCheck_, &QTimer::timeout, this, [this] { UpdateTitle(); });
    connect(RichEdit1->document(), &QTextDocument::contentsChanged, titleCheck_,
            qOverload<>(&QTimer::start));
}

void TForm1::Speichern1Click() {
    QString path = seams_->SaveFileName(this, QStringLiteral("Speichern als ..."),
                                        QStringLiteral("Lärmdateien (*.dba)"), ProposedSaveName,
                                        DialogFolder());
    if (path.isEmpty()) return;
    RememberFolder(path);
    if (QFileInfo(path).suffix().isEmpty() && !path.endsWith(QLatin1Char('.')))
        path += QStringLiteral(".dba");

    const QString saved = SystemPath(path);

    // The protocol file that could not be read when the measurement was opened holds what this
    // program could not make sense of: it is replaced only when the user agrees.
    const QString protocolPath = ProtocolFileName(saved);
    const bool replaceProtocol =
        protocolPath != unreadableProtocol_ || !RemarksFileExists(protocolPath) ||
        seams_->Ask(this, ApplicationTitle(),
                    QStringLiteral("Das Protokoll \"%1\" konnte beim Öffnen nicht gelesen werden. "
                                   "Soll es durch das Protokoll dieser Messung ersetzt werden?")
                        .arg(DisplayPath(protocolPath)));
    const RichText remarks = FromDocument(*RichEdit1->document());
    const CommandResult r = SaveMeasurementFiles(
        saved, {&CurrentRecord, &remarks, replaceProtocol ? &CurrentProtocol : nullptr});
    if (!r.ok) {
        ShowFailure(r);
        return;
    }
    // The measurement is now this file: its name in the title and the next dialogs, its
    // folder and date for what follows.
    if (replaceProtocol && protocolPath == unreadableProtocol_) unreadableProtocol_.clear();
    ProposedSaveName = DisplayPath(QFileInfo(saved).fileName());
    RecordFilePath = saved;
    closeGuard_->MarkKept(replaceProtocol);
    SetTitleName(ProposedSaveName);
}

void TForm1::SetTitleName(const QString& name) {
    titleName_ = name;
    UpdateTitle();
}

void TForm1::UpdateTitle() {
    const QString title = titleName_.isEmpty() ? QStringLiteral("Kelvarn")
                                               : kProductName + QStringLiteral(" - ") + titleName_;
    // The placeholder only while there is something to mark: the title as the system shows it
    // is the same, and read back unmarked it is the plain name.
    const bool unsaved = closeGuard_ && closeGuard_->HasUnsavedWork();
    setWindowTitle(unsaved ? title + QStringLiteral("[*]") : title);
    setWindowModified(unsaved);
}

QString TForm1::DialogFolder() const {
    if (!RecordFilePath.isEmpty()) {
        const QFileInfo file(RecordFilePath);
        if (file.absoluteDir().exists()) return file.absolutePath();
    }
    const QString last = ReadSetting(kFolderSection, kFolderKey);
    if (!last.isEmpty() && QFileInfo(last).isDir()) return last;
    return QDir::homePath();
}

void TForm1::RememberFolder(const QString& chosenPath) {
    const QString folder = QFileInfo(chosenPath).absolutePath();
    // The folder is a convenience: a settings file that cannot be written changes nothing else.
    if (ReadSetting(kFolderSection, kFolderKey) != folder)
        (void)WriteSetting(kFolderSection, kFolderKey, folder);
}

void TForm1::ShowFailure(const CommandResult& r) {
    seams_->Stop(this, MessageText(r));
}

}  // namespace kelvarn
