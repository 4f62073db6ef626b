#pragma once
// Driving screens as a user does: clicks on buttons and grid rows, and screenshots kept in
// the temporary folder for looking at.
#include <QString>

class QAbstractButton;
class QTableView;
class QWidget;

// Clicks an enabled button with the mouse; a disabled one fails the running test.
void Click(QAbstractButton* button);
// Clicks the first cell of a row of a grid.
void ClickRow(QTableView* grid, int row);
// Saves a picture of the widget as <temp>/shots/<name>.png.
void Shot(QWidget* widget, const QString& name);
