#include "ScreenDriver.h"

#include <QAbstractButton>
#include <QDir>
#include <QTableView>
#include <QTest>

void Click(QAbstractButton* button)
{
    QVERIFY2(button->isEnabled(), qPrintable(button->objectName() + " is disabled"));
    QTest::mouseClick(button, Qt::LeftButton);
}

void ClickRow(QTableView* grid, int row)
{
    const QRect r = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, r.center());
}

void Shot(QWidget* widget, const QString& name)
{
    const QString folder = QDir::tempPath() + "/shots";
    QDir().mkpath(folder);
    widget->grab().save(folder + "/" + name + ".png");
}
