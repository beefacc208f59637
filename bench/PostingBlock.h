#pragma once
// The transfer posting block as the list window sends it (stock-out bill, stock-in bill, the
// stock movement per line and the status change, in one anonymous block), for benchmarks and
// for checks that demo data can be posted. Header-only: the benchmarks link only the host.
#include "platform/core/Currency.h"
#include "tests/support/PostingBlock.h"

#include <QDateTime>
#include <QString>

namespace jxcbench {

struct PostingInput {
    qint64 billId = 0;
    QString billNo, srcStorage, desStorage, auditor, remark, operatorCode;
    double goodsCount = 0;
    platform::Currency billSum;
    QDateTime auditDate;
    qint64 inId = 0, outId = 0;
    QString inNo, outNo;
};

// The posting block for these inputs, from the one text builder the block tests use.
inline QString PostingBlock(const PostingInput& p)
{
    blocktest::Posting b;
    b.billId = p.billId;
    b.billNo = p.billNo;
    b.src = p.srcStorage;
    b.des = p.desStorage;
    b.goodsCount = QString::number(p.goodsCount, 'g', 15);
    b.billSum = p.billSum.ToString();
    b.auditor = p.auditor;
    b.auditDate = p.auditDate.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    b.remark = p.remark;
    b.op = p.operatorCode;
    b.inId = p.inId;
    b.outId = p.outId;
    b.rkNo = p.inNo;
    b.ckNo = p.outNo;
    return blocktest::TransferPostingBlock(b);
}

} // namespace jxcbench
