#pragma once

#include "secrets/KeySlot.h"

#include <QWidget>

#include <functional>
#include <memory>

class SiteRegister;

namespace Ui {
class ProtectionTab;
}

// The settings window's protection tab: switching the register's protection on and off, and
// the passwords (key slots) that open a protected register.
class ProtectionTab : public QWidget
{
    Q_OBJECT
public:
    explicit ProtectionTab(SiteRegister &siteRegister, QWidget *parent = nullptr);
    ~ProtectionTab() override;

    // Tests make many slots; the program always uses the moderate cost.
    void setPasswordCost(const PasswordCost &cost) { m_cost = cost; }
    // Shows the view that fits the register as it is now.
    void refresh();

signals:
    void protectionChanged();

private:
    void protect();
    void unprotect();
    void showAddSlot();
    void addSlot();
    void generateRecoveryKey();
    void removeSlot();
    void showProtected();
    void switchProtection(const std::function<void()> &step, const QString &doneText);
    bool run(const std::function<void()> &step);
    bool passwordTyped(const QString &password);
    bool confirmed(const QString &password, const QString &confirmation);
    QString freeRecoveryName() const;
    void clearPasswords();

    std::unique_ptr<Ui::ProtectionTab> ui;
    SiteRegister &m_register;
    PasswordCost m_cost = PasswordCost::moderate();
    bool m_protected = false;
};
