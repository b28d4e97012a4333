// "&Öffnen ..." and "&Speichern als ...": the measurement file and the
// remarks file beside it; files named on the command line or dropped on the
// window open the same way.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include "app/FileDrop.h"
#include "app/TForm1.h"
#include "files/CommandResult.h"
#include "files/MeasurementFile.h"
#include "files/ProtocolFile.h"
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
    const DocumentOpen opened = document_.Open(path, seams_->Now());
    if (!opened.result.ok) {
        ShowFailure(opened.result);
        return;
    }
    if (seams_->CtrlHeld())
        seams_->Notice(this, InformationLine(document_.ProposedSaveName(), document_.Record()));
    ShowTime();
    if (opened.protocol.state == ProtocolLoad::kUnreadable)
        seams_->Stop(this, WithFullStop(opened.protocol.message) +
                               QStringLiteral(" Die Messung wurde ohne Protokoll geöffnet."));
}

void TForm1::WireFiles() {
    // The field keeps rich text in a form of its own: the document is handed back the text as
    // the field holds it, so that the text shown unchanged is no change.
    const auto showDescription = [this] {
        ToDocument(document_.Description(), *RichEdit1->document());
        document_.DescriptionShown(FromDocument(*RichEdit1->document()));
    };
    showDescription();
    connect(&document_, &MeasurementDocument::DescriptionReplaced, this, showDescription);
    connect(&document_, &MeasurementDocument::StateChanged, this, [this] { UpdateTitle(); });

    new FileDropFilter(this, [this](const QString& path) {
        if (MayReplaceWork()) OpenMeasurementFile(path);
    });
    // Typing marks the title; typing it back clears the mark. The check compares the whole
    // description with the one kept, so it waits until the typing pauses: a long description
    // would otherwise slow every key.
    titleCheck_ = new QTimer(this);
    titleCheck_->setSingleShot(true);
    titleCheck_->setInterval(200);
    connect(titleCheck_, &QTimer::timeout, this, [this] { SyncDescription(); });
    connect(RichEdit1->document(), &QTextDocument::contentsChanged, titleCheck_,
            qOverload<>(&QTimer::start));
}

void TForm1::SyncDescription() {
    titleCheck_->stop();
    document_.SetDescription(FromDocument(*RichEdit1->document()));
}

void TForm1::Speichern1Click() {
    QString path = seams_->SaveFileName(this, QStringLiteral("Speichern als ..."),
                                        QStringLiteral("Lärmdateien (*.dba)"),
                                        document_.ProposedSaveName(), DialogFolder());
    if (path.isEmpty()) return;
    RememberFolder(path);
    path = WithExtension(path, QStringLiteral(".dba"));
    const QString saved = SystemPath(path);

    // The protocol file that could not be read when the measurement was opened holds what this
    // program could not make sense of: it is replaced only when the user agrees.
    const bool replaceProtocol =
        document_.SaveWouldReplaceUnreadableProtocol(saved) &&
        seams_->Ask(this, ApplicationTitle(),
                    QStringLiteral("Das Protokoll \"%1\" konnte beim Öffnen nicht gelesen werden. "
                                   "Soll es durch das Protokoll dieser Messung ersetzt werden?")
                        .arg(DisplayPath(ProtocolFileName(saved))));
    SyncDescription();
    const CommandResult r = document_.Save(saved, replaceProtocol);
    if (!r.ok) ShowFailure(r);
}

void TForm1::UpdateTitle() {
    const QString title = document_.Named()
                              ? kProductName + QStringLiteral(" - ") + document_.ProposedSaveName()
                              : QStringLiteral("Kelvarn");
    // The placeholder only while there is something to mark: the title as the system shows it
    // is the same, and read back unmarked it is the plain name.
    const bool unsaved = document_.IsModified();
    setWindowTitle(unsaved ? title + QStringLiteral("[*]") : title);
    setWindowModified(unsaved);
}

QString TForm1::DialogFolder() const {
    if (!document_.FilePath().isEmpty()) {
        const QFileInfo file(document_.FilePath());
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
