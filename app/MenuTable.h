#pragma once

#include <optional>
#include <vector>

#include "output/OutputKind.h"

class QObject;
class QWidget;

namespace kelvarn {

class TForm1;

// One entry of a context menu: the object name of its action ("-" for a separator), its
// caption, and for the copy and print entries what it does.
struct MenuEntry {
    const char* name;
    const char* caption = "";
    std::optional<OutputKind> output = std::nullopt;
    ChartPaper paper = ChartPaper::OwnShape;
    // The control the entry works on when it is not the menu's own ("Drucken (Druck)" prints
    // the whole window).
    const char* target = nullptr;
    // For the entries of the window's menu: the window's handler.
    void (TForm1::*command)() = nullptr;

    bool IsSeparator() const;
};

// The context menu of one control, by the control's object name.
struct ContextMenu {
    const char* control;
    std::vector<MenuEntry> entries;
};

// Every context menu of the window, in one place: the window builds its menus from this table
// and connects the copy and print entries from it, so that no two lists have to agree.
const std::vector<ContextMenu>& ContextMenus();

// The window's menu "&Datei" ("Datei1"), in its order, each entry with its handler.
const ContextMenu& FileMenu();

// The menu of the control named control, or nullptr.
const ContextMenu* ContextMenuOf(const char* control);

// Gives target the context menu its object name has in the table, as actions owned by owner
// and named by the table.
void AddContextMenu(QObject* owner, QWidget* target);

}  // namespace kelvarn
