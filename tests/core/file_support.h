#pragma once

// Whole-file reads and writes for the file tests.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>

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

}  // namespace kelvarn::test
