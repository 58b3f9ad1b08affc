#pragma once

#include <QObject>

class Connection;
class Query;

// The register's data module: one shared connection and six query objects.
class SiteRegister : public QObject
{
    Q_OBJECT
public:
    explicit SiteRegister(QObject *parent = nullptr);
    ~SiteRegister() override;

    Connection *ADOConnection1;
    Query *ADOQuery1; // main list
    Query *ADOQuery2; // add window
    Query *ADOQuery3; // modify window: load one record
    Query *ADOQuery4; // modify window saves; expiry counters
    Query *ADOQuery5; // expiry list
    Query *ADOQuery6; // lead-time settings
};
