#pragma once
// Small controls the screens share: a radio group with an item index, a date picker in the
// long date format, and a check box with its text on the left.
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QGroupBox>
#include <QList>
#include <QRadioButton>
#include <QStringList>

class QFrame;
class QToolButton;

// A toolbar button, glyph above caption, standing in a small panel of its own on `bar`
// (the toolbar's frame); the panel is handed back through `panel`.
QToolButton* NewPanelButton(QFrame* bar, QFrame*& panel, const QString& panelName, const QString& name,
                            const QString& caption, const QString& hint, const QIcon& icon, int width = 52);

// A label with its object name.
class QLabel;
class QLineEdit;
QLabel* NewLabel(const QString& caption, const QString& name, QWidget* parent);
// A box that shows a value of the screen's (a key, a day) which the user does not type:
// disabled, on the info background.
QLineEdit* NewInfoEdit(QWidget* parent, const QString& name);
// The info background on any disabled box (a date picker shown for information).
void SetInfoBackground(QWidget* box);

// Keyboard use as on any desktop: Tab lands on the chosen item (the first when none is),
// the arrow keys choose the next or previous item.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent = nullptr);
    // -1 when no item is chosen.
    int ItemIndex() const;
    void SetItemIndex(int index);
    QRadioButton* Item(int index) const { return m_items.at(index); }

signals:
    void Click();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Choose(int index);
    void UpdateTabStop();
    QList<QRadioButton*> m_items;
};

// A date box: the date in the application's long date format without the day's name,
// a calendar beside it (the button, Alt+Down or F4), Up and Down for the day before or
// after, Page Up and Page Down for a month. What the user types is read when he presses
// Enter or leaves the box, in any of the forms ParseTypedDate takes; typing never moves
// the focus on, so a space is a space.
class TDatePicker : public QLineEdit {
    Q_OBJECT
public:
    explicit TDatePicker(QWidget* parent = nullptr);
    // Takes up a changed long date format.
    void ApplyFormat();
    QDate date() const { return m_date; }
    // The user's choice of a date (the calendar, a test acting for him): a Change.
    void setDate(const QDate& date);
    // How code puts a date in: it does not count as the user's change.
    void SetDate(const QDate& date);
    QDate minimumDate() const { return m_minimum; }
    QDate maximumDate() const { return m_maximum; }
    // Reads what was typed, if anything was: the box takes the date, or goes back to the
    // one it had and keeps the text for TakeRefusal. Enter and leaving the box run it.
    void Commit();
    // When what was typed is no date the box can hold, the box went back to its date:
    // the refusal in words, once; else empty.
    QString TakeRefusal();
    void ShowCalendar();

signals:
    // The user changed the date (typing, the arrow keys, the calendar); never a SetDate.
    void Change();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void Show();
    void Choose(const QDate& date);
    QDate m_date;
    QDate m_minimum, m_maximum;
    bool m_typed = false;
    QString m_refusedText;
};

// A drop-down list of the items of a pick list (ids and descriptions in two parallel
// lists): the user picks a description, the screen reads back its id.
class TItemCombo : public QComboBox {
    Q_OBJECT
public:
    explicit TItemCombo(QWidget* parent = nullptr);
    // The descriptions become the items; nothing is chosen afterwards. `leading` items
    // (such as "ALL" in a filter) stand before them and have no id.
    void SetItems(const QStringList& ids, const QStringList& descriptions, const QStringList& leading = {});
    // The id of the chosen description, taken at that description's first position; an
    // EAbortMessage asking to choose `what` when nothing or a leading item is chosen.
    int ItemId(const QString& what) const;
    bool HasItem() const;
    // Chooses the item of an id (no item when the id is not in the list); not a Change.
    void SelectId(int id);
    // Chooses by position (-1 for none); not a Change.
    void SetItemIndex(int index);

signals:
    // The user chose an item; never a SelectId or SetItemIndex.
    void Change();

private:
    QStringList m_ids;
    QStringList m_descriptions;
    int m_leading = 0;
};

// "Use Date Filter?" [x]: the text stands left of the box.
class TLeftCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TLeftCheckBox(const QString& text, QWidget* parent = nullptr);
};
