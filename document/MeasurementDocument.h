#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>
#include <functional>

#include "data/MeasurementRecord.h"
#include "data/Protocol.h"
#include "document/DocumentView.h"
#include "files/CommandResult.h"
#include "files/ProtocolFile.h"
#include "files/RichText.h"

namespace kelvarn {

// Where the measurement in hand came from.
enum class MeasurementOrigin {
    kNone,      // nothing yet: the empty record of the start
    kFile,      // opened from a measurement file
    kReadOut,   // read out of the cell
    kTakeOver,  // taken over from the live measurement
};

// How an open went. On failure the document is exactly as it was before.
struct DocumentOpen {
    CommandResult result;
    // The failure is the remarks file's, not the measurement file's.
    bool remarksFailed = false;
    // Opened without its description because the remarks file could not be read (only where
    // the open was asked to go on without it): why, as a failure's text reads.
    QString remarksProblem;
    // The protocol file beside the measurement: a file that cannot be read does not keep the
    // measurement from opening; it opens without one, and protocol.message says why.
    ProtocolLoad protocol;
};

// The one measurement the program works on: its record, its description, its protocol, where
// and when it came from, the name a save proposes, the file it is kept in, and whether it
// differs from what was last opened or saved. Views show it and hand edits back; opening and
// saving are its own operations and either happen whole or leave it as it was.
class MeasurementDocument : public QObject {
    Q_OBJECT

public:
    explicit MeasurementDocument(QObject* parent = nullptr);

    // The proposed name before anything was read, opened or saved, and after a read-out.
    static const QString kStartName;    // "ohnename.dba"
    static const QString kReadOutName;  // "OhneName.dba"

    const MeasurementRecord& Record() const { return record_; }
    // The description as the editor that shows it keeps it (see SetDescriptionForm).
    const RichText& Description() const { return description_; }
    const MeasurementProtocol& Protocol() const { return protocol_; }
    MeasurementOrigin Origin() const { return origin_; }
    // When the measurement came in: opened, read out or taken over; invalid before.
    const QDateTime& Arrived() const { return arrived_; }
    // The name a save proposes, without folder.
    const QString& ProposedSaveName() const { return proposedName_; }
    // Whether an open, a read-out or a save has named the measurement; before, it goes by the
    // program's name.
    bool Named() const { return named_; }
    // The measurement file the record is kept in: the one opened or last saved to; empty after
    // a read-out or a take-over, and before any file.
    const QString& FilePath() const { return filePath_; }
    // The record, the description or the protocol differs from what was last opened or saved
    // (or what the program started with). Compared by content: a description typed back to
    // what it was, or the same bytes read out again, lose nothing.
    bool IsModified() const;
    // The protocol file that the last open could not read; a save over it asks first.
    const QString& UnreadableProtocolFile() const { return unreadableProtocol_; }

    // What every face shows of the measurement: made anew when the record or the protocol
    // changes, before the signals that tell of the change.
    const DocumentView& View() const { return view_; }
    const ViewOptions& Options() const { return options_; }
    // Changes how the view is made (LeQ curves, number format, zone); only what depends on the
    // changed option is made anew.
    void SetViewOptions(const ViewOptions& options);

    // Opens the measurement file at path (a path as the system spells it) with its remarks file
    // and its protocol file. A failure at the measurement or the remarks file changes nothing;
    // an unreadable protocol opens the measurement with an empty protocol and says why.
    // A measurement without a remarks file has an empty description.
    // A command that never shows the description (a table, an export) may go on without it:
    // with kIfReadable a remarks file that cannot be read leaves the description empty and
    // says why in remarksProblem.
    enum class Remarks { kRequired, kIfReadable };
    DocumentOpen Open(const QString& path, const QDateTime& when,
                      Remarks remarks = Remarks::kRequired);

    // Whether a save at path would replace the protocol file that the last open could not read.
    bool SaveWouldReplaceUnreadableProtocol(const QString& path) const;
    // Saves record, description and protocol at path (SaveMeasurementFiles); the protocol file
    // that the last open could not read is left as it is unless replaceUnreadableProtocol.
    // On success the measurement is that file: its name is proposed, its path kept, and what
    // was written counts as saved. A failure changes nothing in the document.
    CommandResult Save(const QString& path, bool replaceUnreadableProtocol);

    // A record read out of the cell with the protocol made for it: named kReadOutName, with
    // the description "Bemerkungen hier ...", in no file.
    void ReadOut(const MeasurementRecord& record, const MeasurementProtocol& protocol,
                 const QDateTime& when);
    // A record taken over from the live measurement with its protocol: in no file; the name
    // and the description stay.
    void TakeOver(const MeasurementRecord& record, const MeasurementProtocol& protocol,
                  const QDateTime& when);

    // The description as its editor holds it now. No DescriptionReplaced: the editor has it.
    void SetDescription(const RichText& text);
    // The description as its editor holds it right after showing the document's: the same text
    // in the editor's own form (an editor may, for instance, always keep one paragraph). It
    // takes the place of the one shown without changing whether the work is saved, so that
    // the text handed back unchanged later is no change.
    void DescriptionShown(const RichText& shown);
    // An edit of the protocol.
    void SetProtocol(const MeasurementProtocol& protocol);
    void EditProtocol(const std::function<void(MeasurementProtocol&)>& edit);

signals:
    // The description was replaced by an open or a read-out; its editor shows the new one.
    // Told first, so that no view meets the new measurement beside the old description.
    void DescriptionReplaced();
    // A new measurement: record, protocol, origin and the time of arrival are new.
    void Replaced();
    void ProtocolChanged();
    // The proposed name, the file or whether the measurement is saved may have changed.
    void StateChanged();

private:
    void MarkKept(bool withProtocol);
    void RecordChanged();

    ViewOptions options_;
    DocumentView view_;

    MeasurementRecord record_;
    RichText description_;
    MeasurementProtocol protocol_;
    MeasurementOrigin origin_ = MeasurementOrigin::kNone;
    QDateTime arrived_;
    QString proposedName_ = kStartName;
    bool named_ = false;
    QString filePath_;
    QString unreadableProtocol_;

    // What was last opened or saved.
    MeasurementRecord keptRecord_;
    RichText keptDescription_;
    MeasurementProtocol keptProtocol_;
};

}  // namespace kelvarn
