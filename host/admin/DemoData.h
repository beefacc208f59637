#pragma once
// Demo data for a fresh database: Chinese master data (a storage tree, goods of several goods
// types with units, bar codes and pinyin initials), operators with different rights for the
// transfer module, stock in several storages, and transfer bills in every status with their
// lines and, for posted bills, the stock-out and stock-in bills; opening stock-in bills make
// every stock count the sum of its storage's stock bills for the goods. Deterministic for given
// options, so two databases seeded alike hold the same rows. No UI; throws
// platform::EDatabaseError.
#include "host/db/Connection.h"

#include <QDate>
#include <QString>

namespace host::db {

// The transfer module's plug-in id: the window's Tag and the key of its rights rows.
constexpr int TransferPluginId = 2001;

// The default database file of the host and of jxc-admin: "jxc-demo.sqlite" in the user's data
// folder for this application (~/.local/share/jxc on Linux, %LOCALAPPDATA%/jxc on Windows).
// The folder is created when missing.
QString DefaultDatabasePath();

struct DemoOptions {
    int bills = 240;       // transfer bills, 0 to 1,000,000
    int linesPerBill = 5;  // average; a bill gets 1 .. 2*average-1 lines
    quint64 seed = 20240601;
    QDate today = QDate::currentDate(); // bills of this day show on the list's first start
    int todayBills = -1;   // bills dated today; -1: max(10, bills/100)
    int days = 0;          // bills spread over this many days before today; 0: by size
};

struct DemoSummary {
    int storages = 0;
    int goods = 0;
    int operators = 0;
    int stockRows = 0;
    int bills = 0;
    int lines = 0;
    int stockBills = 0;     // stock-in plus stock-out headers of the postings
    int stockBillLines = 0;
    int openingBills = 0;   // opening stock-in bills (type 00), one per storage with opening stock
    int openingBillLines = 0;
    qint64 lastTransferSerial = 0; // highest serial used per counter; the counters stand there
    qint64 lastStockInSerial = 0;
    qint64 lastStockOutSerial = 0;
};

// Seeds a database on which CreateSchema has run, in one writer transaction: all rows or
// none. Refuses (EDatabaseError) a database that already holds storages, goods, bills or
// operators, so nothing there is mixed up or lost.
DemoSummary SeedDemo(Connection& c, const DemoOptions& options = {});

} // namespace host::db
