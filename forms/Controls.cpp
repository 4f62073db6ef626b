#include "Controls.h"

#include "Formats.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QToolButton>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent)
    : QGroupBox(caption, parent)
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    auto* group = new QButtonGroup(this);
    const int rows = (int(items.size()) + columns - 1) / std::max(columns, 1);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        group->addButton(b, i);
        layout->addWidget(b, i % rows, i / rows);
        m_items << b;
    }
    connect(group, &QButtonGroup::idClicked, this, [this] { emit Click(); });
}

int TRadioGroup::ItemIndex() const
{
    for (int i = 0; i < m_items.size(); ++i)
        if (m_items[i]->isChecked())
            return i;
    return -1;
}

void TRadioGroup::SetItemIndex(int index)
{
    if (index >= 0 && index < m_items.size()) {
        m_items[index]->setChecked(true);
        return;
    }
    // No item chosen: exclusive groups do not let a checked button go otherwise.
    for (QRadioButton* b : m_items) {
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    }
}

TDatePicker::TDatePicker(QWidget* parent) : QDateEdit(parent)
{
    setCalendarPopup(true);
    setDate(QDate::currentDate());
    // The picker starts at day zero's day, so any date a book holds can be shown.
    setMinimumDate(QDate(1899, 12, 30));
    setMaximumDate(QDate(9999, 12, 31));
    ApplyFormat();
}

void TDatePicker::ApplyFormat()
{
    setDisplayFormat(DatePatternToQt(FormatSettings().LongDateFormat));
}

TLeftCheckBox::TLeftCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent)
{
    setLayoutDirection(Qt::RightToLeft);
}

QToolButton* NewPanelButton(QFrame* bar, QFrame*& panel, const QString& panelName, const QString& name,
                            const QString& caption, const QString& hint, const QIcon& icon, int width)
{
    panel = new QFrame(bar);
    panel->setObjectName(panelName);
    panel->setFixedWidth(width);
    auto* layout = new QHBoxLayout(panel);
    layout->setContentsMargins(2, 0, 2, 0);
    auto* button = new QToolButton(panel);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setIcon(icon);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setFixedSize(width - 4, 48);
    button->setFocusPolicy(Qt::StrongFocus);
    layout->addWidget(button);
    return button;
}
