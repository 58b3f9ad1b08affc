#pragma once

#include "store/RegisterAddress.h"

#include <QObject>

class Connection;
class Query;

// The register: one shared connection and the queries the windows run, by role.
class SiteRegister : public QObject
{
    Q_OBJECT
public:
    explicit SiteRegister(QObject *parent = nullptr);
    ~SiteRegister() override;

    Connection *connection() const { return m_connection; }
    // The register this run works on, chosen at start; until then, and when nothing was chosen,
    // the register folder's db.mdb.
    void setAddress(const RegisterAddress &address) { m_chosen = address; }
    RegisterAddress address() const;
    bool addressChosen() const { return !m_chosen.isNone(); }
    Query *mainList() const { return m_mainList; }
    Query *additions() const { return m_additions; } // the add window's lookups and insert
    Query *siteLoad() const { return m_siteLoad; }   // one site, loaded in full
    Query *siteSaves() const { return m_siteSaves; } // section saves; also the expiry counters
    Query *expiryList() const { return m_expiryList; }
    Query *leadTimes() const { return m_leadTimes; }

private:
    Connection *m_connection;
    Query *m_mainList;
    Query *m_additions;
    Query *m_siteLoad;
    Query *m_siteSaves;
    Query *m_expiryList;
    Query *m_leadTimes;
    RegisterAddress m_chosen;
};
