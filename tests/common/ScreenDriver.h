#pragma once
// Driving screens as a user does: clicks on buttons and grid rows, and screenshots kept in
// the temporary folder for looking at.
#include <QString>
#include <QStringList>

#include <functional>

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QTableView;
class QWidget;

// Clicks an enabled button with the mouse; a disabled one fails the running test.
void Click(QAbstractButton* button);
// Clicks the first cell of a row of a grid.
void ClickRow(QTableView* grid, int row);
// Where screenshots go: <temp>/shots, or <temp>/shots-<user id> when another user's
// run made that folder first.
QString ShotsFolder();
// Saves a picture of the widget as <shots folder>/<name>.png.
void Shot(QWidget* widget, const QString& name);

// The numbers of a grid's visible rows that it shows only in part: cut by the grid's edge,
// or too wide for their column with no ellipsis to say so. Empty when there are none.
QStringList NumbersShownInPart(QTableView* grid);

// The user picks a description from a drop-down list: chosen and announced as his choice.
void Choose(QComboBox* combo, const QString& description);
// Selects what an entry field holds and types `text` over it.
void TypeInto(QLineEdit* edit, const QString& text);
// Runs `step` on the window that is modal once the toolkit next gets to its events: the
// window that the blocking call about to be made opens. A step may queue the next before
// its own blocking call, so a chain of windows opened one inside another is driven.
void WhenModal(std::function<void(QWidget*)> step);
