#include "gui/AddSiteWindow.h"

#include "gui/Dialogs.h"
#include "gui/RecordForm.h"
#include "gui/WindowHelpers.h"
#include "platform/TextBytes.h"
#include "sites/Session.h"
#include "sites/SiteStore.h"
#include "store/SiteRegister.h"
#include "ui_AddSiteWindow.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QKeyEvent>

#include <exception>

namespace {

const QString Caption = QStringLiteral("提示");
const QString NotAdded = QStringLiteral("数据添加失败");

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
    m_form = std::make_unique<RecordForm>(*ui, DatePicker::Entry::ListOnly, this);
    m_form->picker(SiteField::HostingBought)->setDate(QDate(2010, 1, 1));
    m_form->picker(SiteField::HostingExpires)->setDate(QDate(2011, 1, 1));
    m_form->picker(SiteField::DomainRegistered)->setDate(QDate(2010, 1, 1));
    m_form->picker(SiteField::DomainExpires)->setDate(QDate(2011, 1, 1));

    ui->siteNumberEdit->installEventFilter(this);
    connect(ui->addButton, &QPushButton::clicked, this, &AddSiteWindow::addSite);
    connect(ui->clearButton, &QPushButton::clicked, this, &AddSiteWindow::askToEmptyFields);
    connect(ui->closeButton, &QPushButton::clicked, this, &AddSiteWindow::emptyFieldsAndClose);
}

AddSiteWindow::~AddSiteWindow() = default;

void AddSiteWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        adjustSize();
        WindowHelpers::centreOnScreen(this);
        proposeSiteNumber();
    }
}

void AddSiteWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    emit closed();
}

bool AddSiteWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->siteNumberEdit) {
        if (event->type() == QEvent::KeyPress)
            return !keepsSiteNumberKey(static_cast<QKeyEvent *>(event));
        if (event->type() == QEvent::MouseButtonRelease)
            proposeSiteNumberIfEmpty();
    }
    return QWidget::eventFilter(watched, event);
}

void AddSiteWindow::proposeSiteNumber()
{
    ui->siteNumberEdit->setText(timeStamp());
}

void AddSiteWindow::proposeSiteNumberIfEmpty()
{
    if (ui->siteNumberEdit->text().isEmpty())
        proposeSiteNumber();
}

bool AddSiteWindow::keepsSiteNumberKey(const QKeyEvent *key) const
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

void AddSiteWindow::addSite()
{
    const QString siteNumber = ui->siteNumberEdit->text().trimmed();
    if (siteNumber.isEmpty() || TextBytes::byteLength(siteNumber) < 6) {
        Dialogs::error(this, Caption, QStringLiteral("网站编号不能为空,并且位数不能小于6位"));
        return;
    }
    if (!isNewAddressAndNumber(ui->addressEdit->text().trimmed(), siteNumber) || !datesAccepted())
        return;
    insertSite();
}

bool AddSiteWindow::isNewAddressAndNumber(const QString &address, const QString &siteNumber)
{
    Query &query = *m_register.additions();
    try {
        if (SiteStore::hasAddress(query, address)) {
            Dialogs::error(this, Caption, QStringLiteral("此网站地址已经存在"));
            return false;
        }
        if (SiteStore::hasSiteNumber(query, siteNumber)) {
            Dialogs::error(this, Caption, QStringLiteral("此网站编号已经存在"));
            return false;
        }
    } catch (const std::exception &) {
        Dialogs::error(this, Caption, NotAdded);
        return false;
    }
    return true;
}

bool AddSiteWindow::datesAccepted()
{
    const std::optional<QString> refusal = m_form->dateRefusal(NotAdded);
    if (refusal)
        Dialogs::error(this, Caption, *refusal);
    return !refusal;
}

void AddSiteWindow::insertSite()
{
    try {
        SiteStore::insert(*m_register.additions(), m_form->record(), m_session.secretKey());
    } catch (const std::exception &) {
        Dialogs::error(this, Caption, NotAdded);
        return;
    }
    Dialogs::notice(this, Caption, QStringLiteral("数据库添加成功"));
}

void AddSiteWindow::askToEmptyFields()
{
    if (Dialogs::confirm(this, Caption, QStringLiteral("确定要清空吗？")))
        m_form->emptyTexts();
}

void AddSiteWindow::emptyFieldsAndClose()
{
    m_form->emptyTexts();
    close();
}
