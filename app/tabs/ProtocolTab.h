#pragma once

#include <QObject>
#include <QSharedPointer>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "app/tabs/TabContext.h"

class QCheckBox;
class QCPAbstractItem;
class QCPAxisTicker;
class QCPItemRect;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QTableWidget;
class QWidget;

namespace kelvarn {

class TChart;
class StringGrid;

// The sub-tab "Protokoll" of "&Auswertung": start times with their source, site and people, the
// calibration check and the markers of the current record. Every change is an edit of the
// document, which the save writes and "Änderungen speichern?" guards. On the level chart of
// "Pegel" it shades the markers, offers the time of day ("Uhrzeit") and turns a Shift-drag
// into a proposed marker.
class ProtocolTab : public QObject {
    Q_OBJECT

public:
    // The level chart, its table and the LeQ box the time-of-day box stands beside, the
    // figures table the protocol cuts, and what follows when the protocol is shown anew (the
    // notice of the assessment's last input is done with).
    struct Reach {
        TChart* levelChart = nullptr;      // Chart1
        StringGrid* levelTable = nullptr;  // grid
        QCheckBox* leqBox = nullptr;       // LeqBox
        StringGrid* figures = nullptr;     // GridKennwerte
        std::function<void()> protocolShown;
    };

    ProtocolTab(const TabContext& context, const Reach& reach, QObject* parent);

    // The sub-tab's page, "TabSheetProtokoll".
    QWidget* Build();

    // Shows the document's protocol, the figures it cuts and its marks on the level chart.
    void Show();
    // The start field shows the start of the measurement chosen in the list, where one is known.
    void ShowSelectedStart();

private:
    void SetStartClicked();
    void AddMarkerClicked();
    void RemoveMarkerClicked();
    void MarkerEdited(int row);
    void CalibrationEdited();
    void ShowCalibration();
    void ShowFigures();
    void ShowMarkerShading();
    void ShowTimeOfDay();
    void WireChart();
    void MoveBand(double from, double to);
    // A marker of measurement 1 from a Shift-drag over the level chart, in its axis unit.
    void ProposeMarker(double from, double to);

    TabContext c_;
    Reach r_;
    QWidget* page_ = nullptr;
    QTableWidget* starts_ = nullptr;
    QDateTimeEdit* startEdit_ = nullptr;
    QLineEdit* site_ = nullptr;
    QLineEdit* operator_ = nullptr;
    QLineEdit* instrument_ = nullptr;
    QLineEdit* purpose_ = nullptr;
    QLineEdit* weather_ = nullptr;
    QLineEdit* reference_ = nullptr;
    QLineEdit* before_ = nullptr;
    QLineEdit* after_ = nullptr;
    QLabel* drift_ = nullptr;
    QTableWidget* markers_ = nullptr;
    // On the level chart: the shading of the markers, and a Shift-drag under way.
    std::vector<QCPAbstractItem*> shading_;
    QCPItemRect* dragBand_ = nullptr;
    double dragFrom_ = 0;  // [unit of the chart's time axis]
    // "Uhrzeit": the level chart and table show the time of day instead of the time from the
    // start; the chart's own ticker is kept to go back to.
    QCheckBox* timeOfDay_ = nullptr;
    QSharedPointer<QCPAxisTicker> plainTicker_;
    QString plainAxisLabel_;   // the axis title the evaluation gave, while the times of day show
    QStringList plainColumn_;  // the level table's first column before it showed times of day
};

}  // namespace kelvarn
