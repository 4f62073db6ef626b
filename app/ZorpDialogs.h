#pragma once
// The program's dialogs: the standard message boxes and file dialog, and the printer
// choice, which needs print support that the screen library does not link.
#include "Dialogs.h"

class TZorpDialogs : public TStandardDialogs {
public:
    bool ChoosePrinter(QPrinter& printer, QWidget* parent) override;
};
