#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class AddSiteWindow;
}

class DatePicker;
class Session;
class SiteRegister;
class QKeyEvent;
class QLineEdit;

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
    void FormShow();
    void sEdit1Click();
    bool sEdit1KeyPress(const QKeyEvent *key) const; // true keeps the key
    void sBitBtn1Click();
    void sBitBtn2Click();
    void sBitBtn3Click();

    bool isNewAddressAndNumber(const QString &address, const QString &siteNumber);
    bool datesInOrder();
    void insertSite(const QString &siteNumber);
    void emptyFields();
    QList<QLineEdit *> textFields() const;

    std::unique_ptr<Ui::AddSiteWindow> ui;
    SiteRegister &m_register;
    const Session &m_session;
    DatePicker *m_hostingBought;
    DatePicker *m_hostingExpires;
    DatePicker *m_domainRegistered;
    DatePicker *m_domainExpires;
};
