// Runs eqtool as a program for the tool tests.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace toliva::test {

struct ToolRun {
    int exitCode = -1;  // -1 when the program did not end normally
    QString out;
    QString err;
};

struct ToolLimits {
    // When above 0, the program's files may grow to at most this many bytes,
    // with SIGXFSZ ignored, so that a write beyond it fails with EFBIG as on
    // a full disk.
    qint64 fileSizeBytes = 0;
    // NAME=VALUE settings added to (or replacing) the environment.
    QList<QByteArray> environment;
};

// Runs eqtool with args, each passed as the bytes EncodeFileName makes of it
// (platform/SafeFile.h), so a name that is not UTF-8 reaches it unchanged.
ToolRun eqtool(const QStringList& args, const ToolLimits& limits = {});

}  // namespace toliva::test
