#include "gui/SettingsWindow.h"

#include "gui/Dialogs.h"
#include "gui/ProtectionTab.h"
#include "gui/WindowHelpers.h"
#include "platform/Maker.h"
#include "platform/ProgramFolder.h"
#include "sites/DueNotice.h"
#include "sites/KeyChange.h"
#include "sites/LeadTimes.h"
#include "sites/Session.h"
#include "store/Compaction.h"
#include "store/Query.h"
#include "store/RememberedRegister.h"
#include "store/SiteRegister.h"
#include "store/StoreError.h"
#include "ui_SettingsWindow.h"

#include <QDir>
#include <QLineEdit>
#include <QShowEvent>
#include <QTabBar>

#include <algorithm>
#include <exception>
#include <optional>

namespace {

const QString Caption = QStringLiteral("提示");

// Values come from the list only: the edit field shows them but takes no typing.
void prepareLeadTimeBox(QComboBox *box)
{
    for (int day = 1; day <= 31; ++day)
        box->addItem(QString::number(day));
    box->setCurrentIndex(2);
    box->lineEdit()->setReadOnly(true);
    box->setInsertPolicy(QComboBox::NoInsert);
}

// A stored value outside the list still shows as the box's text.
void showLeadTime(QComboBox *box, const QString &text)
{
    const int index = box->findText(text);
    if (index >= 0)
        box->setCurrentIndex(index);
    box->setEditText(text);
}

} // namespace

SettingsWindow::SettingsWindow(SiteRegister &siteRegister, const Session &session, QWidget *parent)
    : QWidget(parent), ui(new Ui::SettingsWindow), m_register(siteRegister), m_session(session),
      m_protectionTab(new ProtectionTab(siteRegister))
{
    ui->setupUi(this);
    ui->settingsTabs->addTab(m_protectionTab, QStringLiteral("保护模式"));
    connect(m_protectionTab, &ProtectionTab::protectionChanged, this, &SettingsWindow::protectionChanged);
    WindowHelpers::setCloseBoxFrame(this, /*stayOnTop*/ true);
    setFont(WindowHelpers::boldFont());
    // Slim tabs keep the window narrow; a wider font than the usual ones widens it so that the
    // four tab titles still stand side by side.
    setStyleSheet(QStringLiteral("QTabBar::tab { padding: 4px 7px; }"));
    ui->settingsTabs->setUsesScrollButtons(false);
    ui->settingsTabs->tabBar()->ensurePolished();
    setFixedSize(std::max(320, ui->settingsTabs->tabBar()->sizeHint().width()), 210);
    prepareLeadTimeBox(ui->hostingLeadBox);
    prepareLeadTimeBox(ui->domainLeadBox);

    connect(ui->saveLeadTimesButton, &QPushButton::clicked, this, &SettingsWindow::saveLeadTimes);
    connect(ui->compactButton, &QPushButton::clicked, this, &SettingsWindow::compactRegister);
    connect(ui->changeKeyButton, &QPushButton::clicked, this, &SettingsWindow::changeSecretKey);
    connect(ui->confirmKeyEdit, &QLineEdit::returnPressed, this, &SettingsWindow::changeSecretKey);
    connect(ui->changeRegisterButton, &QPushButton::clicked, this, &SettingsWindow::changeRegister);
    connect(ui->registerEdit, &QLineEdit::returnPressed, this, &SettingsWindow::changeRegister);
    for (QPushButton *button : {ui->leadTimesCloseButton, ui->secretKeyCloseButton})
        connect(button, &QPushButton::clicked, this, &QWidget::close);
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::setPasswordCost(const PasswordCost &cost)
{
    m_protectionTab->setPasswordCost(cost);
}

void SettingsWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // restored from minimised, not shown anew
    if (!m_placed && screen()) {
        m_placed = true;
        WindowHelpers::centreOnScreen(this);
    }
    showRegisterFolder();
    loadLeadTimes();
    m_protectionTab->refresh();
}

// Installed, portable or named on the command line: the user sees which folder holds the
// carriers, and which register is being worked on (and compacted here).
void SettingsWindow::showRegisterFolder()
{
    const QString folder = QDir::toNativeSeparators(ProgramFolder::path());
    ui->registerFolderEdit->setText(folder);
    ui->registerFolderEdit->setToolTip(folder);
    ui->registerFolderEdit->setCursorPosition(0);
    showRegister(m_register.address().shownText());
}

// The field's tool tip says what it takes; a long path or connection string shows from its start.
void SettingsWindow::showRegister(const QString &shownText)
{
    ui->registerEdit->setText(shownText);
    ui->registerEdit->setCursorPosition(0);
}

// Another register is taken at the next start, never under open windows. The folder's carriers
// stay: a team sets the same secret key at every desk.
void SettingsWindow::changeRegister()
{
    const QString typed = ui->registerEdit->text().trimmed();
    RegisterAddress chosen; // none: the folder's own db.mdb
    if (!typed.isEmpty()) {
        QString refusal;
        chosen = RegisterAddress::fromText(typed, refusal);
        if (refusal.isEmpty() && !chosen.isServer())
            refusal = RegisterAddress::refusalOfFile(chosen.path());
        if (!refusal.isEmpty()) {
            Dialogs::error(this, Caption, refusal);
            return;
        }
    }
    if (!RememberedRegister::remember(ProgramFolder::path(), chosen)) {
        Dialogs::error(this, Caption, QStringLiteral("无法记住所选的数据库"));
        return;
    }
    const QString next =
        (chosen.isNone() ? RegisterAddress::inFolder(ProgramFolder::path()) : chosen).shownText();
    showRegister(next);
    QString text = QStringLiteral("已记住，下次启动 Corvane 时使用这个数据库：\r") + next;
    if (chosen.hadSecret())
        text += QStringLiteral("\r连接串中的密码不会记住，请把它写在 ~/.pgpass 或 PostgreSQL 的服务文件中");
    Dialogs::notice(this, Caption, text);
}

// Every showing reloads the lead times, so choices left unsaved are dropped.
void SettingsWindow::loadLeadTimes()
{
    Query &query = *m_register.leadTimes();
    try {
        LeadTimes::open(query);
        showLeadTime(ui->hostingLeadBox, LeadTimes::text(query, LeadTimes::HostingColumn));
        showLeadTime(ui->domainLeadBox, LeadTimes::text(query, LeadTimes::DomainColumn));
        query.close();
        ui->dueNoticeBox->setChecked(DueNotice::enabled(query));
    } catch (const StoreError &) {
        query.close();
        Dialogs::error(this, Caption, QStringLiteral("数据查询失败"));
    }
}

void SettingsWindow::saveLeadTimes()
{
    try {
        LeadTimes::write(*m_register.leadTimes(), ui->hostingLeadBox->currentText(),
                         ui->domainLeadBox->currentText());
        DueNotice::setEnabled(*m_register.leadTimes(), ui->dueNoticeBox->isChecked());
    } catch (const StoreError &) {
        Dialogs::error(this, Caption, QStringLiteral("数据修改失败"));
        return;
    }
    Dialogs::notice(this, Caption, QStringLiteral("数据修改成功"));
}

void SettingsWindow::compactRegister()
{
    std::optional<Compaction::Outcome> outcome;
    try {
        const WindowHelpers::WaitCursor wait;
        outcome = Compaction::compactRegisterFile(m_register.connection(), m_register.address().path());
    } catch (const std::exception &) {
    }
    if (!outcome)
        Dialogs::error(this, Caption, QStringLiteral("压缩数据库出错") + Maker::contactBlock());
    else if (outcome == Compaction::Outcome::LeftToServer)
        Dialogs::notice(this, Caption, QStringLiteral("数据库在服务器上，由服务器自动整理，无需压缩"));
    else
        Dialogs::notice(this, Caption, QStringLiteral("压缩数据库成功"));
}

void SettingsWindow::changeSecretKey()
{
    const QString currentKey = m_session.secretKey();
    const QString newKey = ui->newKeyEdit->text();
    switch (KeyChange::check(currentKey, ui->currentKeyEdit->text(), newKey, ui->confirmKeyEdit->text())) {
    case KeyChange::Refusal::WrongCurrentKey:
        Dialogs::error(this, Caption, QStringLiteral("原始密钥输入有错"));
        return;
    case KeyChange::Refusal::TooShort:
        Dialogs::error(this, Caption, QStringLiteral("密钥位数小于6位"));
        return;
    case KeyChange::Refusal::Mismatch:
        Dialogs::error(this, Caption, QStringLiteral("两次密码输入不一致"));
        return;
    case KeyChange::Refusal::None:
        break;
    }
    try {
        KeyChange::change(m_register.connection(), currentKey, ui->confirmKeyEdit->text());
    } catch (const std::exception &) {
        Dialogs::error(this, Caption,
                       QStringLiteral("密钥修改出错,请检查是否缺少必要的文件") + Maker::contactBlock());
        return;
    }
    Dialogs::notice(this, Caption, QStringLiteral("密钥修改成功,请重启本软件！"));
    // The new key takes effect when the program starts again and reads it.
    emit quitRequested();
}
