// Compacts the register in the folder given as the only argument; the compaction test
// kills it at chosen moments.
#include "store/Compaction.h"
#include "store/Connection.h"

#include <QCoreApplication>

#include <exception>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    Connection shared;
    shared.setConnectionString(Connection::connectionStringFor(QString::fromLocal8Bit(argv[1])));
    try {
        Compaction::compactRegister(&shared, QString::fromLocal8Bit(argv[1]));
    } catch (const std::exception &) {
        return 1;
    }
    return 0;
}
