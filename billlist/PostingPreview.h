#pragma once
// What a posting would do, read before it runs: per goods of the bill (its lines summed), the
// stock of the source and the destination now and after, and what other audited bills hold in
// the source. Read-only: nothing is drawn from a sequence or a counter. The after values follow
// the posting's own steps, so they are what the stock holds once the posting has run. No UI.
#include <QString>
#include <vector>

namespace platform { class Dataset; }

namespace billlist {

struct PreviewRow {
    QString goodsCode;
    QString goodsName;
    double quantity = 0; // the bill's lines of the goods summed
    bool moved = true;   // false: not in the goods list, so the posting moves none of it
    double sourceNow = 0, sourceAfter = 0;
    double destNow = 0, destAfter = 0;
    double promised = 0; // held in the source by other audited, unposted bills
};

QString PostingPreviewSql(qint64 billId, const QString& sourceCode, const QString& destCode);
std::vector<PreviewRow> ReadPostingPreview(const platform::Dataset& rows);

} // namespace billlist
