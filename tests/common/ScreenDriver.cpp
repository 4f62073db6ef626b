#include "ScreenDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
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

void Choose(QComboBox* combo, const QString& description)
{
    const int at = combo->findText(description);
    QVERIFY2(at >= 0, qPrintable(description + " is not in the list"));
    combo->setCurrentIndex(at);
    emit combo->activated(at);
}

void TypeInto(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

void WhenModal(std::function<void(QWidget*)> step)
{
    QTimer::singleShot(0, [step] {
        QWidget* modal = QApplication::activeModalWidget();
        QVERIFY2(modal, "no modal window is up");
        step(modal);
    });
}
