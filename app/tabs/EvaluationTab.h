#pragma once

#include <QObject>
#include <QString>
#include <array>

#include "app/tabs/TabContext.h"

class QEvent;
class QWidget;

namespace kelvarn {

class TChart;
struct TForm1Controls;
class ProtocolTab;
class AssessmentTab;

// The tab "&Auswertung": the level, LeQ and distribution of one measurement or the overview of
// twelve, the "Kennwerte", the sub-tabs "Protokoll" and "Beurteilung", and the description
// below. It shows the document's view and changes only how its charts look; what the view
// holds, the core computed.
class EvaluationTab : public QObject {
    Q_OBJECT

public:
    EvaluationTab(const TabContext& context, TForm1Controls& controls, QObject* parent);

    // The tab's page, "TabSheet4", with every control of it set in the controls.
    QWidget* Build();
    // The view's charts and tables for a new measurement, shown whole; the tab comes to the
    // front. Returns the notice of a damaged record (empty for a sound one).
    QString Show();
    // The single tabs for one measurement, the overview tabs for twelve.
    void ShowTabs(bool twelve);

    // The seven big charts that switch the depth view, and the four whose time axis zooms.
    std::array<TChart*, 7> BigCharts() const;
    std::array<TChart*, 4> ZoomCharts() const;

    ProtocolTab& Protocol() const { return *protocol_; }
    AssessmentTab& Assessment() const { return *assessment_; }

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    QWidget* BuildSubTabs();
    void WireView();
    // The LeQ curves as the boxes ask for them.
    void ShowLeq();
    void LeqBoxClicked();
    void Leq12BoxClicked();
    // The distribution of measurement k (a double click on its small chart).
    void ShowDistributionOf(int k);
    void ToggleValueLabels();
    void ToggleDistributionScale();
    void ToggleColouredBars();
    void ColourSmallCharts();

    TabContext c_;
    TForm1Controls& w_;
    ProtocolTab* protocol_ = nullptr;
    AssessmentTab* assessment_ = nullptr;
};

}  // namespace kelvarn
