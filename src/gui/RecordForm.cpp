#include "gui/RecordForm.h"

#include "gui/WindowHelpers.h"

#include <QLineEdit>
#include <QPlainTextEdit>

RecordForm::RecordForm(const QList<QLineEdit *> &edits, const QList<QComboBox *> &dateBoxes,
                       QPlainTextEdit *remark, DatePicker::Entry entry, QWidget *window)
    : m_edits(SiteFieldCount, nullptr), m_pickers(SiteFieldCount, nullptr), m_remark(remark)
{
    int nextEdit = 0;
    int nextBox = 0;
    for (const FieldEntry &item : siteFields()) {
        const int field = int(item.field);
        if (item.kind == FieldKind::Date) {
            m_pickers[field] = new DatePicker(dateBoxes.at(nextBox), dateBoxes.at(nextBox + 1),
                                              dateBoxes.at(nextBox + 2), entry, window);
            nextBox += 3;
        } else if (item.field != SiteField::Remark) {
            m_edits[field] = edits.at(nextEdit++);
        }
    }
    Q_ASSERT(nextEdit == edits.size() && nextBox == dateBoxes.size());
}

QList<QLineEdit *> RecordForm::edits() const
{
    QList<QLineEdit *> shown = m_edits;
    shown.removeAll(nullptr);
    return shown;
}

QList<DatePicker *> RecordForm::pickers() const
{
    QList<DatePicker *> shown = m_pickers;
    shown.removeAll(nullptr);
    return shown;
}

SiteRecord RecordForm::record() const
{
    SiteRecord record;
    for (const FieldEntry &item : siteFields()) {
        if (const DatePicker *date = picker(item.field))
            record.setDate(item.field, date->date());
        else if (const QLineEdit *text = edit(item.field))
            record.setText(item.field, text->text());
    }
    record.setText(SiteField::Remark, WindowHelpers::exactText(m_remark));
    return record;
}

void RecordForm::show(const SiteRecord &record)
{
    for (const FieldEntry &item : siteFields()) {
        if (DatePicker *date = picker(item.field))
            date->setDate(record.date(item.field));
        else if (QLineEdit *text = edit(item.field))
            text->setText(record.text(item.field));
    }
    m_remark->setPlainText(record.text(SiteField::Remark));
}

void RecordForm::emptyTexts(const QLineEdit *keep)
{
    for (QLineEdit *field : edits())
        if (field != keep)
            field->clear();
    m_remark->clear();
}

std::optional<QString> RecordForm::dateRefusal(const QString &failure) const
{
    if (const std::optional<DatePair> outOfOrder = record().datesOutOfOrder())
        return outOfOrder->refusal;
    for (const DatePicker *date : pickers())
        if (date->isImpossible())
            return failure;
    return std::nullopt;
}
