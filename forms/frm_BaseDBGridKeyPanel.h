#pragma once
// The browse-and-edit screen with a key area at the top of the record panel, where the
// screens show the day or the year and month of the row.
#include "frm_BaseDBGrid.h"

class TfrmBaseDBGridKeyPanel : public TfrmBaseDBGrid {
    Q_OBJECT
public:
    explicit TfrmBaseDBGridKeyPanel(QWidget* parent = nullptr);
    QFrame* pnlKeyArea;
    QFrame* Bevel1;
    QWidget* KeyArea;  // where each screen lays out its key fields

protected:
    void FormCreate() override;
};
