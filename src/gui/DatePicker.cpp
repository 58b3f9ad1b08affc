#include "gui/DatePicker.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

void fill(QComboBox *box, int from, int to)
{
    QStringList items;
    for (int value = from; value <= to; ++value)
        items << QString::number(value);
    box->addItems(items);
}

} // namespace

DatePicker::DatePicker(QComboBox *year, QComboBox *month, QComboBox *day, Entry entry, QObject *parent)
    : QObject(parent), m_boxes{year, month, day}
{
    fill(year, 2000, 3000);
    fill(month, 1, 12);
    fill(day, 1, 31);
    for (QComboBox *box : std::as_const(m_boxes)) {
        box->setMaxVisibleItems(12);
        if (entry == Entry::ShowAny) {
            box->setEditable(true);
            box->setInsertPolicy(QComboBox::NoInsert);
            box->lineEdit()->setReadOnly(true);
            box->lineEdit()->installEventFilter(this);
        }
        box->installEventFilter(this);
        box->view()->installEventFilter(this);
    }
    nameParts();
}

// The date's label is the year's buddy; screen readers hear it with the part: "网站空间购买日期：年".
void DatePicker::nameParts()
{
    const QStringList units = {QStringLiteral("年"), QStringLiteral("月"), QStringLiteral("日")};
    QString dateLabel;
    for (const QLabel *label : m_boxes.first()->parentWidget()->findChildren<QLabel *>())
        if (label->buddy() == m_boxes.first() && !units.contains(label->text()))
            dateLabel = label->text();
    for (int i = 0; i < m_boxes.size(); ++i)
        m_boxes.at(i)->setAccessibleName(dateLabel + units.at(i));
    m_label = dateLabel;
    m_label.remove(QStringLiteral("："));
}

void DatePicker::setDate(const QDate &date)
{
    if (!date.isValid()) {
        show({});
        return;
    }
    show({QString::number(date.year()), QString::number(date.month()), QString::number(date.day())});
}

QDate DatePicker::date() const
{
    int numbers[3] = {};
    const QStringList shown = parts();
    for (int i = 0; i < 3; ++i) {
        bool isNumber = false;
        numbers[i] = shown.value(i).trimmed().toInt(&isNumber);
        if (!isNumber)
            return QDate();
    }
    return QDate(numbers[0], numbers[1], numbers[2]);
}

void DatePicker::show(const QStringList &parts)
{
    for (int i = 0; i < m_boxes.size(); ++i) {
        QComboBox *box = m_boxes.at(i);
        const QString part = parts.value(i);
        box->setCurrentIndex(box->findText(part));
        // An editable box keeps its old edit text when the index does not change.
        if (box->isEditable())
            box->setEditText(part);
    }
}

QStringList DatePicker::parts() const
{
    QStringList result;
    for (const QComboBox *box : m_boxes)
        result << box->currentText();
    return result;
}

int DatePicker::chosenParts() const
{
    int chosen = 0;
    for (const QString &part : parts())
        chosen += part.trimmed().isEmpty() ? 0 : 1;
    return chosen;
}

bool DatePicker::isEmpty() const
{
    return chosenParts() == 0;
}

bool DatePicker::isIncomplete() const
{
    const int chosen = chosenParts();
    return chosen > 0 && chosen < m_boxes.size();
}

void DatePicker::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
}

bool DatePicker::dropsKey(const QKeyEvent *key) const
{
    // Tab moves on and Escape closes the window, even where the dates cannot be changed.
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab || key->key() == Qt::Key_Escape)
        return false;
    if (m_readOnly)
        return true;
    // Typed characters would search or edit the list; navigation keys still choose items.
    const QString text = key->text();
    return !text.isEmpty() && (text.at(0).isPrint() || text.at(0) == QLatin1Char('\b'));
}

bool DatePicker::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        return dropsKey(static_cast<QKeyEvent *>(event));
    case QEvent::MouseButtonPress:
        // The text part of a ShowAny picker cannot be typed in, so a click there opens the list.
        if (!m_readOnly) {
            auto *box = qobject_cast<QComboBox *>(watched->parent());
            if (box && box->lineEdit() == watched) {
                box->showPopup();
                return true;
            }
        }
        return m_readOnly;
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
        return m_readOnly;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
