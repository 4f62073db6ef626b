#include "Controls.h"

#include <QLabel>
#include <QLineEdit>

#include "Errors.h"
#include "DateEntry.h"
#include "Formats.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QSignalBlocker>

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QStyle>
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
    for (QRadioButton* b : std::as_const(m_items)) {
        b->installEventFilter(this);
        connect(b, &QRadioButton::toggled, this, &TRadioGroup::UpdateTabStop);
    }
    UpdateTabStop();
}

void TRadioGroup::UpdateTabStop()
{
    // One tab stop for the group, on the chosen item (the first when none is chosen); the
    // others are reached with the arrow keys or the mouse.
    const int stop = std::max(ItemIndex(), 0);
    for (int i = 0; i < m_items.size(); ++i)
        m_items[i]->setFocusPolicy(i == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

void TRadioGroup::Choose(int index)
{
    if (index < 0 || index >= m_items.size())
        return;
    m_items[index]->setFocus(Qt::OtherFocusReason);
    if (!m_items[index]->isChecked())
        m_items[index]->click();  // a user's choice, so Click is sent
}

bool TRadioGroup::eventFilter(QObject* watched, QEvent* event)
{
    auto* button = qobject_cast<QRadioButton*>(watched);
    const int at = button ? int(m_items.indexOf(button)) : -1;
    if (at < 0)
        return QGroupBox::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int n = int(m_items.size());
        int to = -1;
        switch (key->key()) {
        case Qt::Key_Right:
        case Qt::Key_Down: to = (at + 1) % n; break;
        case Qt::Key_Left:
        case Qt::Key_Up: to = (at + n - 1) % n; break;
        default: return QGroupBox::eventFilter(watched, event);
        }
        if (key->modifiers() & ~Qt::KeypadModifier)
            return QGroupBox::eventFilter(watched, event);
        Choose(to);
        return true;
    }
    return QGroupBox::eventFilter(watched, event);
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

TDatePicker::TDatePicker(QWidget* parent)
    : QLineEdit(parent), m_date(QDate::currentDate()), m_minimum(1899, 12, 30), m_maximum(9999, 12, 31)
{
    // The box reaches back to day zero's day, so any date a book holds can be shown.
    QAction* calendar = addAction(
        QIcon::fromTheme(QStringLiteral("x-office-calendar"), style()->standardIcon(QStyle::SP_ArrowDown)),
        QLineEdit::TrailingPosition);
    calendar->setObjectName(QStringLiteral("actCalendar"));
    calendar->setToolTip(QStringLiteral("Choose the date from a calendar (Alt+Down)"));
    connect(calendar, &QAction::triggered, this, &TDatePicker::ShowCalendar);
    connect(this, &QLineEdit::textEdited, this, [this] { m_typed = true; });
    ApplyFormat();
}

namespace {
// A date pattern without the day's name and the separators after it ("dddd, d mmmm
// yyyy" is "d mmmm yyyy").
QString WithoutDayName(QString pattern)
{
    static const QRegularExpression dayName(QStringLiteral("[dD]{3,4}(?![dD])[^A-Za-z'\"]*"));
    pattern.remove(dayName);
    while (!pattern.isEmpty() && (pattern.back().isSpace() || pattern.back() == ','))
        pattern.chop(1);
    return pattern.isEmpty() ? FormatSettings().ShortDateFormat : pattern;
}
}  // namespace

void TDatePicker::ApplyFormat()
{
    Show();
}

void TDatePicker::Show()
{
    setText(FormatDate(WithoutDayName(FormatSettings().LongDateFormat), m_date));
    setCursorPosition(0);
    m_typed = false;
}

void TDatePicker::Choose(const QDate& date)
{
    if (!date.isValid() || date < m_minimum || date > m_maximum)
        return;
    const bool changed = date != m_date;
    m_date = date;
    m_refusedText.clear();
    Show();
    if (changed)
        emit Change();
}

void TDatePicker::setDate(const QDate& date)
{
    Choose(date);
}

void TDatePicker::SetDate(const QDate& date)
{
    if (date.isValid())
        m_date = date;
    m_refusedText.clear();
    Show();
}

void TDatePicker::Commit()
{
    if (!m_typed)
        return;
    const QString typed = text();
    const QDate date = ParseTypedDate(typed, m_date);
    if (date.isValid() && date >= m_minimum && date <= m_maximum) {
        Choose(date);
        return;
    }
    // Never a date the box guessed at: the one it had stays, and the screen says so
    // before anything is saved on it.
    m_refusedText = typed.trimmed().isEmpty() ? QStringLiteral(" ") : typed;
    Show();
}

void TDatePicker::keyPressEvent(QKeyEvent* event)
{
    const bool plain = !(event->modifiers() & ~Qt::KeypadModifier);
    const int key = event->key();
    if ((key == Qt::Key_Down && event->modifiers() & Qt::AltModifier) || (key == Qt::Key_F4 && plain)) {
        ShowCalendar();
        return;
    }
    if (plain && (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
        Commit();
        if (m_refusedText.isEmpty()) {
            const int step = key == Qt::Key_Up || key == Qt::Key_PageUp ? 1 : -1;
            Choose(key == Qt::Key_Up || key == Qt::Key_Down ? m_date.addDays(step) : m_date.addMonths(step));
        }
        selectAll();
        return;
    }
    // Enter reads the date before the screen's default button sees the key.
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        Commit();
    QLineEdit::keyPressEvent(event);
}

void TDatePicker::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // However the box was reached (a screen's Add, a shortcut, Tab), typing replaces the
    // date rather than adding to it; a click puts the cursor where it points.
    if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::PopupFocusReason)
        selectAll();
}

void TDatePicker::focusOutEvent(QFocusEvent* event)
{
    Commit();
    QLineEdit::focusOutEvent(event);
}

void TDatePicker::ShowCalendar()
{
    Commit();
    auto* popup = new QFrame(this, Qt::Popup);
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(popup);
    layout->setContentsMargins(1, 1, 1, 1);
    auto* calendar = new QCalendarWidget(popup);
    calendar->setObjectName(QStringLiteral("calendar"));
    calendar->setDateRange(m_minimum, m_maximum);
    calendar->setSelectedDate(m_date);
    layout->addWidget(calendar);
    auto pick = [this, popup](const QDate& date) {
        popup->close();
        Choose(date);
        setFocus(Qt::PopupFocusReason);
        selectAll();
    };
    connect(calendar, &QCalendarWidget::clicked, this, pick);
    connect(calendar, &QCalendarWidget::activated, this, pick);
    popup->move(mapToGlobal(QPoint(0, height())));
    popup->show();
    calendar->setFocus(Qt::PopupFocusReason);
}

QString TDatePicker::TakeRefusal()
{
    if (m_refusedText.isEmpty())
        return QString();
    const QDate today = QDate::currentDate();
    // The short date with its year whole: "30.12.99 to 31.12.99" says nothing.
    QString pattern = FormatSettings().ShortDateFormat;
    if (!pattern.contains(QLatin1String("yyyy"), Qt::CaseInsensitive))
        pattern.replace(QRegularExpression(QStringLiteral("[yY]{1,2}")), QStringLiteral("yyyy"));
    auto whole = [&](const QDate& d) { return FormatDate(pattern, d); };
    const QString refusal =
        QStringLiteral("'%1' is not a date: type a date such as %2 or %3; dates run from %4 to %5. The date went back "
                       "to %6.")
            .arg(m_refusedText.trimmed(), whole(today), FormatDate(WithoutDayName(FormatSettings().LongDateFormat), today),
                 whole(m_minimum), whole(m_maximum), whole(m_date));
    m_refusedText.clear();
    return refusal;
}

TItemCombo::TItemCombo(QWidget* parent) : QComboBox(parent)
{
    setEditable(false);
    connect(this, &QComboBox::activated, this, [this] { emit Change(); });
}

void TItemCombo::SetItems(const QStringList& ids, const QStringList& descriptions, const QStringList& leading)
{
    m_ids = ids;
    m_descriptions = descriptions;
    m_leading = int(leading.size());
    const QSignalBlocker quiet(this);
    clear();
    addItems(leading);
    addItems(descriptions);
    setCurrentIndex(-1);
}

bool TItemCombo::HasItem() const
{
    const int at = currentIndex() - m_leading;
    return at >= 0 && at < m_descriptions.size() && at < m_ids.size();
}

int TItemCombo::ItemId(const QString& what) const
{
    if (!HasItem())
        throw EAbortMessage(QStringLiteral("Please choose %1 from the list.").arg(what));
    // The first item of that description decides, when two share it.
    const int first = int(m_descriptions.indexOf(currentText()));
    bool ok = false;
    const int id = m_ids.value(first < 0 ? currentIndex() - m_leading : first).toInt(&ok);
    if (!ok)
        throw EAbortMessage(QStringLiteral("Please choose %1 from the list.").arg(what));
    return id;
}

void TItemCombo::SelectId(int id)
{
    const int at = int(m_ids.indexOf(QString::number(id)));
    SetItemIndex(at < 0 ? -1 : at + m_leading);
}

void TItemCombo::SetItemIndex(int index)
{
    const QSignalBlocker quiet(this);
    setCurrentIndex(index >= 0 && index < count() ? index : -1);
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

QLabel* NewLabel(const QString& caption, const QString& name, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

void SetInfoBackground(QWidget* box)
{
    QPalette info = box->palette();
    info.setColor(QPalette::Disabled, QPalette::Base, info.color(QPalette::ToolTipBase));
    info.setColor(QPalette::Disabled, QPalette::Text, info.color(QPalette::ToolTipText));
    box->setPalette(info);
}

QLineEdit* NewInfoEdit(QWidget* parent, const QString& name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setEnabled(false);
    box->setMaximumWidth(70);
    SetInfoBackground(box);
    return box;
}
