#include "gui/SiteWindow.h"

#include "gui/DatePicker.h"
#include "gui/Dialogs.h"
#include "gui/WindowHelpers.h"
#include "platform/Maker.h"
#include "sites/Session.h"
#include "sites/SiteCredentials.h"
#include "store/DateText.h"
#include "store/Query.h"
#include "store/SiteRegister.h"
#include "store/Statements.h"
#include "store/StoreError.h"
#include "ui_SiteWindow.h"

#include <QCloseEvent>
#include <QRegularExpression>

#include <exception>

namespace {

const QString Saved = QStringLiteral("数据修改成功");
const QString NotSaved = QStringLiteral("数据修改出错");

// An address no row has reads every column as empty text.
QString columnText(const Query &query, const QString &field)
{
    return query.eof() ? QString() : query.text(field);
}

QByteArray columnBytes(const Query &query, const QString &field)
{
    return query.eof() ? QByteArray() : query.bytes(field);
}

} // namespace

SiteWindow::SiteWindow(SiteRegister &siteRegister, const Session &session, QWidget *parent)
    : QWidget(parent), ui(new Ui::SiteWindow), m_register(siteRegister), m_session(session)
{
    ui->setupUi(this);
    WindowHelpers::setCloseBoxFrame(this, /*stayOnTop*/ true);
    ui->sEdit22->hide();
    using Entry = DatePicker::Entry;
    m_hostingBought = new DatePicker(ui->sComboBox1, ui->sComboBox2, ui->sComboBox3, Entry::ShowAny, this);
    m_hostingExpires = new DatePicker(ui->sComboBox4, ui->sComboBox5, ui->sComboBox6, Entry::ShowAny, this);
    m_domainRegistered = new DatePicker(ui->sComboBox7, ui->sComboBox8, ui->sComboBox9, Entry::ShowAny, this);
    m_domainExpires = new DatePicker(ui->sComboBox10, ui->sComboBox11, ui->sComboBox12, Entry::ShowAny, this);
    ui->sEdit1->setReadOnly(true);
    ui->sEdit3->setReadOnly(true);

    connect(ui->sBitBtn1, &QPushButton::clicked, this, &SiteWindow::sBitBtn1Click);
    connect(ui->sBitBtn2, &QPushButton::clicked, this, &SiteWindow::sBitBtn2Click);
    connect(ui->sBitBtn3, &QPushButton::clicked, this, &SiteWindow::sBitBtn3Click);
    connect(ui->sBitBtn4, &QPushButton::clicked, this, &SiteWindow::sBitBtn4Click);
    for (QPushButton *exit : {ui->sBitBtn5, ui->sBitBtn6, ui->sBitBtn7, ui->sBitBtn8})
        connect(exit, &QPushButton::clicked, this, &QWidget::close);
}

SiteWindow::~SiteWindow() = default;

void SiteWindow::openRecord(const QString &address, Mode mode, bool fromExpiryList)
{
    if (address.isEmpty())
        return;
    // The marker names the list that opened the window last, so closing refreshes that one.
    ui->sEdit22->setText(fromExpiryList ? QStringLiteral("1") : QString());
    ui->sEdit3->setText(address);
    setWindowTitle(mode == Mode::Modify ? QStringLiteral("网站资料修改")
                                        : QStringLiteral("网站资料详细查询"));
    setEditable(mode == Mode::Modify);
    if (!isVisible()) {
        adjustSize();
        WindowHelpers::centreOnScreen(this);
        show();
    }
    raise();
    activateWindow();
    // Loaded at every opening, also when the window was already up with another record.
    FormShow();
}

void SiteWindow::clearExpiryMarker()
{
    ui->sEdit22->clear();
}

void SiteWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    emit closed(ui->sEdit22->text() == QLatin1String("1"));
}

void SiteWindow::setEditable(bool editable)
{
    for (QPushButton *button : {ui->sBitBtn1, ui->sBitBtn2, ui->sBitBtn3, ui->sBitBtn4, ui->sBitBtn5,
                                ui->sBitBtn6, ui->sBitBtn7, ui->sBitBtn8})
        button->setEnabled(editable);
    // Every save is keyed by the address, and the site number is part of every credential.
    for (QLineEdit *field : textFields())
        field->setReadOnly(!editable || field == ui->sEdit1 || field == ui->sEdit3);
    ui->sMemo1->setReadOnly(!editable);
    for (DatePicker *picker : pickers())
        picker->setReadOnly(!editable);
}

QList<QLineEdit *> SiteWindow::textFields() const
{
    return {ui->sEdit1,  ui->sEdit2,  ui->sEdit3,  ui->sEdit4,  ui->sEdit5,  ui->sEdit6,
            ui->sEdit7,  ui->sEdit8,  ui->sEdit9,  ui->sEdit10, ui->sEdit11, ui->sEdit12,
            ui->sEdit13, ui->sEdit14, ui->sEdit15, ui->sEdit16, ui->sEdit17, ui->sEdit21};
}

QList<DatePicker *> SiteWindow::pickers() const
{
    return {m_hostingBought, m_hostingExpires, m_domainRegistered, m_domainExpires};
}

QString SiteWindow::siteNumber() const
{
    return ui->sEdit1->text().trimmed();
}

void SiteWindow::FormShow()
{
    m_loaded = Loaded::Nothing;
    Query *query = m_register.siteLoad();
    try {
        query->close();
        query->clearSql();
        query->addSql(Statements::LoadSite);
        query->setParameter(QStringLiteral("web_address"), ui->sEdit3->text().trimmed());
        query->open();
        loadSections(*query);
        query->close();
        reportMissingDates();
    } catch (const std::exception &) {
        query->close();
        emptyUnloadedSections();
        Dialogs::error(this, QStringLiteral("提示"),
                       QStringLiteral("数据查询出错") + Maker::shortContactBlock());
    }
}

// What a failed load did not reach must not go on showing the record shown before it.
void SiteWindow::emptyUnloadedSections()
{
    const QList<QLineEdit *> fields = textFields();
    if (m_loaded < Loaded::SiteSection)
        for (QLineEdit *field : fields.mid(0, 12))
            if (field != ui->sEdit3)
                field->clear();
    if (m_loaded < Loaded::DatabaseSection) {
        for (QLineEdit *field : fields.mid(12))
            field->clear();
        for (DatePicker *picker : pickers())
            picker->show({});
    }
    ui->sMemo1->clear();
    m_loadedRemark.clear();
    m_shownRemark.clear();
}

void SiteWindow::loadSections(const Query &query)
{
    const bool found = !query.eof();
    const auto text = [&query](const char *field) { return columnText(query, QLatin1String(field)); };
    // Saves go to this very record: another site that takes its address later is never touched.
    m_recordId = text("id");
    m_recordAddress = text("web_address");
    const QString number = text("web_id").trimmed();
    QString domainUser;
    if (!SiteCredentials::readDomainUser(columnBytes(query, QStringLiteral("web_domainuser")), number,
                                         m_session.secretKey(), domainUser)) {
        refuseRecord();
        return;
    }
    const auto credential = [&query, &number](const char *field) {
        return SiteCredentials::read(columnBytes(query, QLatin1String(field)), number);
    };
    ui->sEdit1->setText(text("web_id"));
    ui->sEdit2->setText(text("web_name"));
    ui->sEdit4->setText(text("web_login"));
    ui->sEdit5->setText(credential("web_user"));
    ui->sEdit6->setText(credential("web_pass"));
    ui->sEdit7->setText(text("web_ip"));
    ui->sEdit8->setText(text("web_domain"));
    ui->sEdit9->setText(domainUser);
    ui->sEdit10->setText(credential("web_domainpass"));
    ui->sEdit11->setText(text("web_linkman"));
    ui->sEdit12->setText(text("web_size"));
    if (found)
        m_loaded = Loaded::SiteSection;

    ui->sEdit13->setText(credential("web_dbname"));
    ui->sEdit14->setText(text("web_dbsize"));
    ui->sEdit15->setText(credential("web_dbip"));
    ui->sEdit16->setText(credential("web_dbuser"));
    ui->sEdit17->setText(credential("web_dbpass"));
    ui->sEdit21->setText(text("web_dbtype"));
    if (found)
        m_loaded = Loaded::DatabaseSection;

    loadDates(query);
    if (found)
        m_loaded = Loaded::Dates;

    m_loadedRemark = text("web_remark");
    ui->sMemo1->setPlainText(m_loadedRemark);
    m_shownRemark = WindowHelpers::exactText(ui->sMemo1);
    if (found)
        m_loaded = Loaded::Everything;
}

void SiteWindow::loadDates(const Query &query)
{
    static const QRegularExpression separator(QStringLiteral("[- ]"));
    const QList<QPair<const char *, DatePicker *>> dates = {{"web_time", m_hostingBought},
                                                            {"web_endtime", m_hostingExpires},
                                                            {"web_domaintime", m_domainRegistered},
                                                            {"web_enddomaintime", m_domainExpires}};
    m_missingDates.clear();
    if (query.eof()) {
        for (DatePicker *picker : pickers())
            picker->show({});
        throw StoreError(QStringLiteral("no record has this address"));
    }
    for (const auto &[field, picker] : dates) {
        const QStringList parts = columnText(query, QLatin1String(field)).split(separator).mid(0, 3);
        // An empty or unreadable date is left for the user to choose, not a reason to refuse the site.
        if (!DateText::parse(parts.join(QLatin1Char('-'))).isValid()) {
            picker->show({});
            m_missingDates << picker->label();
            continue;
        }
        picker->show(parts);
    }
}

void SiteWindow::reportMissingDates()
{
    if (m_missingDates.isEmpty())
        return;
    QString text =
        QStringLiteral("此网站以下日期为空或无法读取：\r") + m_missingDates.join(QLatin1Char('\r'));
    if (ui->sBitBtn3->isEnabled())
        text += QStringLiteral("\r请选择日期后保存日期资料");
    Dialogs::notice(this, QStringLiteral("日期资料"), text);
}

void SiteWindow::refuseRecord()
{
    for (QLineEdit *field : textFields())
        field->clear();
    ui->sMemo1->clear();
    m_loadedRemark.clear();
    m_shownRemark.clear();
    Dialogs::error(this, QStringLiteral("提示"), QStringLiteral("读取详细数据失败"));
}

template <typename Bind>
void SiteWindow::save(Loaded needed, const QString &caption, const QString &statement, Bind bind)
{
    if (m_loaded < needed) {
        Dialogs::error(this, caption, NotSaved);
        return;
    }
    Query *query = m_register.siteSaves();
    int changed = 0;
    try {
        query->close();
        query->clearSql();
        query->addSql(statement);
        bind(*query);
        query->setParameter(QStringLiteral("id"), m_recordId);
        query->setParameter(QStringLiteral("web_address"), m_recordAddress);
        changed = query->execute();
    } catch (const std::exception &) {
    }
    // No row changed: the record was deleted or given another address since it was loaded.
    if (changed == 0)
        Dialogs::error(this, caption, NotSaved);
    else
        Dialogs::notice(this, caption, Saved);
}

void SiteWindow::sBitBtn1Click()
{
    save(Loaded::SiteSection, QStringLiteral("网站资料"), Statements::SaveSiteSection, [this](Query &query) {
        const QString number = siteNumber();
        // Credentials keep their spaces: a trimmed password would no longer be the real one.
        const auto scrambled = [&number](const QLineEdit *field) {
            return SiteCredentials::scramble(field->text(), number);
        };
        query.setParameter(QStringLiteral("web_name"), ui->sEdit2->text().trimmed());
        query.setParameter(QStringLiteral("web_login"), ui->sEdit4->text().trimmed());
        query.setParameterBytes(QStringLiteral("web_user"), scrambled(ui->sEdit5));
        query.setParameterBytes(QStringLiteral("web_pass"), scrambled(ui->sEdit6));
        query.setParameter(QStringLiteral("web_ip"), ui->sEdit7->text().trimmed());
        query.setParameter(QStringLiteral("web_domain"), ui->sEdit8->text().trimmed());
        query.setParameterBytes(QStringLiteral("web_domainuser"),
                                SiteCredentials::scramble(ui->sEdit9->text(), number, m_session.secretKey()));
        query.setParameterBytes(QStringLiteral("web_domainpass"), scrambled(ui->sEdit10));
        query.setParameter(QStringLiteral("web_linkman"), ui->sEdit11->text().trimmed());
        query.setParameter(QStringLiteral("web_size"), ui->sEdit12->text().trimmed());
    });
}

void SiteWindow::sBitBtn2Click()
{
    save(Loaded::DatabaseSection, QStringLiteral("数据库资料"), Statements::SaveDatabaseSection,
         [this](Query &query) {
             const QString number = siteNumber();
             const auto scrambled = [&number](const QLineEdit *field) {
                 return SiteCredentials::scramble(field->text(), number);
             };
             query.setParameterBytes(QStringLiteral("web_dbname"), scrambled(ui->sEdit13));
             query.setParameter(QStringLiteral("web_dbsize"), ui->sEdit14->text().trimmed());
             query.setParameterBytes(QStringLiteral("web_dbip"), scrambled(ui->sEdit15));
             query.setParameterBytes(QStringLiteral("web_dbuser"), scrambled(ui->sEdit16));
             query.setParameterBytes(QStringLiteral("web_dbpass"), scrambled(ui->sEdit17));
             query.setParameter(QStringLiteral("web_dbtype"), ui->sEdit21->text().trimmed());
         });
}

void SiteWindow::sBitBtn3Click()
{
    const QString caption = QStringLiteral("日期资料");
    if (m_loaded >= Loaded::Dates) {
        for (const DatePicker *picker : pickers()) {
            if (picker->isIncomplete()) {
                Dialogs::error(this, caption, picker->label() + QStringLiteral("不完整，请选择年、月、日"));
                return;
            }
        }
        if (m_hostingExpires->isBefore(*m_hostingBought)) {
            Dialogs::error(this, caption, QStringLiteral("网站到期时间不能小网站申请日期"));
            return;
        }
        if (m_domainExpires->isBefore(*m_domainRegistered)) {
            Dialogs::error(this, caption, QStringLiteral("域名到期时间不能小域名申请日期"));
            return;
        }
    }
    save(Loaded::Dates, caption, Statements::SaveDateSection, [this](Query &query) {
        query.setParameter(QStringLiteral("web_time"), m_hostingBought->dateText());
        query.setParameter(QStringLiteral("web_endtime"), m_hostingExpires->dateText());
        query.setParameter(QStringLiteral("web_domaintime"), m_domainRegistered->dateText());
        query.setParameter(QStringLiteral("web_enddomaintime"), m_domainExpires->dateText());
    });
}

void SiteWindow::sBitBtn4Click()
{
    save(Loaded::Everything, QStringLiteral("备注资料"), Statements::SaveRemark, [this](Query &query) {
        // An untouched remark goes back exactly as loaded, whatever line breaks it was stored with.
        const QString shown = WindowHelpers::exactText(ui->sMemo1);
        query.setParameter(QStringLiteral("web_remark"), shown == m_shownRemark ? m_loadedRemark : shown);
    });
}
