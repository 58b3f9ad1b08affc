#include "gui/AddSiteWindow.h"

#include "gui/DatePicker.h"
#include "gui/Dialogs.h"
#include "gui/WindowHelpers.h"
#include "platform/TextBytes.h"
#include "sites/Session.h"
#include "sites/SiteCredentials.h"
#include "store/Query.h"
#include "store/SiteRegister.h"
#include "store/Statements.h"
#include "ui_AddSiteWindow.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QKeyEvent>

#include <exception>

namespace {

const QString Caption = QStringLiteral("提示");

QString timeStamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
}

} // namespace

AddSiteWindow::AddSiteWindow(SiteRegister &siteRegister, const Session &session, QWidget *parent)
    : QWidget(parent), ui(new Ui::AddSiteWindow), m_register(siteRegister), m_session(session)
{
    ui->setupUi(this);
    WindowHelpers::setCloseBoxFrame(this, /*stayOnTop*/ true);
    using Entry = DatePicker::Entry;
    m_hostingBought = new DatePicker(ui->sComboBox1, ui->sComboBox2, ui->sComboBox3, Entry::ListOnly, this);
    m_hostingExpires = new DatePicker(ui->sComboBox4, ui->sComboBox5, ui->sComboBox6, Entry::ListOnly, this);
    m_domainRegistered =
        new DatePicker(ui->sComboBox7, ui->sComboBox8, ui->sComboBox9, Entry::ListOnly, this);
    m_domainExpires =
        new DatePicker(ui->sComboBox10, ui->sComboBox11, ui->sComboBox12, Entry::ListOnly, this);
    m_hostingBought->select(2010, 1, 1);
    m_hostingExpires->select(2011, 1, 1);
    m_domainRegistered->select(2010, 1, 1);
    m_domainExpires->select(2011, 1, 1);

    ui->sEdit1->installEventFilter(this);
    connect(ui->sBitBtn1, &QPushButton::clicked, this, &AddSiteWindow::sBitBtn1Click);
    connect(ui->sBitBtn2, &QPushButton::clicked, this, &AddSiteWindow::sBitBtn2Click);
    connect(ui->sBitBtn3, &QPushButton::clicked, this, &AddSiteWindow::sBitBtn3Click);
}

AddSiteWindow::~AddSiteWindow() = default;

void AddSiteWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        adjustSize();
        WindowHelpers::centreOnScreen(this);
        FormShow();
    }
}

void AddSiteWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    emit closed();
}

bool AddSiteWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->sEdit1) {
        if (event->type() == QEvent::KeyPress)
            return !sEdit1KeyPress(static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::MouseButtonRelease)
            sEdit1Click();
    }
    return QWidget::eventFilter(watched, event);
}

void AddSiteWindow::FormShow()
{
    ui->sEdit1->setText(timeStamp());
}

void AddSiteWindow::sEdit1Click()
{
    if (ui->sEdit1->text().isEmpty())
        ui->sEdit1->setText(timeStamp());
}

bool AddSiteWindow::sEdit1KeyPress(const QKeyEvent *key) const
{
    // Shortcuts pass: pasted text is not filtered.
    if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier | Qt::AltModifier))
        return true;
    const QString text = key->text();
    if (text.isEmpty() || text == QLatin1String("\b"))
        return true;
    const QChar typed = text.at(0);
    return !typed.isPrint() || (typed >= QLatin1Char('0') && typed <= QLatin1Char('9'));
}

void AddSiteWindow::sBitBtn1Click()
{
    const QString siteNumber = ui->sEdit1->text().trimmed();
    if (siteNumber.isEmpty() || TextBytes::byteLength(siteNumber) < 6) {
        Dialogs::error(this, Caption, QStringLiteral("网站编号不能为空,并且位数不能小于6位"));
        return;
    }
    if (!isNewAddressAndNumber(ui->sEdit3->text().trimmed(), siteNumber) || !datesInOrder())
        return;
    insertSite(siteNumber);
}

bool AddSiteWindow::isNewAddressAndNumber(const QString &address, const QString &siteNumber)
{
    Query *query = m_register.additions();
    try {
        // Each lookup is closed again before the user is told anything.
        if (query->countRows(Statements::AddressLookup, QStringLiteral("web_address"), address) > 0) {
            Dialogs::error(this, Caption, QStringLiteral("此网站地址已经存在"));
            return false;
        }
        if (query->countRows(Statements::SiteNumberLookup, QStringLiteral("web_id"), siteNumber) > 0) {
            Dialogs::error(this, Caption, QStringLiteral("此网站编号已经存在"));
            return false;
        }
    } catch (const std::exception &) {
        query->close();
        Dialogs::error(this, Caption, QStringLiteral("数据添加失败"));
        return false;
    }
    return true;
}

bool AddSiteWindow::datesInOrder()
{
    if (m_hostingExpires->isBefore(*m_hostingBought)) {
        Dialogs::error(this, Caption, QStringLiteral("网站到期时间不能小网站申请日期"));
        return false;
    }
    if (m_domainExpires->isBefore(*m_domainRegistered)) {
        Dialogs::error(this, Caption, QStringLiteral("域名到期时间不能小域名申请日期"));
        return false;
    }
    return true;
}

void AddSiteWindow::insertSite(const QString &siteNumber)
{
    const QString key = m_session.secretKey();
    const auto plain = [](const QLineEdit *field) { return field->text().trimmed(); };
    // Credentials go in exactly as typed, each under its own random key byte.
    const auto scrambled = [&siteNumber](const QLineEdit *field) {
        return SiteCredentials::scramble(field->text(), siteNumber);
    };
    Query *query = m_register.additions();
    try {
        query->close();
        query->clearSql();
        query->addSql(Statements::InsertSite);
        query->setParameter(QStringLiteral("web_id"), siteNumber);
        query->setParameter(QStringLiteral("web_name"), plain(ui->sEdit2));
        query->setParameter(QStringLiteral("web_address"), plain(ui->sEdit3));
        query->setParameter(QStringLiteral("web_login"), plain(ui->sEdit4));
        query->setParameterBytes(QStringLiteral("web_user"), scrambled(ui->sEdit5));
        query->setParameterBytes(QStringLiteral("web_pass"), scrambled(ui->sEdit6));
        query->setParameter(QStringLiteral("web_ip"), plain(ui->sEdit7));
        query->setParameter(QStringLiteral("web_size"), plain(ui->sEdit12));
        query->setParameter(QStringLiteral("web_domain"), plain(ui->sEdit8));
        query->setParameterBytes(QStringLiteral("web_domainuser"),
                                 SiteCredentials::scramble(ui->sEdit9->text(), siteNumber, key));
        query->setParameterBytes(QStringLiteral("web_domainpass"), scrambled(ui->sEdit10));
        query->setParameter(QStringLiteral("web_linkman"), plain(ui->sEdit11));
        query->setParameterBytes(QStringLiteral("web_dbname"), scrambled(ui->sEdit13));
        query->setParameter(QStringLiteral("web_dbsize"), plain(ui->sEdit14));
        query->setParameterBytes(QStringLiteral("web_dbip"), scrambled(ui->sEdit15));
        query->setParameterBytes(QStringLiteral("web_dbuser"), scrambled(ui->sEdit16));
        query->setParameterBytes(QStringLiteral("web_dbpass"), scrambled(ui->sEdit17));
        query->setParameter(QStringLiteral("web_domaintime"), m_domainRegistered->dateText());
        query->setParameter(QStringLiteral("web_enddomaintime"), m_domainExpires->dateText());
        query->setParameter(QStringLiteral("web_time"), m_hostingBought->dateText());
        query->setParameter(QStringLiteral("web_endtime"), m_hostingExpires->dateText());
        query->setParameter(QStringLiteral("web_remark"), WindowHelpers::exactText(ui->sMemo1));
        query->setParameter(QStringLiteral("web_dbtype"), plain(ui->sEdit21));
        query->execute();
    } catch (const std::exception &) {
        Dialogs::error(this, Caption, QStringLiteral("数据添加失败"));
        return;
    }
    Dialogs::notice(this, Caption, QStringLiteral("数据库添加成功"));
}

QList<QLineEdit *> AddSiteWindow::textFields() const
{
    return {ui->sEdit1,  ui->sEdit2,  ui->sEdit3,  ui->sEdit4,  ui->sEdit5,  ui->sEdit6,
            ui->sEdit7,  ui->sEdit8,  ui->sEdit9,  ui->sEdit10, ui->sEdit11, ui->sEdit12,
            ui->sEdit13, ui->sEdit14, ui->sEdit15, ui->sEdit16, ui->sEdit17, ui->sEdit21};
}

void AddSiteWindow::emptyFields()
{
    for (QLineEdit *field : textFields())
        field->clear();
    ui->sMemo1->clear();
}

void AddSiteWindow::sBitBtn3Click()
{
    if (Dialogs::confirm(this, Caption, QStringLiteral("确定要清空吗？")))
        emptyFields();
}

void AddSiteWindow::sBitBtn2Click()
{
    emptyFields();
    close();
}
