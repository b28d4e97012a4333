// kelvarn-shots OUTDIR [RECORDFILE [depth]]
// Shows the main window, optionally opens a measurement file, and saves a
// picture of every top-level tab and every evaluation tab into OUTDIR.
#include <QApplication>
#include <QDir>
#include <QTabWidget>
#include <QTimer>

#include "app/Seams.h"
#include "app/TForm1.h"
#include "widgets/Chart.h"

namespace {

class ScriptedSeams : public kelvarn::Seams {
public:
    QString file;
    QString OpenFileName(QWidget*, const QStringList&, const QString&) override { return file; }
    void Stop(QWidget*, const QString& text) override { qWarning("stop: %s", qPrintable(text)); }
    void Notice(QWidget*, const QString& text) override {
        qWarning("notice: %s", qPrintable(text));
    }
};

void Save(QWidget& w, const QString& path) {
    QApplication::processEvents();
    w.grab().save(path);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        qWarning("usage: kelvarn-shots OUTDIR [RECORDFILE]");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    ScriptedSeams seams;
    kelvarn::TForm1 form(&seams);
    form.show();
    QApplication::processEvents();
    if (argc > 2) {
        seams.file = QString::fromLocal8Bit(argv[2]);
        form.N1Click();
    }
    if (argc > 3 && QByteArray(argv[3]) == "depth")
        for (kelvarn::TChart* chart : form.BigCharts()) chart->SetDepthView(true);
    for (int i = 0; i < form.Controls().PageControl1->count(); ++i) {
        form.Controls().PageControl1->setCurrentIndex(i);
        Save(form, QStringLiteral("%1/tab%2.png").arg(out).arg(i));
    }
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet4);
    for (int i = 0; i < form.Controls().PageControl2->count(); ++i) {
        if (!form.Controls().PageControl2->isTabVisible(i)) continue;
        form.Controls().PageControl2->setCurrentIndex(i);
        Save(form, QStringLiteral("%1/eval%2.png").arg(out).arg(i));
    }
    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet2);
    for (int i = 0; i < form.Controls().PageControl3->count(); ++i) {
        form.Controls().PageControl3->setCurrentIndex(i);
        Save(form, QStringLiteral("%1/direkt%2.png").arg(out).arg(i));
    }
    return 0;
}
