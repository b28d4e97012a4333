#include "CliDocument.h"

#include <QDateTime>

#include "files/SystemPath.h"

namespace kelvarn {

bool OpenForCli(const QString& path, MeasurementDocument& doc, DocumentOpen& opened,
                CliOutcome& o) {
    ViewOptions options;
    options.eval.fmt = NumberFormat::FromLocale();
    doc.SetViewOptions(options);
    opened = doc.Open(path, QDateTime::currentDateTime());
    if (opened.result.ok) return true;
    o = CliFailure(1, opened.remarksFailed
                          ? MessageText(opened.result)
                          : DisplayPath(path) + QStringLiteral(": ") + opened.result.message);
    return false;
}

}  // namespace kelvarn
