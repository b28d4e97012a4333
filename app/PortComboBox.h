#pragma once

#include <QComboBox>
#include <functional>

namespace kelvarn {

// A drop-down list that asks for its entries afresh each time it opens, so
// an adapter plugged in meanwhile is there to be chosen.
class PortComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
    std::function<void()> beforePopup;

    void showPopup() override {
        if (beforePopup) beforePopup();
        QComboBox::showPopup();
    }
};

}  // namespace kelvarn
