#pragma once

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QComboBox;

// One date as three drop-downs (year 2000-3000, month 1-12, day 1-31). Values are only
// chosen from the lists: typed keys are dropped. ShowAny pickers can still show, and
// give back unchanged, a loaded value that is not among the items.
class DatePicker : public QObject
{
    Q_OBJECT
public:
    enum class Entry { ListOnly, ShowAny };

    DatePicker(QComboBox *year, QComboBox *month, QComboBox *day, Entry entry, QObject *parent = nullptr);

    // Shows the date, whether or not the lists hold its year; an invalid date empties the picker.
    void setDate(const QDate &date);
    // The date shown; invalid when a part is missing or the parts make no real date (2011-2-30).
    QDate date() const;
    // No part chosen: the record holds no date here.
    bool isEmpty() const;
    // Some parts chosen and some not.
    bool isIncomplete() const;
    // Every part chosen, yet no real date.
    bool isImpossible() const { return !isEmpty() && !isIncomplete() && !date().isValid(); }
    // The text of the date's label, without its colon ("网站空间到期时间").
    QString label() const { return m_label; }

    // A read-only picker still shows its value and takes focus, but nothing changes it.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_readOnly; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void show(const QStringList &parts);
    QStringList parts() const;
    void nameParts();
    int chosenParts() const;
    bool dropsKey(const class QKeyEvent *key) const;

    QList<QComboBox *> m_boxes;
    QString m_label;
    bool m_readOnly = false;
};
