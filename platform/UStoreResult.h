// What an operation that changes one of the program's files did. Windows and
// commands look at it: a failure is shown to the user, never taken for
// success.
#pragma once

#include <QString>
#include <QStringList>

struct [[nodiscard]] StoreResult {
    bool Ok = true;
    // Why it failed: Chinese, for the user, naming the file and what happened.
    QString Error;
    // What the user should know although it succeeded (for example that a
    // note changed elsewhere was kept beside this one).
    QStringList Notices;

    static StoreResult Failed(const QString& Why) { return {false, Why, {}}; }
    explicit operator bool() const { return Ok; }
};
