#pragma once

// A scripted cell on COM3 for the protocol tests: the link's scripted port
// with the cell model behind it, connected as every user command connects.

#include <gtest/gtest.h>

#include <QStringList>
#include <memory>
#include <vector>

#include "cell/CellProgress.h"
#include "link/DeviceSearch.h"
#include "sim/CellModel.h"
#include "sim/ScriptedDevice.h"

namespace kelvarn {

// Records every report of a cell command.
struct RecordedProgress : CellProgress {
    QStringList texts;
    std::vector<int> maxima;
    std::vector<int> positions;
    void Status(const QString& t) override { texts << t; }
    void ProgressMax(int m) override { maxima.push_back(m); }
    void ProgressPosition(int p) override { positions.push_back(p); }
};

class ScriptedCellTest : public ::testing::Test {
protected:
    ScriptedLink link;
    ScriptedDevice& port = link.AddPort(3);
    std::unique_ptr<CellModel> cell;

    // A cell with these options on COM3, connected (a silent one is only
    // tried); what the connection wrote is forgotten.
    void Attach(CellModelOptions options = {}) {
        const bool silent = options.silent;
        cell = std::make_unique<CellModel>(std::move(options));
        port.AttachModel(cell.get());
        port.onTheirWay.clear();  // nothing the last cell sent late
        if (silent) {
            ASSERT_FALSE(ConnectCell(link.serial, 3));
        } else {
            ASSERT_TRUE(ConnectCell(link.serial, 3));
        }
        port.written.clear();
        cell->TakeEvents();
    }
};

// The ten zeros of ResetLink.
inline std::vector<uint8_t> Reset() {
    return std::vector<uint8_t>(10, 0);
}

inline std::vector<uint8_t> Cat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// n requests of the read and upload handshakes.
inline std::vector<uint8_t> Ones(size_t n) {
    return std::vector<uint8_t>(n, 1);
}

}  // namespace kelvarn
