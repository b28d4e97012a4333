#include "document/MeasurementDocument.h"

#include <QFileInfo>

#include "files/MeasurementFile.h"
#include "files/MeasurementWithRemarks.h"
#include "files/RemarksFile.h"
#include "files/SystemPath.h"

namespace kelvarn {

const QString MeasurementDocument::kStartName = QStringLiteral("ohnename.dba");
const QString MeasurementDocument::kReadOutName = QStringLiteral("OhneName.dba");

namespace {

// The name of a measurement file without its folder, as it is shown.
QString ShownName(const QString& path) {
    return DisplayPath(QFileInfo(path).fileName());
}

}  // namespace

MeasurementDocument::MeasurementDocument(QObject* parent)
    : QObject(parent), description_(RichText::FromPlainText(QStringLiteral("Beschreibung\n"))) {
    options_.eval.fmt = NumberFormat::FromLocale();
    RecordChanged();
    MarkKept(true);
}

void MeasurementDocument::RecordChanged() {
    view_ = MakeView(record_, protocol_, options_);
}

void MeasurementDocument::SetViewOptions(const ViewOptions& options) {
    const bool leqOnly = options.zone == options_.zone &&
                         options.eval.fmt.DecimalPoint() == options_.eval.fmt.DecimalPoint();
    if (leqOnly && options.eval.leqBox == options_.eval.leqBox &&
        options.eval.leq12Box == options_.eval.leq12Box)
        return;
    options_ = options;
    if (leqOnly)
        UpdateViewForLeq(view_, record_, options_);
    else
        RecordChanged();
}

bool MeasurementDocument::IsModified() const {
    return !(record_ == keptRecord_) || !(protocol_ == keptProtocol_) ||
           !(description_ == keptDescription_);
}

void MeasurementDocument::MarkKept(bool withProtocol) {
    keptRecord_ = record_;
    keptDescription_ = description_;
    if (withProtocol) keptProtocol_ = protocol_;
}

DocumentOpen MeasurementDocument::Open(const QString& path, const QDateTime& when,
                                       Remarks remarksUse) {
    DocumentOpen out;
    // Everything is read before anything changes: a failure at any file leaves the
    // measurement in hand whole.
    MeasurementRecord record;
    out.result = ReadMeasurementFile(path, record);
    if (!out.result.ok) return out;
    // A file without remarks has no description; the one shown before belongs to another
    // measurement.
    RichText description;
    const QString remarks = ExistingRemarksFile(path);
    if (!remarks.isEmpty()) {
        out.result = LoadRemarks(remarks, description);
        if (!out.result.ok && remarksUse == Remarks::kIfReadable) {
            out.remarksProblem = MessageText(out.result);
            out.result = CommandResult::Success();
            description = RichText();
        }
        out.remarksFailed = !out.result.ok;
        if (!out.result.ok) return out;
    }
    const QString protocolPath = ProtocolFileName(path);
    MeasurementProtocol protocol;
    out.protocol = ReadProtocolFile(protocolPath, ShapeOf(record), protocol);

    record_ = record;
    description_ = description;
    protocol_ = protocol;
    origin_ = MeasurementOrigin::kFile;
    arrived_ = when;
    proposedName_ = ShownName(path);
    named_ = true;
    filePath_ = path;
    // The file that could not be read stays on disk until a save is allowed to replace it.
    unreadableProtocol_ =
        out.protocol.state == ProtocolLoad::kUnreadable ? protocolPath : QString();
    RecordChanged();
    MarkKept(true);
    emit DescriptionReplaced();
    emit Replaced();
    emit ProtocolChanged();
    emit StateChanged();
    return out;
}

bool MeasurementDocument::SaveWouldReplaceUnreadableProtocol(const QString& path) const {
    const QString protocolPath = ProtocolFileName(path);
    return !unreadableProtocol_.isEmpty() && protocolPath == unreadableProtocol_ &&
           RemarksFileExists(protocolPath);
}

CommandResult MeasurementDocument::Save(const QString& path, bool replaceUnreadableProtocol) {
    const bool withProtocol =
        replaceUnreadableProtocol || !SaveWouldReplaceUnreadableProtocol(path);
    CommandResult r =
        SaveMeasurementFiles(path, {&record_, &description_, withProtocol ? &protocol_ : nullptr});
    if (!r.ok) return r;
    if (withProtocol && ProtocolFileName(path) == unreadableProtocol_) unreadableProtocol_.clear();
    // The measurement is now this file: its name for the next dialogs, its folder and date for
    // what follows.
    proposedName_ = ShownName(path);
    named_ = true;
    filePath_ = path;
    // A protocol left unwritten is still not in any file.
    MarkKept(withProtocol);
    emit StateChanged();
    return r;
}

void MeasurementDocument::ReadOut(const MeasurementRecord& record,
                                  const MeasurementProtocol& protocol, const QDateTime& when) {
    record_ = record;
    protocol_ = protocol;
    description_ = RichText::FromPlainText(QStringLiteral("Bemerkungen hier ..."));
    origin_ = MeasurementOrigin::kReadOut;
    arrived_ = when;
    proposedName_ = kReadOutName;
    named_ = true;
    filePath_.clear();
    unreadableProtocol_.clear();
    RecordChanged();
    emit DescriptionReplaced();
    emit Replaced();
    emit ProtocolChanged();
    emit StateChanged();
}

void MeasurementDocument::TakeOver(const MeasurementRecord& record,
                                   const MeasurementProtocol& protocol, const QDateTime& when) {
    record_ = record;
    protocol_ = protocol;
    origin_ = MeasurementOrigin::kTakeOver;
    arrived_ = when;
    // No file holds this record, so none has a date for it; a save still proposes the name
    // in hand.
    filePath_.clear();
    RecordChanged();
    emit Replaced();
    emit ProtocolChanged();
    emit StateChanged();
}

void MeasurementDocument::SetDescription(const RichText& text) {
    if (text == description_) return;
    description_ = text;
    emit StateChanged();
}

void MeasurementDocument::DescriptionShown(const RichText& shown) {
    if (description_ == keptDescription_) keptDescription_ = shown;
    description_ = shown;
}

void MeasurementDocument::SetProtocol(const MeasurementProtocol& protocol) {
    if (protocol == protocol_) return;
    // Texts, people and the calibration are in no figure: a keystroke in "Messort" recomputes
    // nothing.
    const auto figuresPart = [](MeasurementProtocol p) {
        p.site = p.operator_ = p.instrument = p.purpose = p.weather = QString();
        p.calibration = {};
        return p;
    };
    const bool affectsView = !(figuresPart(protocol) == figuresPart(protocol_));
    protocol_ = protocol;
    if (affectsView) UpdateViewForProtocol(view_, record_, protocol_, options_);
    emit ProtocolChanged();
    emit StateChanged();
}

void MeasurementDocument::EditProtocol(const std::function<void(MeasurementProtocol&)>& edit) {
    MeasurementProtocol p = protocol_;
    edit(p);
    SetProtocol(p);
}

}  // namespace kelvarn
