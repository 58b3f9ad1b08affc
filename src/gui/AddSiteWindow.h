#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class AddSiteWindow;
}

class RecordForm;
class Session;
class SiteRegister;
class QKeyEvent;

// The add window: one new site record per "添  加".
class AddSiteWindow : public QWidget
{
    Q_OBJECT
public:
    AddSiteWindow(SiteRegister &siteRegister, const Session &session, QWidget *parent = nullptr);
    ~AddSiteWindow() override;

signals:
    // The main list reloads: sites may have been added.
    void closed();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void proposeSiteNumber();
    void proposeSiteNumberIfEmpty();
    bool keepsSiteNumberKey(const QKeyEvent *key) const;
    void addSite();
    void askToEmptyFields();
    void emptyFieldsAndClose();

    bool isNewAddressAndNumber(const QString &address, const QString &siteNumber);
    bool datesAccepted();
    void insertSite();

    std::unique_ptr<Ui::AddSiteWindow> ui;
    std::unique_ptr<RecordForm> m_form;
    SiteRegister &m_register;
    const Session &m_session;
};
