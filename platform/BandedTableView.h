#pragma once
// A table view whose columns sit under bands: captioned groups drawn above the column headers.
// Matches IsOrDerived<TableView> and, exactly, IsExactly<BandedTableView>.
#include "platform/TableView.h"

#include <QString>
#include <QVector>

namespace platform {

class BandedTableView : public TableView {
    Q_OBJECT
public:
    struct Band {
        QString caption;
        bool visible = true;
    };

    explicit BandedTableView(Grid* grid, const QString& name = {});

    int AddBand(const QString& caption); // returns the band index
    int BandCount() const { return int(bands_.size()); }
    const Band& BandAt(int index) const { return bands_.at(index); }
    void SetBandCaption(int index, const QString& caption);
    void SetBandVisible(int index, bool visible);

private:
    void UpdateBands();

    QVector<Band> bands_;
};

} // namespace platform
