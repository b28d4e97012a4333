// kelvarn-cellshots OUTDIR
// Walks the road of a new user with the cell on the stored port (the demo's
// simulated cell when KELVARN_CONFIG_DIR names the demo folder): upload,
// start from the PC with program A, live views, "Zur Auswertung", read-out.
// Saves a picture at every step into OUTDIR and prints the status line.
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <cstdio>

#include "app/Seams.h"
#include "app/TForm1.h"

namespace {

class LoggingSeams : public kelvarn::Seams {
public:
    void Notice(QWidget*, const QString& text) override {
        std::printf("  message box: %s\n", qPrintable(text));
    }
    void Stop(QWidget*, const QString& text) override {
        std::printf("  stop box: %s\n", qPrintable(text));
    }
};

// Lets the event loop run for ms, as a user who watches.
void Watch(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Lets the event loop run until the window's command to the cell is over.
void Settle(const kelvarn::TForm1& form) {
    while (form.CellCommandRunning()) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: kelvarn-cellshots OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    LoggingSeams seams;
    kelvarn::TForm1 form(&seams);
    form.show();
    Watch(300);
    Settle(form);
    int n = 0;
    auto shot = [&](const char* name) {
        Watch(100);
        const QString path =
            QStringLiteral("%1/%2-%3.png").arg(out).arg(++n, 2, 10, QLatin1Char('0')).arg(name);
        form.grab().save(path);
        std::printf("%s: \"%s\"\n", qPrintable(path), qPrintable(form.StatusText()));
    };
    shot("start");

    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet13);
    emit form.Controls().SendProgButton->clicked();
    Watch(700);
    shot("uploading");
    Settle(form);
    shot("upload");
    emit form.Controls().Button2->clicked();
    Settle(form);
    shot("query");

    form.Controls().PageControl1->setCurrentWidget(form.Controls().TabSheet2);
    form.Controls().ProgBox->setCurrentIndex(0);
    emit form.Controls().Button1->clicked();
    Settle(form);
    Watch(3000);
    shot("live-digital");
    form.Controls().PageControl3->setCurrentWidget(form.Controls().TabSheet11);
    Watch(3000);
    shot("live-analog");
    form.Controls().PageControl3->setCurrentWidget(form.Controls().TabSheet12);
    Watch(5000);
    shot("live-distribution");
    form.Controls().PageControl3->setCurrentWidget(form.Controls().TabSheet11);
    shot("live-end");

    form.TakeOverLive();
    shot("taken-over");

    form.ReadOutCell();
    Watch(1500);
    shot("reading");
    Settle(form);
    shot("read-out");
    for (int i = 0; i < form.Controls().PageControl2->count(); ++i) {
        if (!form.Controls().PageControl2->isTabVisible(i)) continue;
        form.Controls().PageControl2->setCurrentIndex(i);
        shot("evaluation");
    }
    return 0;
}
