#include "ScreenDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStyle>
#include <QTimer>
#include <QDir>
#include <QFileInfo>
#include <unistd.h>
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

QString ShotsFolder()
{
    QString folder = QDir::tempPath() + "/shots";
    QDir().mkpath(folder);
    if (!QFileInfo(folder).isWritable()) {
        folder += QStringLiteral("-%1").arg(::getuid());
        QDir().mkpath(folder);
    }
    return folder;
}

void Shot(QWidget* widget, const QString& name)
{
    widget->grab().save(ShotsFolder() + "/" + name + ".png");
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

QStringList NumbersShownInPart(QTableView* grid)
{
    QStringList cut;
    const QAbstractItemModel* model = grid->model();
    const int viewWidth = grid->viewport()->width();
    // The delegate's margins round the text, as the style lays out a cell.
    const int margins = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1);
    for (int r = 0; r < model->rowCount(); ++r) {
        for (int c = 0; c < model->columnCount(); ++c) {
            const QModelIndex at = model->index(r, c);
            const QString text = at.data(Qt::DisplayRole).toString();
            static const QRegularExpression number(QStringLiteral("^[-(]?[0-9][0-9.,\\s\u00A0\u202F]*[)%]?$"));
            const QRect rect = grid->visualRect(at);
            if (!number.match(text).hasMatch() || grid->isColumnHidden(c) || rect.top() >= grid->viewport()->height())
                continue;
            if (rect.left() < 0 || rect.right() >= viewWidth)
                cut << QStringLiteral("row %1 column %2: %3 by the grid's edge").arg(r).arg(c).arg(text);
            else if (grid->fontMetrics().horizontalAdvance(text) + margins > rect.width()
                     && (grid->wordWrap() || grid->textElideMode() == Qt::ElideNone))
                cut << QStringLiteral("row %1 column %2: %3 without an ellipsis").arg(r).arg(c).arg(text);
        }
    }
    return cut;
}
