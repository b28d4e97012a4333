#pragma once

// The window with a scripted cell on COM3: the link's scripted port with the
// cell model behind it, a settings folder of its own, and the German locale.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <memory>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "link/DeviceSearch.h"
#include "link/SerialLink.h"
#include "link/SettingsFile.h"
#include "sim/CellModel.h"
#include "sim/ScriptedDevice.h"

namespace kelvarn {

class CellWindowTest : public ::testing::Test {
protected:
    CellWindowTest() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        qputenv("KELVARN_CONFIG_DIR", config_.path().toLocal8Bit());
        old_ = QDir::currentPath();
        QDir::setCurrent(work_.path());
    }
    ~CellWindowTest() override {
        form.reset();
        QDir::setCurrent(old_);
        qunsetenv("KELVARN_CONFIG_DIR");
        QLocale::setDefault(QLocale::c());
    }

    // A cell with these options on COM3 and a window connected to it.
    void Start(CellModelOptions options = {}) {
        cell = std::make_unique<CellModel>(std::move(options));
        port.AttachModel(cell.get());
        seams.line = &link;
        // The stored choice: the window connects to it at its start, as for the user.
        WriteStoredPort(3);
        form = std::make_unique<TForm1>(&seams);
        port.written.clear();
        cell->TakeEvents();
    }

    // Another cell behind the same cable.
    void Replace(CellModelOptions options) {
        cell = std::make_unique<CellModel>(std::move(options));
        port.AttachModel(cell.get());
    }

    // A file in the working directory, where program files are looked for.
    void Put(const QString& name, const QByteArray& bytes) {
        QFile f(QDir(work_.path()).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_EQ(f.write(bytes), bytes.size());
    }
    QString WorkPath(const QString& name) const { return QDir(work_.path()).filePath(name); }

    QTemporaryDir config_, work_;
    QString old_;
    ScriptedLink link;
    ScriptedDevice& port = link.AddPort(3);
    std::unique_ptr<CellModel> cell;
    FakeSeams seams;
    std::unique_ptr<TForm1> form;
};

}  // namespace kelvarn
