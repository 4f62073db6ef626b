#include "ZorpDialogs.h"

#include <QApplication>
#include <QPrintDialog>

bool TZorpDialogs::ChoosePrinter(QPrinter& printer, QWidget* parent)
{
    if (!parent)
        parent = QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}
