#pragma once
// The independent readers of .xlsx and CSV files: openpyxl and Python's own csv module,
// run as scripts beside this header (read_xlsx.py, read_csv.py) by the system Python.
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QtTest>

namespace PythonReaders {

// The first Python that can import the module; empty when none can.
inline QString PythonWith(const QString& module)
{
    for (const QString& candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
        QProcess p;
        p.start(candidate, {"-c", "import " + module});
        if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
            return candidate;
    }
    return {};
}

inline QString Script(const QString& name)
{
    const QString root = qEnvironmentVariable("ZORP_SOURCE_DIR");
    if (!root.isEmpty())
        return root + "/tests/sheet/" + name;
    return QFINDTESTDATA(name);
}

// What the script makes of the file; a reader that fails stops the test program.
inline QJsonObject Run(const QString& module, const char* package, const QString& script, const QString& file)
{
    static QHash<QString, QString> pythons;
    if (!pythons.contains(module))
        pythons.insert(module, PythonWith(module));
    const QString python = pythons.value(module);
    if (python.isEmpty())
        qFatal("python3 with %s is needed (Debian package %s)", qPrintable(module), package);
    QProcess p;
    p.start(python, {Script(script), file});
    if (!p.waitForFinished(300000) || p.exitCode() != 0)
        qFatal("%s failed on %s: %s", qPrintable(script), qPrintable(file), p.readAllStandardError().constData());
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(p.readAllStandardOutput(), &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("%s output: %s", qPrintable(script), qPrintable(error.errorString()));
    return doc.object();
}

inline QJsonObject ReadXlsx(const QString& file)
{
    return Run(QStringLiteral("openpyxl"), "python3-openpyxl", QStringLiteral("read_xlsx.py"), file);
}

inline QJsonObject ReadCsv(const QString& file)
{
    return Run(QStringLiteral("csv"), "python3", QStringLiteral("read_csv.py"), file);
}

}  // namespace PythonReaders
