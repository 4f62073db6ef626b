#pragma once
// Where the independent workbook reader runs: Debian's xlrd lives in the system Python,
// which may not be the first python3 on PATH. Empty when none has it.
#include <QProcess>
#include <QString>

inline QString PythonWithXlrd()
{
    static const QString found = [] {
        for (const QString& candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
            QProcess p;
            p.start(candidate, {"-c", "import xlrd"});
            if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
                return candidate;
        }
        return QString();
    }();
    return found;
}
