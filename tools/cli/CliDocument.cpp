#include "CliDocument.h"

#include <QDateTime>

namespace kelvarn {

bool OpenForCli(const QString& path, MeasurementDocument& doc, DocumentOpen& opened, CliOutcome& o,
                bool withoutDescription) {
    ViewOptions options;
    options.eval.fmt = NumberFormat::FromLocale();
    doc.SetViewOptions(options);
    opened = doc.Open(path, QDateTime::currentDateTime(),
                      withoutDescription ? MeasurementDocument::Remarks::kIfReadable
                                         : MeasurementDocument::Remarks::kRequired);
    if (!opened.remarksProblem.isEmpty()) o.err += CliErrorLine(opened.remarksProblem);
    if (opened.result.ok) return true;
    o.exitCode = 1;
    // The name as given, its bytes kept, so that a script finds the file by it.
    o.err +=
        CliErrorLine(opened.remarksFailed ? MessageText(opened.result)
                                          : path + QStringLiteral(": ") + opened.result.message);
    return false;
}

}  // namespace kelvarn
