#include "app/MenuTable.h"

#include <QAction>
#include <QWidget>
#include <cstring>

#include "app/TForm1.h"

namespace kelvarn {

bool MenuEntry::IsSeparator() const {
    return std::strcmp(name, "-") == 0;
}

namespace {

const MenuEntry kSeparator{"-"};

MenuEntry Copy(const char* name, const char* caption, OutputKind kind,
               ChartPaper paper = ChartPaper::OwnShape) {
    return {name, caption, kind, paper};
}

// The entries every chart ends with: bitmap, vector drawing, print. The level and LeQ curves
// fill their page; the other charts keep the shape they have on screen.
std::vector<MenuEntry> ChartOutput(const char* bitmap, const char* vector,
                                   const char* vectorCaption, const char* print,
                                   ChartPaper paper = ChartPaper::OwnShape) {
    return {Copy(bitmap, "Kopieren als Bitmap", OutputKind::CopyChartBitmap),
            Copy(vector, vectorCaption, OutputKind::CopyChartVector), kSeparator,
            Copy(print, "Drucken", OutputKind::PrintChart, paper)};
}

std::vector<MenuEntry> Join(std::vector<MenuEntry> head, const std::vector<MenuEntry>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

std::vector<ContextMenu> BuildMenus() {
    constexpr const char* kVektor = "Kopieren als Vektorgrafik";
    constexpr const char* kGrafik = "Kopieren als Grafik";
    constexpr const char* kReset = "Ansicht zurücksetzen";
    const MenuEntry toEvaluation1{"ZurAuswertung1", "Zur Auswertung"};
    const MenuEntry toEvaluation2{"ZurAuswertung2", "Zur Auswertung"};
    const auto text = [](const char* name) {
        return Copy(name, "Kopieren als Text", OutputKind::CopyTableText);
    };
    return {
        // "Direkt": "Di&gital" (Panel2 shows the same entries), "Ana&log" and "&Verteilung"
        {"Panel1", {{"ZurAuswertung3", "Zur Auswertung"}}},
        {"Chart4",
         Join({toEvaluation1, kSeparator},
              ChartOutput("KopierenalsBitmap3", "KopierenalsGrafik1", kGrafik, "Drucken2"))},
        {"Chart5", Join({toEvaluation2, kSeparator},
                        ChartOutput("MenuItem3", "MenuItem4", kGrafik, "MenuItem6"))},
        // "Pegel"
        // The level charts zoom; "Ansicht zurücksetzen" shows the whole record again.
        {"Chart1",
         Join({{"Legende1", "Legende"}, {"Werte", "Werte"}, {"Chart1Ansicht", kReset}, kSeparator},
              ChartOutput("KopierenalsBitmap1", "KopierenalsVektorgrafik1", kVektor, "Drucken1",
                          ChartPaper::Stretched))},
        // "Speichern als Text" has no command: it stays in the menu, never enabled.
        {"grid", {text("Kopierenalstext1"), {"SpeichernalsText1", "Speichern als Text"}}},
        // "LeQ"
        {"Chart6", Join({{"MenuItem8", "Legende"}, {"Chart6Ansicht", kReset}, kSeparator},
                        ChartOutput("MenuItem11", "MenuItem12", kVektor, "MenuItem13",
                                    ChartPaper::Stretched))},
        {"GridLeQ", {text("MenuItem7")}},
        // "Verteilung"
        {"Chart2",
         Join({{"AutomatischeXSkalierung1", "Automatische X-Skalierung"},
               {"FarbigeBalken1", "Bunte Balken"},
               kSeparator},
              ChartOutput("KopierenalsBitmap2", "Kopierenalsvektorgrafik2", kVektor, "Drucken3"))},
        {"gridspek", {text("KopierenlasText1")}},
        // "Pegel 12"
        {"Chart3",
         Join({{"Chart3Ansicht", kReset}, kSeparator},
              ChartOutput("KopierenalsBitmap4", "KopierenalsGrafik2", kGrafik, "Drucken4"))},
        {"Grid12", {text("KopierenalsText2")}},
        // "LeQ 12"
        {"Chart12Leq",
         Join({{"Legende2", "Legende"}, {"Chart12LeqAnsicht", kReset}, kSeparator},
              ChartOutput("KopierenalsBitmap5", "KopierenalsGrafik3", kGrafik, "Drucken5"))},
        {"Grid12Leq", {text("Kopierenalstext4")}},
        // "Verteilung 12": the small charts show the panel's menu
        {"Panel6",
         {{"Kopieren1", "Drucken (Druck)", OutputKind::PrintWindow, ChartPaper::OwnShape,
           "Form1"}}},
        {"GridSpek12", {text("KopierenalsText3")}},
        // "Kennwerte"
        {"GridKennwerte", {text("KopierenalsText5")}},
        // "Beurteilung"
        {"ChartBeurteilung",
         ChartOutput("BeurteilungKopierenalsBitmap", "BeurteilungKopierenalsGrafik", kVektor,
                     "BeurteilungDrucken")},
        {"GridStunden", {text("StundenKopierenalsText")}},
        {"GridZeitraeume", {text("ZeitraeumeKopierenalsText")}},
        {"GridMessungen", {text("MessungenKopierenalsText")}},
        // the description
        {"RichEdit1",
         {Copy("BeschreibungDrucken1", "Beschreibung Drucken", OutputKind::PrintDescription)}},
    };
}

MenuEntry Command(const char* name, const char* caption, void (TForm1::*command)()) {
    MenuEntry e{name, caption};
    e.command = command;
    return e;
}

}  // namespace

const ContextMenu& FileMenu() {
    static const ContextMenu menu{
        "Datei1",
        {Command("Au1", "&Auslesen der Zelle", &TForm1::ReadOutCell), kSeparator,
         Command("N1", "&Öffnen ...", &TForm1::N1Click),
         Command("Speichern1", "&Speichern als ...", &TForm1::Speichern1Click),
         Command("Exportieren1", "E&xportieren ...", &TForm1::Exportieren1Click), kSeparator,
         Command("BerichtPdf1", "Bericht als &PDF ...", &TForm1::BerichtPdf1Click),
         Command("BerichtDrucken1", "Bericht d&rucken ...", &TForm1::BerichtDrucken1Click),
         kSeparator, Command("Beenden1", "&Beenden", &TForm1::Beenden1Click)}};
    return menu;
}

const std::vector<ContextMenu>& ContextMenus() {
    static const std::vector<ContextMenu> menus = BuildMenus();
    return menus;
}

const ContextMenu* ContextMenuOf(const char* control) {
    for (const ContextMenu& menu : ContextMenus())
        if (std::strcmp(menu.control, control) == 0) return &menu;
    return nullptr;
}

void AddContextMenu(QObject* owner, QWidget* target) {
    const ContextMenu* menu = ContextMenuOf(target->objectName().toLatin1().constData());
    if (!menu) return;
    target->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const MenuEntry& entry : menu->entries) {
        auto* action = new QAction(QString::fromUtf8(entry.caption), owner);
        if (entry.IsSeparator()) {
            action->setSeparator(true);
        } else {
            action->setObjectName(QString::fromLatin1(entry.name));
        }
        target->addAction(action);
    }
}

}  // namespace kelvarn
