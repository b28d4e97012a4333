#include "app/Seams.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>

namespace kelvarn {

namespace {

// "Pegeldateien (*.DBA)" becomes "Pegeldateien (*.DBA *.dba)".
QStringList FiltersInBothCases(const QStringList& filters) {
    static const QRegularExpression pattern(QStringLiteral("\\(([^)]*)\\)$"));
    QStringList out;
    for (const QString& filter : filters) {
        const QRegularExpressionMatch m = pattern.match(filter);
        if (!m.hasMatch()) {
            out << filter;
            continue;
        }
        QStringList globs;
        for (const QString& glob : m.captured(1).split(QLatin1Char(' '), Qt::SkipEmptyParts))
            for (const QString& g : {glob, glob.toUpper(), glob.toLower()})
                if (!globs.contains(g)) globs << g;
        out << filter.left(m.capturedStart()) + QLatin1Char('(') + globs.join(QLatin1Char(' ')) +
                   QLatin1Char(')');
    }
    return out;
}

}  // namespace

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

Seams::SaveAnswer Seams::AskSaveChanges(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, ApplicationTitle(), text, QMessageBox::NoButton, parent);
    QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
    QPushButton* cancel = box.addButton(QStringLiteral("Abbrechen"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes) return SaveAnswer::Yes;
    if (box.clickedButton() == no) return SaveAnswer::No;
    return SaveAnswer::Cancel;
}

void Seams::Notice(QWidget* parent, const QString& text) {
    QMessageBox::information(parent, ApplicationTitle(), text, QMessageBox::Ok);
}

void Seams::Stop(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, ApplicationTitle(), text, QMessageBox::Ok);
}

QString Seams::OpenFileName(QWidget* parent, const QStringList& filters, const QString& folder) {
    QFileDialog dialog(parent);
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);  // a missing name is reported when opening
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setOption(QFileDialog::DontUseNativeDialog, !nativeDialogs);
    // Files from Windows machines come in upper case, files saved here in
    // lower case: let the filters match both. Qt's dialog can be told to
    // ignore case; the desktop's dialogs are given both spellings.
    dialog.setNameFilters(nativeDialogs ? FiltersInBothCases(filters) : filters);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString Seams::SaveFileName(QWidget* parent, const QString& title, const QString& filter,
                            const QString& proposedName, const QString& folder,
                            QString* chosenFilter) {
    QFileDialog dialog(parent, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = filter.split(QStringLiteral(";;"));
    const QStringList shown = nativeDialogs ? FiltersInBothCases(filters) : filters;
    dialog.setNameFilters(shown);
    // The extension of the chosen filter ("Lärmdateien (*.dba)" -> "dba") for a name typed
    // without one.
    const auto suffixOf = [](const QString& f) {
        const qsizetype star = f.indexOf(QLatin1String("*."));
        const QString suffix =
            star < 0 ? QString()
                     : f.mid(star + 2).section(QRegularExpression(QStringLiteral("[^\\w]")), 0, 0);
        return suffix.isEmpty() ? QStringLiteral("dba") : suffix;
    };
    dialog.setDefaultSuffix(suffixOf(filters.first()));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog, suffixOf](const QString& f) { dialog.setDefaultSuffix(suffixOf(f)); });
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    dialog.selectFile(proposedName);
    dialog.setOption(QFileDialog::DontUseNativeDialog, !nativeDialogs);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    if (chosenFilter) *chosenFilter = filters.value(shown.indexOf(dialog.selectedNameFilter()));
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
