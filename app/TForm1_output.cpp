// The copy and print entries of the context menus: each is one handler of
// the program, named as it always was (without "Click"), and runs the code
// of its kind on its own control. Which entry does what is the menu table's.
#include <QAction>

#include "app/MenuTable.h"
#include "app/TForm1.h"
#include "output/OutputCommands.h"

namespace kelvarn {

void TForm1::WireOutput() {
    auto* commands =
        new OutputCommands([this](const QString& text) { seams().Stop(this, text); }, this);
    for (const ContextMenu& menu : ContextMenus()) {
        for (const MenuEntry& entry : menu.entries) {
            if (!entry.output) continue;
            auto* action = findChild<QAction*>(QLatin1String(entry.name));
            const QString control = QLatin1String(entry.target ? entry.target : menu.control);
            QWidget* target = control == objectName() ? this : findChild<QWidget*>(control);
            // The table's test checks that every entry finds both.
            if (!action || !target) continue;
            connect(action, &QAction::triggered, commands,
                    [commands, kind = *entry.output, paper = entry.paper, target] {
                        commands->Run(kind, target, paper);
                    });
        }
    }
}

}  // namespace kelvarn
