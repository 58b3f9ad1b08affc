#pragma once

#include "gui/DatePicker.h"
#include "sites/SiteRecord.h"

#include <QList>

#include <optional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

// The controls that show one site record, laid out alike in the add and the site window: a
// text field per field, three drop-downs per date and the remark editor, each found by its
// field in the field table.
class RecordForm
{
public:
    template <typename Ui>
    RecordForm(const Ui &ui, DatePicker::Entry entry, QWidget *window)
        : RecordForm({ui.siteNumberEdit, ui.siteNameEdit, ui.addressEdit, ui.adminAddressEdit,
                      ui.adminUserEdit, ui.adminPasswordEdit, ui.ipEdit, ui.domainEdit, ui.domainUserEdit,
                      ui.domainPasswordEdit, ui.contactEdit, ui.siteSizeEdit, ui.databaseNameEdit,
                      ui.databaseSizeEdit, ui.databaseAddressEdit, ui.databaseUserEdit,
                      ui.databasePasswordEdit, ui.databaseTypeEdit},
                     {ui.hostingBoughtYearBox, ui.hostingBoughtMonthBox, ui.hostingBoughtDayBox,
                      ui.hostingExpiresYearBox, ui.hostingExpiresMonthBox, ui.hostingExpiresDayBox,
                      ui.domainRegisteredYearBox, ui.domainRegisteredMonthBox, ui.domainRegisteredDayBox,
                      ui.domainExpiresYearBox, ui.domainExpiresMonthBox, ui.domainExpiresDayBox},
                     ui.remarkEdit, entry, window)
    {
    }

    QLineEdit *edit(SiteField field) const { return m_edits.value(int(field)); }
    DatePicker *picker(SiteField field) const { return m_pickers.value(int(field)); }
    // Every text field (the remark aside) and every date, in field order.
    QList<QLineEdit *> edits() const;
    QList<DatePicker *> pickers() const;
    QPlainTextEdit *remarkEdit() const { return m_remark; }

    // The record as shown: texts as typed, the remark exactly as it stands.
    SiteRecord record() const;
    void show(const SiteRecord &record);
    // Empties every text field but keep, and the remark; the dates stay as they are.
    void emptyTexts(const QLineEdit *keep = nullptr);
    // Why the dates shown cannot be stored: the refusal of the first pair out of order, else
    // failure when a date with every part chosen is no real date (2011-2-30).
    std::optional<QString> dateRefusal(const QString &failure) const;

private:
    RecordForm(const QList<QLineEdit *> &edits, const QList<QComboBox *> &dateBoxes, QPlainTextEdit *remark,
               DatePicker::Entry entry, QWidget *window);

    // Indexed by SiteField; null where the field is shown by another kind of control.
    QList<QLineEdit *> m_edits;
    QList<DatePicker *> m_pickers;
    QPlainTextEdit *m_remark;
};
