#pragma once
// What a CSV field must say of a grid cell, and the same file read by LibreOffice in a
// locale of the caller's choice, as an accountant's spreadsheet would read it.
#include "DayNumber.h"
#include "NumberFormats.h"
#include "PythonReaders.h"
#include "Workbook.h"
#include <QDir>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>

namespace CsvExpect {

// The amount a grid's shown text stands for: grouping dropped, brackets a minus, '%' a
// hundredth; `decimals` is how many the text shows, counting the '%' as two more.
inline double ShownAmount(QString shown, int& decimals)
{
    const bool percent = shown.endsWith('%');
    const bool bracketed = shown.startsWith('(') && shown.endsWith(')');
    shown.remove(QRegularExpression(QStringLiteral("[,%()]")));
    const qsizetype point = shown.indexOf('.');
    decimals = (point < 0 ? 0 : int(shown.size() - point - 1)) + (percent ? 2 : 0);
    const double value = shown.toDouble();
    return (bracketed ? -value : value) / (percent ? 100.0 : 1.0);
}

// Empty when the field is what the cell must be saved as: a number as a plain number with
// the decimals the grid shows, a date as an ISO date, any other cell as its shown text.
inline QString FieldFault(const TWorkbook& book, int row, int col, const QString& field)
{
    const TCellValue value = book.CellValue(row, col);
    const QString shown = book.CellDisplayText(row, col);
    QString expected = shown;
    if (value.Kind == TCellValue::Number && SheetFormats::IsDateFormat(book.CellFormat(row, col).NumberFormat)) {
        expected = DayNumber::ToDate(qint64(std::floor(value.Num))).toString(Qt::ISODate);
    } else if (value.Kind == TCellValue::Number) {
        static const QRegularExpression plain(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
        int decimals = 0;
        const double amount = ShownAmount(shown, decimals);
        const qsizetype point = field.indexOf('.');
        const int written = point < 0 ? 0 : int(field.size() - point - 1);
        if (plain.match(field).hasMatch() && written == decimals
            && std::fabs(field.toDouble() - amount) <= 1e-9 * std::max(1.0, std::fabs(amount)))
            return {};
        expected = QStringLiteral("a plain number for %1").arg(shown);
    }
    if (field == expected)
        return {};
    return QStringLiteral("row %1, column %2: \"%3\" saved as \"%4\"").arg(row).arg(col).arg(expected, field);
}

// Every field of a file read back by Python's csv module against the grid.
inline void CompareFile(const TWorkbook& book, const QString& file)
{
    const QJsonObject read = PythonReaders::ReadCsv(file);
    QVERIFY(read["bom"].toBool());
    const QJsonArray rows = read["rows"].toArray();
    QCOMPARE(rows.size(), book.LastRow());
    for (int r = 1; r <= book.LastRow(); ++r) {
        const QJsonArray fields = rows[r - 1].toArray();
        QCOMPARE(fields.size(), book.LastCol());
        for (int c = 1; c <= book.LastCol(); ++c) {
            const QString fault = FieldFault(book, r, c, fields[c - 1].toString());
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
        }
    }
}

// Why LibreOffice cannot be asked here, or empty.
inline QString LibreOfficeMissing(const QString& locale)
{
    if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
        return QStringLiteral("LibreOffice (soffice) is not installed");
    QProcess p;
    p.start(QStringLiteral("locale"), {QStringLiteral("-a")});
    p.waitForFinished(60000);
    const QString have = QString::fromLocal8Bit(p.readAllStandardOutput()).toLower().remove('-');
    if (!have.contains(QString(locale).toLower().remove('-')))
        return QStringLiteral("the locale %1 is not generated on this machine").arg(locale);
    return {};
}

// The file opened by LibreOffice Calc under `locale` with the import settings the README
// gives (comma separated, UTF-8, language English (USA)), saved as .xlsx and read by
// openpyxl: the cells as LibreOffice understood them.
inline QJsonObject ReadByLibreOffice(const QString& csv, const QString& locale)
{
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LANG"), locale);
    env.insert(QStringLiteral("LC_ALL"), locale);
    env.insert(QStringLiteral("HOME"), home.path());  // a profile of its own, thrown away
    QProcess p;
    p.setProcessEnvironment(env);
    // 44: comma; 34: quote; 76: UTF-8; 1: first line; 1033: English (USA).
    p.start(QStringLiteral("soffice"), {"--headless", "--norestore", "--convert-to", "xlsx",
                                        "--infilter=CSV:44,34,76,1,,1033", "--outdir", home.path(), csv});
    if (!p.waitForFinished(300000) || p.exitCode() != 0)
        qFatal("LibreOffice could not convert %s: %s", qPrintable(csv), p.readAllStandardError().constData());
    const QString xlsx = home.filePath(QFileInfo(csv).completeBaseName() + ".xlsx");
    if (!QFileInfo::exists(xlsx))
        qFatal("LibreOffice made no %s: %s", qPrintable(xlsx), p.readAllStandardOutput().constData());
    return PythonReaders::ReadXlsx(xlsx);
}

// Every number of the grid is the number LibreOffice read from the file, in its cell.
inline void CompareLibreOffice(const TWorkbook& book, const QString& csv, const QString& locale)
{
    const QJsonObject cells = ReadByLibreOffice(csv, locale)["cells"].toObject();
    int numbers = 0;
    for (int r = 1; r <= book.LastRow(); ++r) {
        for (int c = 1; c <= book.LastCol(); ++c) {
            const TCellValue value = book.CellValue(r, c);
            if (value.Kind != TCellValue::Number)
                continue;
            ++numbers;
            int decimals = 0;
            const double shown = SheetFormats::IsDateFormat(book.CellFormat(r, c).NumberFormat)
                                     ? std::floor(value.Num)
                                     : ShownAmount(book.CellDisplayText(r, c), decimals);
            const QJsonValue read = cells[QStringLiteral("%1,%2").arg(r).arg(c)].toObject()["value"];
            QVERIFY2(read.isDouble() && std::fabs(read.toDouble() - shown) <= 1e-9 * std::max(1.0, std::fabs(shown)),
                     qPrintable(QStringLiteral("%1 row %2, column %3: %4 read as %5")
                                    .arg(locale)
                                    .arg(r)
                                    .arg(c)
                                    .arg(book.CellDisplayText(r, c), read.toVariant().toString())));
        }
    }
    QVERIFY(numbers > 0);
}

}  // namespace CsvExpect
