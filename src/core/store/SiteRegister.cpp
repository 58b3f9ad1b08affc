#include "store/SiteRegister.h"

#include "platform/ProgramFolder.h"
#include "store/Connection.h"
#include "store/Query.h"
#include "store/Statements.h"

SiteRegister::SiteRegister(QObject *parent)
    : QObject(parent), m_connection(new Connection(this)), m_mainList(new Query(m_connection)),
      m_additions(new Query(m_connection)), m_siteLoad(new Query(m_connection)),
      m_siteSaves(new Query(m_connection)), m_expiryList(new Query(m_connection)),
      m_leadTimes(new Query(m_connection))
{
    // A path relative to the current folder until the main window sets the real one.
    m_connection->setConnectionString(
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=db.mdb;Persist Security Info=False"));
    m_mainList->setSql(Statements::MainList);
    m_expiryList->setSql(Statements::MainList);
}

SiteRegister::~SiteRegister()
{
    for (Query *query : {m_mainList, m_additions, m_siteLoad, m_siteSaves, m_expiryList, m_leadTimes})
        delete query;
}

RegisterAddress SiteRegister::address() const
{
    return m_chosen.isNone() ? RegisterAddress::inFolder(ProgramFolder::path()) : m_chosen;
}
