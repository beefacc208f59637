// Opening and scrolling a Grid over a 100,000-row Dataset, against a plain QTableView over a
// minimal table model holding the same values. Both run offscreen, paint every step, and the
// run ends with the ratio grid / baseline.
#include "bench/BenchSupport.h"
#include "platform/DataSource.h"
#include "platform/Grid.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QScrollBar>
#include <QTableView>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int Rows = 100000;
constexpr int Steps = 50; // scroll positions painted per iteration

std::map<std::string, double>& Means()
{
    static std::map<std::string, double> m;
    return m;
}

platform::Dataset& Data()
{
    static platform::Dataset d({{"ID", platform::FieldType::Integer},
                                {"Name", platform::FieldType::Text},
                                {"Amount", platform::FieldType::Currency}});
    static const bool loaded = [] {
        d.Reserve(Rows);
        for (int i = 0; i < Rows; ++i) {
            d.AppendRow({qlonglong(i), QStringLiteral("商品%1").arg(i),
                         QVariant::fromValue(platform::Currency::FromRaw(i * 125))});
        }
        d.EndLoad();
        return true;
    }();
    (void)loaded;
    return d;
}

// The least a table model can be: the same values, read from a vector.
class PlainModel : public QAbstractTableModel {
public:
    PlainModel()
    {
        ids_.reserve(Rows);
        names_.reserve(Rows);
        amounts_.reserve(Rows);
        for (int i = 0; i < Rows; ++i) {
            ids_.push_back(i);
            names_.push_back(QStringLiteral("商品%1").arg(i));
            amounts_.push_back(QString::number(i * 125 / 10000.0, 'f', 2));
        }
    }
    int rowCount(const QModelIndex& = {}) const override { return Rows; }
    int columnCount(const QModelIndex& = {}) const override { return 3; }
    QVariant data(const QModelIndex& i, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        switch (i.column()) {
        case 0: return QString::number(ids_[size_t(i.row())]);
        case 1: return names_[size_t(i.row())];
        default: return amounts_[size_t(i.row())];
        }
    }

private:
    std::vector<int> ids_;
    std::vector<QString> names_;
    std::vector<QString> amounts_;
};

void Scroll(QTableView* table)
{
    QScrollBar* bar = table->verticalScrollBar();
    for (int s = 0; s <= Steps; ++s) {
        bar->setValue(int(qint64(bar->maximum()) * s / Steps));
        table->viewport()->repaint();
    }
}

void GridOnce(jxcbench::IterationClock& clock)
{
    platform::Dataset& ds = Data();
    clock.Start();
    platform::DataSource source;
    platform::Grid grid;
    grid.resize(800, 600);
    platform::TableView* view = grid.CreateTableView();
    for (const char* f : {"ID", "Name", "Amount"})
        view->CreateColumn()->SetFieldName(QString::fromLatin1(f));
    view->Column(2)->Properties().SetKind(platform::EditorKind::Currency);
    view->Column(2)->Properties().SetDisplayFormat(QStringLiteral("0.00"));
    view->DataController()->AddFooterSummary(platform::FooterSummary::Kind::Sum, view->Column(2), QStringLiteral("0.00"));
    view->SetFooterVisible(true);
    source.SetDataSet(&ds);
    view->DataController()->SetDataSource(&source);
    grid.show();
    QApplication::processEvents();
    Scroll(view->Table());
    clock.Stop();
}

void PlainOnce(jxcbench::IterationClock& clock)
{
    static PlainModel model;
    clock.Start();
    QTableView table;
    table.resize(800, 600);
    table.setModel(&model);
    table.show();
    QApplication::processEvents();
    Scroll(&table);
    clock.Stop();
}

void BM_GridOpenAndScroll(benchmark::State& state)
{
    jxcbench::IterationClock clock;
    for (auto _ : state)
        GridOnce(clock);
    Means()["grid"] = clock.Mean();
}

void BM_PlainTableViewBaseline(benchmark::State& state)
{
    jxcbench::IterationClock clock;
    for (auto _ : state)
        PlainOnce(clock);
    Means()["baseline"] = clock.Mean();
}

void BM_Grid_Paired(benchmark::State& state)
{
    for (auto _ : state)
        jxcbench::RunPairs("grid", jxcbench::PairCount(), GridOnce, PlainOnce);
}

BENCHMARK(BM_GridOpenAndScroll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainTableViewBaseline)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Grid_Paired)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Data(); // built once, outside the timings
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const double grid = Means()["grid"];
    const double base = Means()["baseline"];
    if (grid > 0 && base > 0)
        std::printf("grid open+scroll over %d rows: %.2f ms, plain QTableView: %.2f ms, ratio %.2f\n", Rows,
                    grid * 1e3, base * 1e3, grid / base);
    return 0;
}
