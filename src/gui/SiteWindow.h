#pragma once

#include "sites/Renewal.h"
#include "sites/SiteStore.h"

#include <QWidget>

#include <memory>
#include <optional>

namespace Ui {
class SiteWindow;
}

class QPushButton;
class RecordForm;
class Session;
class SiteRegister;

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
    // An expiry date was renewed and stored: the lists and counters showing the site are out of date.
    void siteRenewed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void loadSite();
    void reportMissingDates(const QList<SiteField> &missing);
    void refuseRecord();
    void saveSiteSection();
    void saveDatabaseSection();
    void saveDateSection();
    void saveRemark();

    void setUpRenewal(QPushButton *oneYear, QPushButton *years, Renewal::Kind kind);
    void renew(Renewal::Kind kind, int years);
    void showRenewed(SiteField field, const QDate &renewed);

    bool datesAccepted(const QString &caption);
    void save(SiteSection section, const QString &caption);
    void refuseStaleSave(const QString &caption);
    void keepSaved(SiteSection section, const SiteRecord &saved);
    SiteRecord shownRecord() const;
    void setEditable(bool editable);

    std::unique_ptr<Ui::SiteWindow> ui;
    std::unique_ptr<RecordForm> m_form;
    SiteRegister &m_register;
    const Session &m_session;
    // The record as the last load found it, with the row every save is keyed by; none when
    // that load failed, so nothing is ever written under an address whose record is not on screen.
    std::optional<LoadedSite> m_loaded;
    // The remark as the editor showed it after loading: an untouched remark is saved back as stored.
    QString m_shownRemark;
    // The window was opened from the expiry list, so closing it refreshes that list.
    bool m_fromExpiryList = false;
};
