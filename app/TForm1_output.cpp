// The copy and print entries of the context menus: each is one handler of
// the program, named here as it always was (without "Click"), and runs the
// code of its kind on its own control.
#include <QAction>

#include "app/TForm1.h"
#include "output/OutputCommands.h"

namespace kelvarn {

namespace {

struct OutputEntry {
    const char* handler;  // the menu entry's object name
    OutputKind kind;
    const char* control;  // object name of the control it works on
    ChartPaper paper = ChartPaper::OwnShape;
};

// The level and LeQ curves fill their page; the other charts keep the
// shape they have on screen.
const OutputEntry kOutputEntries[] = {
    // "Pegel"
    {"KopierenalsBitmap1", OutputKind::CopyChartBitmap, "Chart1"},
    {"KopierenalsVektorgrafik1", OutputKind::CopyChartVector, "Chart1"},
    {"Drucken1", OutputKind::PrintChart, "Chart1", ChartPaper::Stretched},
    {"Kopierenalstext1", OutputKind::CopyTableText, "grid"},
    // "LeQ"
    {"MenuItem11", OutputKind::CopyChartBitmap, "Chart6"},
    {"MenuItem12", OutputKind::CopyChartVector, "Chart6"},
    {"MenuItem13", OutputKind::PrintChart, "Chart6", ChartPaper::Stretched},
    {"MenuItem7", OutputKind::CopyTableText, "GridLeQ"},
    // "Verteilung"
    {"KopierenalsBitmap2", OutputKind::CopyChartBitmap, "Chart2"},
    {"Kopierenalsvektorgrafik2", OutputKind::CopyChartVector, "Chart2"},
    {"Drucken3", OutputKind::PrintChart, "Chart2"},
    {"KopierenlasText1", OutputKind::CopyTableText, "gridspek"},
    // "Pegel 12"
    {"KopierenalsBitmap4", OutputKind::CopyChartBitmap, "Chart3"},
    {"KopierenalsGrafik2", OutputKind::CopyChartVector, "Chart3"},
    {"Drucken4", OutputKind::PrintChart, "Chart3"},
    {"KopierenalsText2", OutputKind::CopyTableText, "Grid12"},
    // "LeQ 12"
    {"KopierenalsBitmap5", OutputKind::CopyChartBitmap, "Chart12Leq"},
    {"KopierenalsGrafik3", OutputKind::CopyChartVector, "Chart12Leq"},
    {"Drucken5", OutputKind::PrintChart, "Chart12Leq"},
    {"Kopierenalstext4", OutputKind::CopyTableText, "Grid12Leq"},
    // "Verteilung 12"
    {"Kopieren1", OutputKind::PrintWindow, "Form1"},
    {"KopierenalsText3", OutputKind::CopyTableText, "GridSpek12"},
    // "Kennwerte"
    {"KopierenalsText5", OutputKind::CopyTableText, "GridKennwerte"},
    // "Beurteilung"
    {"BeurteilungKopierenalsBitmap", OutputKind::CopyChartBitmap, "ChartBeurteilung"},
    {"BeurteilungKopierenalsGrafik", OutputKind::CopyChartVector, "ChartBeurteilung"},
    {"BeurteilungDrucken", OutputKind::PrintChart, "ChartBeurteilung"},
    {"StundenKopierenalsText", OutputKind::CopyTableText, "GridStunden"},
    {"ZeitraeumeKopierenalsText", OutputKind::CopyTableText, "GridZeitraeume"},
    {"MessungenKopierenalsText", OutputKind::CopyTableText, "GridMessungen"},
    // "Direkt": "Ana&log" and "&Verteilung"
    {"KopierenalsBitmap3", OutputKind::CopyChartBitmap, "Chart4"},
    {"KopierenalsGrafik1", OutputKind::CopyChartVector, "Chart4"},
    {"Drucken2", OutputKind::PrintChart, "Chart4"},
    {"MenuItem3", OutputKind::CopyChartBitmap, "Chart5"},
    {"MenuItem4", OutputKind::CopyChartVector, "Chart5"},
    {"MenuItem6", OutputKind::PrintChart, "Chart5"},
    // description
    {"BeschreibungDrucken1", OutputKind::PrintDescription, "RichEdit1"},
};

}  // namespace

void TForm1::WireOutput() {
    auto* commands =
        new OutputCommands([this](const QString& text) { seams().Stop(this, text); }, this);
    for (const OutputEntry& entry : kOutputEntries) {
        auto* action = findChild<QAction*>(QLatin1String(entry.handler));
        const QString control = QLatin1String(entry.control);
        QWidget* target = control == objectName() ? this : findChild<QWidget*>(control);
        Q_ASSERT_X(action && target, "TForm1::WireOutput", entry.handler);
        if (!action || !target) continue;
        connect(action, &QAction::triggered, commands,
                [commands, entry, target] { commands->Run(entry.kind, target, entry.paper); });
    }
    // "Speichern als Text" (SpeichernalsText1) has no handler: it stays in
    // the menu of grid, never enabled.
}

}  // namespace kelvarn
