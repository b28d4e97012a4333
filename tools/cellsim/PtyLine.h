#pragma once

#include <QString>

namespace kelvarn {

// A pseudo-terminal pair whose terminal end is reachable under a path of
// our choosing (a symbolic link), as a serial port is under its device
// name. We keep our own descriptor of the terminal end open, so the
// program may close and reopen the port without the line hanging up.
class PtyLine {
public:
    PtyLine() = default;
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    // Opens the pair in raw mode and links linkPath to the terminal end.
    // An old symbolic link in the way is replaced; anything else is not.
    bool Open(const QString& linkPath, QString* error);
    // Closes both ends (the program's side sees a hang-up) and removes the
    // link.
    void HangUp();

    int MasterFd() const { return master_; }
    QString TerminalPath() const { return terminal_; }
    // The line speed the program set on its end [bit/s], 0 when unknown.
    int Baud() const;

private:
    int master_ = -1;
    int slave_ = -1;
    QString terminal_;
    QString link_;
};

}  // namespace kelvarn
