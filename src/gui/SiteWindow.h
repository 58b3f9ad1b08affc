#pragma once

#include <QList>
#include <QWidget>

#include <memory>

namespace Ui {
class SiteWindow;
}

class DatePicker;
class Session;
class SiteRegister;
class Query;
class QLineEdit;

// The modify / detail window: one site record in full, saved section by section.
class SiteWindow : public QWidget
{
    Q_OBJECT
public:
    SiteWindow(SiteRegister &siteRegister, const Session &session, QWidget *parent = nullptr);
    ~SiteWindow() override;

    enum class Mode { Modify, Detail };
    // Loads the record with this address and shows it; fromExpiryList sets the marker.
    void openRecord(const QString &address, Mode mode, bool fromExpiryList = false);
    // The expiry list is gone: closing this window refreshes the main list again.
    void clearExpiryMarker();

signals:
    // The list that opened the window reloads: the site may have been saved.
    void closed(bool fromExpiryList);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // How far the last load came; a section is saved only when it was loaded, so nothing
    // is ever written under an address whose record is not on screen.
    enum class Loaded { Nothing, SiteSection, DatabaseSection, Dates, Everything };

    void FormShow();
    void loadSections(const Query &query);
    void loadDates(const Query &query);
    void reportMissingDates();
    void refuseRecord();
    void emptyUnloadedSections();
    void sBitBtn1Click();
    void sBitBtn2Click();
    void sBitBtn3Click();
    void sBitBtn4Click();

    template <typename Bind>
    void save(Loaded needed, const QString &caption, const QString &statement, Bind bind);
    void setEditable(bool editable);
    QList<QLineEdit *> textFields() const;
    QList<DatePicker *> pickers() const;
    QString siteNumber() const;

    std::unique_ptr<Ui::SiteWindow> ui;
    SiteRegister &m_register;
    const Session &m_session;
    DatePicker *m_hostingBought;
    DatePicker *m_hostingExpires;
    DatePicker *m_domainRegistered;
    DatePicker *m_domainExpires;
    Loaded m_loaded = Loaded::Nothing;
    // The loaded record's id and stored address: every save is keyed by both.
    QString m_recordId;
    QString m_recordAddress;
    // Labels of the dates the loaded record lacks.
    QStringList m_missingDates;
    // The remark as stored, and as the editor showed it, so an untouched remark is saved back unchanged.
    QString m_loadedRemark;
    QString m_shownRemark;
};
