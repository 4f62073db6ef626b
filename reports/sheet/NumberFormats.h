#pragma once
// Cell number formats. A format is stored as the Excel format string that the saved
// workbook carries ("General", "#,##0.00;(#,##0.00)", "dd-mmm-yyyy"); these helpers show
// a number through it the way the grid and the printed page do.
#include <QString>

namespace SheetFormats {
// True when the format shows day numbers as dates (d, m or y outside quotes and no
// digit placeholders).
bool IsDateFormat(const QString& format);
// Up to ten significant digits, trailing zeros dropped, as a spreadsheet shows an
// unformatted number.
QString FormatGeneral(double value);
// A number shown through a cell format: General, a date pattern or a number mask, where
// a '%' shows the number times a hundred, as a spreadsheet does.
QString FormatNumber(const QString& format, double value);
// A number as a file other programs read it, whatever the user's locale: a day number
// under a date format as an ISO date (2002-01-07); any other number with a '.' decimal
// point and no grouping, to as many decimals as the format shows ("1234.57", "-35.50",
// "0.125" for "0.0%"), rounded as the grid rounds it.
QString PlainNumber(const QString& format, double value);
// The application's short date pattern written as an Excel format string: letters
// other than d, m and y and any unusual character are quoted.
QString DatePatternToExcel(const QString& pattern);
}  // namespace SheetFormats
