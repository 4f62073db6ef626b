#pragma once
// Small controls the screens share: a radio group with an item index, a date picker in the
// long date format, and a check box with its text on the left.
#include <QCheckBox>
#include <QDateEdit>
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

private:
    QList<QRadioButton*> m_items;
};

// A date picker with a calendar, showing the application's long date format.
class TDatePicker : public QDateEdit {
    Q_OBJECT
public:
    explicit TDatePicker(QWidget* parent = nullptr);
    // Takes up a changed long date format.
    void ApplyFormat();
};

// "Use Date Filter?" [x]: the text stands left of the box.
class TLeftCheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TLeftCheckBox(const QString& text, QWidget* parent = nullptr);
};
