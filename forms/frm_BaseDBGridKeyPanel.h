#pragma once
// The browse-and-edit screen with a key area at the top of the record panel, where the
// screens show the day or the year and month of the row.
#include "frm_BaseDBGrid.h"

class QGridLayout;
class QLabel;
class QLineEdit;

class TfrmBaseDBGridKeyPanel : public TfrmBaseDBGrid {
    Q_OBJECT
public:
    explicit TfrmBaseDBGridKeyPanel(QWidget* parent = nullptr);
    QFrame* pnlKeyArea;
    QFrame* Bevel1;
    QWidget* KeyArea;  // where each screen lays out its key fields

protected:
    void FormCreate() override;
    // The key area's grid, and its year and month boxes, for a screen to lay out.
    QGridLayout* NewKeyGrid();
    void NewYearMonth(QLabel*& lblYear, QLineEdit*& edYear, QLabel*& lblMonth, QLineEdit*& edMonth);
};
