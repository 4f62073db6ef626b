#pragma once
// What every screen that enters income or expense lines shares: the item list and its
// combo with the "..." picker, the amount, the taxable radio and the note, the item's
// defaults on choosing it, and the storage of a line (its number, its day and month made
// on demand, the totals rolled up after every save and delete). After a refresh the list
// stands again on the line it stood on, found by its day and item.
//
// A screen derives from it, lays the shared controls out with its own, names them as it
// calls them, and says on which day a line is saved (LineDay).
#include "Controls.h"
#include "LineStorage.h"
#include "frm_BaseDBGridKeyPanel.h"

#include <QLabel>
#include <QStringList>
#include <QToolButton>
#include <optional>

class Money;
class TQuery;

// What tells the income lines from the expense lines, for the screens over either.
struct TLineScreenKind {
    TLineKind kind;
    QString itemField;    // the line's item id column
    QString amountField;  // the line's amount column
    QString numberField;  // the line's number within its day
    QString itemCaption;  // the item combo's label
    // The message a save without a chosen item gives.
    QString missingItem;
    void (*itemList)(QStringList& ids, QStringList& descriptions);
    void (*itemDefaults)(int id, Money& amount, QString& taxable);
    // The list the grid's description column looks its text up in.
    TQuery* (*lookupList)();
    // Opens the reference screen of the items modally; the item it stood on when closed.
    int (*pickItem)(QWidget* parent);

    static const TLineScreenKind& Income();
    static const TLineScreenKind& Expense();
};

class TfrmLineScreen : public TfrmBaseDBGridKeyPanel {
    Q_OBJECT
public:
    TfrmLineScreen(const TLineScreenKind& kind, TDataSource* lines, QWidget* parent = nullptr);
    ~TfrmLineScreen() override;

    // The shared record controls; each screen also holds them under its own names.
    QLabel* lblItem;
    TItemCombo* cbItem;
    QToolButton* spdbtnItem;
    QLabel* lblAmount;
    TDBEdit* edAmount;
    TRadioGroup* rgTaxable;
    QLabel* lblNote;
    TDBMemo* edNote;

    const TLineScreenKind& Kind() const { return m_kind; }
    // The item ids and descriptions, entry i of both being one item, in description order.
    const QStringList& ItemIDs() const { return m_itemIDs; }
    const QStringList& ItemDescriptions() const { return m_itemDescriptions; }

    // Reads the item lists when they could not be read before (a book that could not be
    // opened when the screen was made); a failure is an error for the caller to report.
    void EnsureItemLists();

    // The item combo's handler: the chosen item's defaults for a new line.
    void cbItemChange();
    // The "..." button: the reference screen, then the item chosen there.
    void spdbtnItemClick();
    // A new line takes the item's default amount and taxable flag; a line being changed
    // keeps its own.
    void ApplyItemDefaults(int itemId);

protected:
    // The shared item controls under a screen's own names.
    void NameItemControls(const QString& label, const QString& combo, const QString& picker, const QString& amount);
    // The expense lines' reference, bound to the line list, in row `row` of the record.
    TDBEdit* AddReference(int row);
    // The record's tab order, first to last, ending with OK and Cancel.
    void TabChain(const QList<QWidget*>& chain);
    // The day a line is saved on, and whether that day's record is made when missing.
    virtual TLineDay LineDay() const = 0;
    virtual TDayRecord DayRecordMode() const = 0;
    // Reads the item lists afresh into the combo; screens with more item combos refill
    // theirs in ItemListsRead (call the base first).
    void ReadItemLists();
    virtual void ItemListsRead() { }

    bool ValidateRecord() override;
    void BeforeSave() override;
    void AfterSave() override;
    void BeforeDelete() override;
    void AfterDelete() override;
    void RecordChanged() override;
    void BeforeRefresh() override;
    void AfterRefresh() override;

private:
    const TLineScreenKind& m_kind;
    TDataSource* m_lines;
    QStringList m_itemIDs;
    QStringList m_itemDescriptions;
    bool m_itemsRead = false;
    TLineStorage m_storage;
    std::optional<TLineDay> m_deletedDay;
    // The line to stand on again after a refresh, by these fields.
    QStringList m_refreshFields;
    std::optional<std::vector<TValue>> m_refreshKey;
};
