#include "app/Seams.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRegularExpression>

namespace kelvarn {

QString ApplicationTitle() {
    return QStringLiteral("Kelvarn Testversion");
}

bool Seams::CtrlHeld() const {
    return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
}

bool Seams::Ask(QWidget* parent, const QString& caption, const QString& text) {
    return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void Seams::Notice(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, ApplicationTitle(), text, QMessageBox::Ok);
}

void Seams::Stop(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, ApplicationTitle(), text, QMessageBox::Ok);
}

QString Seams::OpenFileName(QWidget* parent, const QStringList& filters) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);  // a missing name is reported when opening
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setNameFilters(filters);
    // Files from Windows machines come in upper case, files saved here in
    // lower case: let the filters match both.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString Seams::SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                            const QString& proposedName) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    // The extension of the filter ("Lärmdateien (*.dba)" -> "dba") for a name typed without one.
    const qsizetype star = filter.indexOf(QLatin1String("*."));
    const QString suffix =
        star < 0 ? QString()
                 : filter.mid(star + 2).section(QRegularExpression(QStringLiteral("[^\\w]")), 0, 0);
    dialog.setDefaultSuffix(suffix.isEmpty() ? QStringLiteral("dba") : suffix);
    dialog.selectFile(proposedName);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

void Seams::PrintPreview(QWidget* parent, const std::function<void(QPrinter&)>& paint) {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Bericht drucken"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter* p) { paint(*p); });
    dialog.exec();
}

}  // namespace kelvarn
