#pragma once

// Whole-file reads and writes for the file tests.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdio>
#include <functional>
#include <string>

namespace kelvarn::test {

inline QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline void WriteBytes(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(f.write(data), data.size());
}

// The settings file of a settings folder, empty when there is none.
inline QByteArray SettingsText(const QString& folder) {
    QFile f(folder + "/KV.INI");
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void WriteSettingsText(const QString& folder, const QByteArray& text) {
    QDir().mkpath(folder);
    WriteBytes(folder + "/KV.INI", text);
}

// Runs check in a child process, as an ordinary user when dropRoot is set
// (root ignores permission bits) and with whatever limits it sets; check
// returns "" on success or what went wrong. A child that hangs is ended
// after ten seconds and fails the test.
inline void InChildProcess(bool dropRoot, const std::function<std::string()>& check) {
    EXPECT_EXIT(
        {
            alarm(10);
            if (dropRoot && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
            const std::string failure = check();
            if (!failure.empty()) std::fprintf(stderr, "%s\n", failure.c_str());
            _exit(failure.empty() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

inline std::string Expect(const QString& what, const QString& actual, const QString& expected) {
    if (actual == expected) return {};
    return (what + ": got \"" + actual + "\", expected \"" + expected + "\"").toStdString();
}

}  // namespace kelvarn::test
