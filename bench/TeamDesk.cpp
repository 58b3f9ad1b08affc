#include "TeamDesk.h"

#include "sites/KeywordSearch.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/Statements.h"
#include "store/StoreError.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>

namespace {

const int BusySites = 50;
const int SavesPerRefresh = 5;

QString addressOf(qint64 id)
{
    return QStringLiteral("www.site%1.example.com").arg(id);
}

const KeywordSearch::Item &addressItem()
{
    for (const KeywordSearch::Item &item : KeywordSearch::items())
        if (item.field == QStringLiteral("web_address"))
            return item;
    qFatal("the search has no address column");
}

// A desk's connection and the queries its windows would run on it.
struct DeskQueries
{
    Connection connection;
    Query list{&connection};
    Query site{&connection};
    Query save{&connection};
};

enum class SaveResult { Saved, Refused, Failed };

SaveResult saveRemark(DeskQueries &desk, qint64 id, const QString &remark, DoneSave &done, QString &failure)
{
    try {
        desk.site.setSql(Statements::LoadSite);
        desk.site.setParameter(QStringLiteral("web_address"), addressOf(id));
        desk.site.open();
        const QString version = desk.site.text(QStringLiteral("version"));
        desk.site.close();
        desk.save.setSql(Statements::SaveRemark);
        desk.save.setParameter(QStringLiteral("web_remark"), remark);
        desk.save.setParameter(QStringLiteral("id"), QString::number(id));
        desk.save.setParameter(QStringLiteral("web_address"), addressOf(id));
        desk.save.setParameter(QStringLiteral("version"), version);
        if (desk.save.execute() != 1)
            return SaveResult::Refused;
        done = {id, version.toLongLong() + 1, remark};
        return SaveResult::Saved;
    } catch (const StoreError &error) {
        failure = error.message();
        return SaveResult::Failed;
    }
}

} // namespace

TeamDesk::TeamDesk(const DeskRegister &where, int number, QDeadlineTimer deadline)
    : m_where(where), m_number(number), m_deadline(deadline)
{
}

void TeamDesk::run()
{
    try {
        work();
    } catch (const StoreError &error) {
        m_figures.error = error.message();
    }
}

void TeamDesk::work()
{
    DeskQueries desk;
    if (m_where.conninfo.isEmpty())
        desk.connection.setConnectionString(QStringLiteral("Data Source=") + m_where.path);
    else
        desk.connection.setServer(m_where.conninfo);
    QRandomGenerator random(quint32(m_number) * 7919u + 1u);
    QElapsedTimer step;
    int saveNumber = 0;
    while (!m_deadline.hasExpired()) {
        step.start();
        desk.list.setSql(Statements::MainList);
        desk.list.open();
        m_figures.refreshMs << step.nsecsElapsed() / 1e6;
        m_figures.badLists += desk.list.recordCount() != m_where.sites;
        for (int i = 0; i < SavesPerRefresh && !m_deadline.hasExpired(); ++i) {
            step.start();
            const qint64 sought = random.bounded(m_where.sites) + 1;
            ++m_figures.searches;
            m_figures.badLists += KeywordSearch::find(desk.list, addressItem(), addressOf(sought)).row < 0;
            const qint64 id = ++saveNumber % 4 == 0 ? random.bounded(BusySites) + 1 : sought;
            DoneSave done;
            const QString remark = QStringLiteral("desk %1 save %2").arg(m_number).arg(saveNumber);
            switch (saveRemark(desk, id, remark, done, m_figures.lastFailure)) {
            case SaveResult::Saved:
                ++m_figures.saves;
                m_figures.done << done;
                break;
            case SaveResult::Refused:
                ++m_figures.refused;
                break;
            case SaveResult::Failed:
                ++m_figures.failed;
                break;
            }
            m_figures.longestStepMs = std::max(m_figures.longestStepMs, step.nsecsElapsed() / 1e6);
        }
    }
}
