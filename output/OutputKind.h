#pragma once

namespace kelvarn {

// What a context-menu entry of a chart, a table or the description does.
// Every entry of one kind runs the same code; only its control differs.
enum class OutputKind {
    CopyTableText,     // "Kopieren als Text"
    CopyChartBitmap,   // "Kopieren als Bitmap"
    CopyChartVector,   // "Kopieren als Vektorgrafik", "Kopieren als Grafik"
    PrintChart,        // "Drucken"
    PrintWindow,       // "Drucken (Druck)": the window's client area
    PrintDescription,  // "Beschreibung Drucken"
};

// How a printed chart sits on its landscape page.
enum class ChartPaper {
    OwnShape,   // the proportions it has on screen, as large as fits
    Stretched,  // the whole page inside the margins
};

}  // namespace kelvarn
