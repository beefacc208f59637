#include "host/admin/DemoData.h"

#include "host/admin/Passwords.h"
#include "platform/core/Currency.h"
#include "platform/core/Exception.h"
#include "host/db/dialect/Dialect.h"
#include "host/db/engines/EngineRules.h"
#include "host/db/Transaction.h"
#include "model/BillConst.h"

#include <QDir>
#include <QHash>
#include <QStringList>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <exception>
#include <array>
#include <numeric>
#include <vector>

namespace host::db {

QString DefaultDatabasePath()
{
    // A fixed application folder rather than AppDataLocation itself: that one follows the
    // executable's name, and the host and jxc-admin must find the same file.
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath();
    const QString folder = base + QStringLiteral("/jxc");
    QDir().mkpath(folder);
    return folder + QStringLiteral("/jxc-demo.sqlite");
}

namespace {

using platform::Currency;

// SplitMix64: tiny, fast and the same on every platform and standard library, unlike the
// distributions of <random>.
class Rng {
public:
    explicit Rng(quint64 seed) : state_(seed) {}
    quint64 Next()
    {
        quint64 z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 .. n-1
    int Below(int n) { return n <= 1 ? 0 : int(Next() % quint64(n)); }
    // lo .. hi inclusive
    int Range(int lo, int hi) { return lo + Below(hi - lo + 1); }
    bool Percent(int p) { return Below(100) < p; }
    template <class T>
    const T& Pick(const std::vector<T>& v) { return v[size_t(Below(int(v.size())))]; }

private:
    quint64 state_;
};

struct UnitDef {
    const char16_t* code;
    const char16_t* name;
};

// The "521" group holds the units; the other groups are there so that lists must filter.
constexpr UnitDef kDict[] = {
    {u"521001", u"个"}, {u"521002", u"箱"}, {u"521003", u"千克"}, {u"521004", u"瓶"},
    {u"521005", u"包"}, {u"521006", u"袋"}, {u"521007", u"桶"},   {u"521008", u"盒"},
    {u"521009", u"支"}, {u"521010", u"台"}, {u"521011", u"听"},   {u"521012", u"本"},
    {u"522001", u"现金"}, {u"522002", u"转账"}, {u"522003", u"支票"},
    {u"523001", u"华北"}, {u"523002", u"华东"}, {u"523003", u"华南"},
};

struct GoodsTypeDef {
    const char16_t* code;
    const char16_t* name;
};

constexpr GoodsTypeDef kGoodsTypes[] = {
    {u"01", u"食品"}, {u"02", u"饮料"}, {u"03", u"日用品"}, {u"04", u"文具"}, {u"05", u"家电"}, {u"06", u"五金"},
};

struct ModelDef {
    const char16_t* model;
    const char16_t* unit; // unit code
    int priceCents;
};

struct CatalogueEntry {
    const char16_t* type;
    const char16_t* name;
    const char16_t* py; // pinyin initials, upper case
    const char16_t* brand;
    const char16_t* place;
    std::array<ModelDef, 2> models; // second entry unused when its model is null
};

constexpr CatalogueEntry kCatalogue[] = {
    {u"01", u"康师傅红烧牛肉面", u"KSFHSNRM", u"康师傅", u"天津", {{{u"85g/袋", u"521006", 250}, {u"12袋/箱", u"521002", 2800}}}},
    {u"01", u"统一老坛酸菜牛肉面", u"TYLTSCNRM", u"统一", u"昆山", {{{u"121g/桶", u"521007", 450}, {nullptr, nullptr, 0}}}},
    {u"01", u"奥利奥夹心饼干", u"ALAJXBG", u"奥利奥", u"苏州", {{{u"97g", u"521005", 450}, {nullptr, nullptr, 0}}}},
    {u"01", u"德芙丝滑牛奶巧克力", u"DFSHNNQKL", u"德芙", u"北京", {{{u"43g", u"521005", 680}, {u"252g/盒", u"521008", 4500}}}},
    {u"01", u"旺旺雪饼", u"WWXB", u"旺旺", u"长沙", {{{u"84g", u"521005", 520}, {nullptr, nullptr, 0}}}},
    {u"01", u"五常大米", u"WCDM", u"金龙鱼", u"黑龙江五常", {{{u"5kg/袋", u"521006", 4990}, {nullptr, nullptr, 0}}}},
    {u"01", u"金龙鱼调和油", u"JLYTHY", u"金龙鱼", u"上海", {{{u"5L/桶", u"521007", 6990}, {nullptr, nullptr, 0}}}},
    {u"01", u"海天生抽酱油", u"HTSCJY", u"海天", u"佛山", {{{u"500ml/瓶", u"521004", 850}, {nullptr, nullptr, 0}}}},
    {u"01", u"老干妈风味豆豉", u"LGMFWDC", u"老干妈", u"贵阳", {{{u"280g/瓶", u"521004", 980}, {nullptr, nullptr, 0}}}},
    {u"01", u"双汇王中王火腿肠", u"SHWZWHTC", u"双汇", u"漯河", {{{u"40g×10支", u"521005", 1200}, {nullptr, nullptr, 0}}}},
    {u"01", u"三只松鼠每日坚果", u"SZSSMRJG", u"三只松鼠", u"芜湖", {{{u"750g/盒", u"521008", 12900}, {nullptr, nullptr, 0}}}},
    {u"01", u"良品铺子猪肉脯", u"LPPZZRF", u"良品铺子", u"武汉", {{{u"200g", u"521006", 2580}, {nullptr, nullptr, 0}}}},
    {u"01", u"白砂糖", u"BST", u"太古", u"广州", {{{u"散装", u"521003", 650}, {nullptr, nullptr, 0}}}},
    {u"02", u"农夫山泉矿泉水", u"NFSQKQS", u"农夫山泉", u"杭州", {{{u"550ml", u"521004", 200}, {u"550ml×24瓶/箱", u"521002", 3600}}}},
    {u"02", u"可口可乐", u"KKKL", u"可口可乐", u"上海", {{{u"330ml/听", u"521011", 250}, {u"2L", u"521004", 650}}}},
    {u"02", u"康师傅冰红茶", u"KSFBHC", u"康师傅", u"天津", {{{u"500ml", u"521004", 300}, {nullptr, nullptr, 0}}}},
    {u"02", u"王老吉凉茶", u"WLJLC", u"王老吉", u"广州", {{{u"310ml", u"521011", 350}, {nullptr, nullptr, 0}}}},
    {u"02", u"伊利纯牛奶", u"YLCNN", u"伊利", u"呼和浩特", {{{u"250ml×24盒/箱", u"521002", 5800}, {nullptr, nullptr, 0}}}},
    {u"02", u"蒙牛酸酸乳", u"MNSSR", u"蒙牛", u"呼和浩特", {{{u"250ml", u"521008", 300}, {nullptr, nullptr, 0}}}},
    {u"02", u"青岛啤酒", u"QDPJ", u"青岛", u"青岛", {{{u"500ml", u"521011", 450}, {u"500ml×12听/箱", u"521002", 5200}}}},
    {u"02", u"雪碧", u"XB", u"可口可乐", u"上海", {{{u"330ml", u"521011", 250}, {nullptr, nullptr, 0}}}},
    {u"02", u"加多宝凉茶", u"JDBLC", u"加多宝", u"东莞", {{{u"310ml", u"521011", 350}, {nullptr, nullptr, 0}}}},
    {u"02", u"娃哈哈AD钙奶", u"WHHADGN", u"娃哈哈", u"杭州", {{{u"220g×4瓶", u"521005", 800}, {nullptr, nullptr, 0}}}},
    {u"03", u"舒肤佳香皂", u"SFJXZ", u"舒肤佳", u"广州", {{{u"125g", u"521001", 490}, {nullptr, nullptr, 0}}}},
    {u"03", u"海飞丝洗发水", u"HFSXFS", u"海飞丝", u"广州", {{{u"400ml", u"521004", 3990}, {nullptr, nullptr, 0}}}},
    {u"03", u"高露洁牙膏", u"GLJYG", u"高露洁", u"广州", {{{u"140g", u"521009", 1250}, {nullptr, nullptr, 0}}}},
    {u"03", u"维达抽纸", u"WDCZ", u"维达", u"江门", {{{u"3层130抽×6包", u"521005", 1990}, {nullptr, nullptr, 0}}}},
    {u"03", u"蓝月亮洗衣液", u"LYLXYY", u"蓝月亮", u"广州", {{{u"3kg", u"521004", 4500}, {nullptr, nullptr, 0}}}},
    {u"03", u"心相印卫生纸", u"XXYWSZ", u"心相印", u"晋江", {{{u"10卷", u"521005", 2990}, {nullptr, nullptr, 0}}}},
    {u"03", u"立白洗洁精", u"LBXJJ", u"立白", u"广州", {{{u"1.5kg", u"521004", 1390}, {nullptr, nullptr, 0}}}},
    {u"03", u"佳洁士牙刷", u"JJSYS", u"佳洁士", u"广州", {{{u"单支", u"521009", 990}, {nullptr, nullptr, 0}}}},
    {u"03", u"云南白药牙膏", u"YNBYYG", u"云南白药", u"昆明", {{{u"180g", u"521009", 2800}, {nullptr, nullptr, 0}}}},
    {u"03", u"飘柔洗发水", u"PRXFS", u"飘柔", u"广州", {{{u"750ml", u"521004", 4900}, {nullptr, nullptr, 0}}}},
    {u"03", u"六神花露水", u"LSHLS", u"六神", u"上海", {{{u"195ml", u"521004", 1500}, {nullptr, nullptr, 0}}}},
    {u"03", u"妙洁保鲜膜", u"MJBXM", u"妙洁", u"上海", {{{u"30cm×20m", u"521008", 1280}, {nullptr, nullptr, 0}}}},
    {u"04", u"晨光中性笔", u"CGZXB", u"晨光", u"上海", {{{u"0.5mm黑色", u"521009", 150}, {u"0.5mm黑色×12支/盒", u"521008", 1600}}}},
    {u"04", u"得力订书机", u"DLDSJ", u"得力", u"宁波", {{{u"12号", u"521001", 1500}, {nullptr, nullptr, 0}}}},
    {u"04", u"英雄钢笔", u"YXGB", u"英雄", u"上海", {{{u"616", u"521009", 1800}, {nullptr, nullptr, 0}}}},
    {u"04", u"齐心文件夹", u"QXWJJ", u"齐心", u"深圳", {{{u"A4", u"521001", 650}, {nullptr, nullptr, 0}}}},
    {u"04", u"得力A4复印纸", u"DLA4FYZ", u"得力", u"宁波", {{{u"70g 500张/包", u"521005", 2500}, {u"70g 5包/箱", u"521002", 11900}}}},
    {u"04", u"晨光笔记本", u"CGBJB", u"晨光", u"上海", {{{u"B5 60页", u"521012", 450}, {nullptr, nullptr, 0}}}},
    {u"04", u"真彩修正带", u"ZCXZD", u"真彩", u"天津", {{{u"5mm×6m", u"521001", 380}, {nullptr, nullptr, 0}}}},
    {u"04", u"马利水彩颜料", u"MLSCYL", u"马利", u"上海", {{{u"12色", u"521008", 2200}, {nullptr, nullptr, 0}}}},
    {u"04", u"中华铅笔", u"ZHQB", u"中华", u"上海", {{{u"HB", u"521009", 80}, {nullptr, nullptr, 0}}}},
    {u"04", u"得力计算器", u"DLJSQ", u"得力", u"宁波", {{{u"12位", u"521010", 3500}, {nullptr, nullptr, 0}}}},
    {u"05", u"美的电饭煲", u"MDDFB", u"美的", u"佛山", {{{u"4L", u"521010", 29900}, {nullptr, nullptr, 0}}}},
    {u"05", u"格力电风扇", u"GLDFS", u"格力", u"珠海", {{{u"落地扇", u"521010", 19900}, {nullptr, nullptr, 0}}}},
    {u"05", u"九阳豆浆机", u"JYDJJ", u"九阳", u"济南", {{{u"1.2L", u"521010", 35900}, {nullptr, nullptr, 0}}}},
    {u"05", u"苏泊尔电水壶", u"SBEDSH", u"苏泊尔", u"杭州", {{{u"1.7L", u"521010", 8900}, {nullptr, nullptr, 0}}}},
    {u"05", u"飞利浦电动牙刷", u"FLPDDYS", u"飞利浦", u"珠海", {{{u"HX6730", u"521009", 39900}, {nullptr, nullptr, 0}}}},
    {u"05", u"小米台灯", u"XMTD", u"小米", u"北京", {{{u"Pro", u"521010", 16900}, {nullptr, nullptr, 0}}}},
    {u"06", u"公牛插座", u"GNCZ", u"公牛", u"慈溪", {{{u"五孔1.8m", u"521001", 3900}, {u"五孔3m", u"521001", 4900}}}},
    {u"06", u"南孚电池", u"NFDC", u"南孚", u"南平", {{{u"5号×4粒", u"521005", 1290}, {u"7号×4粒", u"521005", 1290}}}},
    {u"06", u"欧普LED灯泡", u"OPLEDDP", u"欧普", u"中山", {{{u"9W", u"521001", 1590}, {nullptr, nullptr, 0}}}},
    {u"06", u"史丹利螺丝刀套装", u"SDLLSDTZ", u"史丹利", u"上海", {{{u"6件套", u"521008", 4500}, {nullptr, nullptr, 0}}}},
};

struct StorageDef {
    const char16_t* code;
    const char16_t* name;
    int parent; // index into kStorages, -1 for the head warehouse
    int kind;
    const char16_t* manager;
    const char16_t* address;
    const char16_t* tel;
    int useFlag;
};

constexpr StorageDef kStorages[] = {
    {u"01", u"总仓", -1, 0, u"张伟", u"北京市朝阳区建国路88号", u"010-85861234", 1},
    {u"0101", u"一号分仓", 0, 1, u"王芳", u"北京市朝阳区建国路88号1号库", u"010-85861235", 1},
    {u"0102", u"二号分仓", 0, 1, u"李娜", u"北京市朝阳区建国路88号2号库", u"010-85861236", 1},
    {u"0103", u"食品冷藏仓", 0, 1, u"刘洋", u"北京市大兴区亦庄经济开发区科创街6号", u"010-67881234", 1},
    {u"02", u"上海分公司仓", 0, 0, u"陈静", u"上海市浦东新区张江路1000号", u"021-58881234", 1},
    {u"0201", u"浦东门店仓", 4, 1, u"杨帆", u"上海市浦东新区世纪大道200号", u"021-58885678", 1},
    {u"0202", u"徐汇门店仓", 4, 1, u"赵磊", u"上海市徐汇区漕溪北路18号", u"021-64871234", 1},
    {u"03", u"广州分公司仓", 0, 0, u"黄敏", u"广州市天河区天河路385号", u"020-38881234", 1},
    {u"0301", u"天河门店仓", 7, 1, u"周杰", u"广州市天河区体育西路101号", u"020-38885678", 1},
    {u"09", u"退货仓", 0, 1, u"吴刚", u"北京市朝阳区建国路88号9号库", u"010-85861239", 0},
};

struct OperatorDef {
    const char16_t* code;
    const char16_t* name;
    int browse;
    int operate;
    const char16_t* goodsTypes; // comma separated; null = every type
};

// 001 may do everything; 002 handles food and daily goods only; 003 may only look.
constexpr OperatorDef kOperators[] = {
    {u"001", u"张三", 3, 1, nullptr},
    {u"002", u"李四", 3, 1, u"01,03"},
    {u"003", u"王五", 1, 0, nullptr},
};

constexpr const char16_t* kBillRemarks[] = {
    u"", u"", u"", u"门店补货", u"月底盘点调整", u"促销备货", u"急件，请优先安排", u"换季调拨", u"新店开业铺货", u"退货整理",
};

QString S(const char16_t* s) { return s ? QString::fromUtf16(s) : QString(); }

// EAN-13 with the "69" prefix of Chinese products and a valid check digit.
QString BarCode(int n)
{
    QString digits = QStringLiteral("6901234%1").arg(n, 5, 10, QLatin1Char('0'));
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += (digits[i].unicode() - u'0') * (i % 2 ? 3 : 1);
    return digits + QChar(u'0' + (10 - sum % 10) % 10);
}

QString BillNo(const QString& prefix, const QDate& d, qint64 serial)
{
    return prefix + d.toString(QStringLiteral("yyyyMMdd")) + QString::asprintf("%.8lld", static_cast<long long>(serial));
}

// ----- the generated rows -----

struct Storage {
    qint64 id = 0, pid = 0;
    int def = 0;
};

struct Goods {
    qint64 id = 0;
    QString code, name, type, py, bar, model, unit, brand, place, location;
    Currency price;
    int useFlag = 1, deleted = 0, sort = 0;
};

struct Operator {
    qint64 id = 0;
    int def = 0;
    std::vector<int> goods; // goods it may put on a bill
};

struct Stock {
    qint64 id = 0;
    int storage = 0, goods = 0;
    double left = 0;
};

struct Line {
    qint64 id = 0;
    int goods = 0;
    Currency price;
    double count = 0;
    Currency paySum;
};

struct Bill {
    qint64 id = 0, serial = 0;
    QString no;
    QDateTime created, audited, posted;
    int src = 0, des = 0, status = 0, optor = 0, auditor = -1;
    bool deleted = false;
    QString remark;
    std::vector<Line> lines;
    double goodsCount = 0;
    Currency billSum;
    // posting
    qint64 outId = 0, inId = 0, outSerial = 0, inSerial = 0;
    std::vector<qint64> outLineIds, inLineIds;
};

// SEQ_JXCID values drawn a block at a time: one round trip per block instead of per row, which
// is most of the cost of a large seed.
class IdPool {
public:
    explicit IdPool(Connection& c) : c_(c), rules_(RulesFor(c.GetEngine())) {}
    qint64 Next()
    {
        if (pos_ == ids_.size()) {
            ids_ = rules_.DrawSequence(c_, QStringLiteral("SEQ_JXCID"), Block);
            pos_ = 0;
        }
        return ids_[pos_++];
    }

private:
    static constexpr int Block = 4096;

    Connection& c_;
    const EngineRules& rules_;
    std::vector<qint64> ids_;
    size_t pos_ = 0;
};


// ----- generation -----

// Opening stock of one storage: a stock-in bill of its own, dated before the history, whose
// lines make opening + the posted history = the stock the demo ends with.
struct Opening {
    qint64 id = 0;
    int storage = 0;
    struct Line {
        qint64 id = 0;
        int goods = 0;
        double count = 0;
    };
    std::vector<Line> lines;
};

struct World {
    std::vector<Storage> storages;
    std::vector<Goods> goods;
    std::vector<Operator> operators;
    std::vector<Stock> stock;
    std::vector<Bill> bills;
    std::vector<int> postingOrder; // bills in the order they were posted
    std::vector<Opening> openings;  // by storage, only storages with opening stock
    QDateTime opened;               // when the opening stock was brought in
};

bool TypeAllowed(const OperatorDef& op, const QString& type)
{
    return !op.goodsTypes || S(op.goodsTypes).split(u',').contains(type);
}

QDateTime AtTime(const QDate& d, int secondsAfterEight)
{
    return QDateTime(d, QTime(8, 0)).addSecs(secondsAfterEight);
}

int PickStatus(Rng& rng, int ageDays)
{
    // Older bills have mostly been posted; recent ones are still on their way.
    static constexpr int oldWeights[] = {12, 4, 10, 4, 70};
    static constexpr int newWeights[] = {35, 10, 25, 5, 25};
    const int* w = ageDays > 7 ? oldWeights : newWeights;
    int r = rng.Below(100);
    for (int s = 0; s < 5; ++s) {
        if (r < w[s])
            return s;
        r -= w[s];
    }
    return 4;
}

// Parents come first in kStorages, so every StoragePID names an earlier ID.
void AddStorages(IdPool& ids, World& w)
{
    for (int i = 0; i < int(std::size(kStorages)); ++i) {
        Storage s;
        s.def = i;
        s.id = ids.Next();
        s.pid = kStorages[i].parent < 0 ? 0 : w.storages[size_t(kStorages[i].parent)].id;
        w.storages.push_back(s);
    }
}

void AddGoods(IdPool& ids, World& w)
{
    int perType[std::size(kGoodsTypes)] = {};
    for (const CatalogueEntry& e : kCatalogue) {
        for (const ModelDef& m : e.models) {
            if (!m.model)
                continue;
            Goods g;
            g.id = ids.Next();
            g.type = S(e.type);
            const int t = g.type.toInt() - 1;
            g.code = g.type + QStringLiteral("%1").arg(++perType[t], 4, 10, QLatin1Char('0'));
            g.name = S(e.name);
            g.py = S(e.py);
            g.brand = S(e.brand);
            g.place = S(e.place);
            g.model = S(m.model);
            g.unit = S(m.unit);
            g.price = Currency::FromRaw(qint64(m.priceCents) * 100);
            g.sort = int(w.goods.size()) + 1;
            g.bar = BarCode(g.sort);
            g.location = QStringLiteral("%1-%2-%3").arg(QChar(u'A' + t)).arg(perType[t] / 10 + 1, 2, 10, QLatin1Char('0'))
                             .arg(perType[t] % 10 + 1, 2, 10, QLatin1Char('0'));
            // A few goods are out of use or deleted: the lookups must leave them out.
            g.useFlag = g.sort % 13 == 0 ? 0 : 1;
            g.deleted = g.sort % 19 == 0 ? 1 : 0;
            w.goods.push_back(g);
        }
    }
}

void AddOperators(IdPool& ids, World& w)
{
    for (int i = 0; i < int(std::size(kOperators)); ++i) {
        Operator op;
        op.def = i;
        op.id = ids.Next();
        for (int g = 0; g < int(w.goods.size()); ++g)
            if (w.goods[size_t(g)].useFlag == 1 && w.goods[size_t(g)].deleted == 0 && TypeAllowed(kOperators[i], w.goods[size_t(g)].type))
                op.goods.push_back(g);
        w.operators.push_back(op);
    }
}

// Which storage holds which goods, and the storages bills may move goods between.
struct Placement {
    std::vector<std::vector<char>> stocked; // [storage][goods]
    std::vector<int> usableStorages;
};

// Stock: the head warehouse holds everything usable, the others most of it.
Placement AddStock(IdPool& ids, Rng& rng, World& w)
{
    Placement p;
    p.stocked.assign(w.storages.size(), std::vector<char>(w.goods.size(), 0));
    for (int s = 0; s < int(w.storages.size()); ++s) {
        const bool inUse = kStorages[w.storages[size_t(s)].def].useFlag == 1;
        if (inUse)
            p.usableStorages.push_back(s);
        for (int g = 0; g < int(w.goods.size()); ++g) {
            const bool usable = w.goods[size_t(g)].useFlag == 1 && w.goods[size_t(g)].deleted == 0;
            const int chance = !inUse ? 30 : s == 0 ? 100 : usable ? 75 : 20;
            if (!rng.Percent(chance))
                continue;
            Stock st;
            st.id = ids.Next();
            st.storage = s;
            st.goods = g;
            st.left = rng.Range(0, 800) + (rng.Percent(15) ? 0.5 : 0.0);
            w.stock.push_back(st);
            p.stocked[size_t(s)][size_t(g)] = 1;
        }
    }
    return p;
}

struct Stamp {
    QDateTime at;
    bool today;
};

// Creation times in order: the last onToday bills fall on today, the others on one of the
// days before it.
std::vector<Stamp> BillStamps(Rng& rng, int n, int onToday, int days, const QDate& today)
{
    std::vector<Stamp> stamps;
    stamps.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        const bool isToday = i >= n - onToday;
        const QDate d = isToday ? today : today.addDays(-1 - rng.Below(days));
        stamps.push_back({AtTime(d, rng.Below(10 * 3600)), isToday});
    }
    std::stable_sort(stamps.begin(), stamps.end(), [](const Stamp& a, const Stamp& b) { return a.at < b.at; });
    return stamps;
}

// Who made the bill, and the storages it moves goods from and to.
void PickParties(Rng& rng, const std::vector<int>& usableStorages, Bill& b)
{
    static constexpr int creatorWeights[] = {60, 30, 10};
    int r = rng.Below(100);
    b.optor = r < creatorWeights[0] ? 0 : r < creatorWeights[0] + creatorWeights[1] ? 1 : 2;
    b.src = rng.Percent(50) ? 0 : usableStorages[size_t(rng.Below(int(usableStorages.size())))];
    do
        b.des = usableStorages[size_t(rng.Below(int(usableStorages.size())))];
    while (b.des == b.src);
}

// Lines: goods the creator may handle, stocked in the source storage.
void AddLines(IdPool& ids, Rng& rng, const std::vector<Goods>& goods, const std::vector<int>& allowed,
              const std::vector<char>& stockedAtSource, int avgLines, Bill& b)
{
    std::vector<int> candidates;
    for (int g : allowed)
        if (stockedAtSource[size_t(g)])
            candidates.push_back(g);
    if (candidates.empty())
        candidates = allowed;
    const int count = rng.Range(1, 2 * avgLines - 1);
    b.lines.reserve(size_t(count));
    for (int k = 0; k < count; ++k) {
        int g = rng.Pick(candidates);
        // Mostly distinct goods per bill; now and then the same goods twice.
        for (int tries = 0; tries < 4 && !rng.Percent(3); ++tries) {
            const bool dup = std::any_of(b.lines.begin(), b.lines.end(), [g](const Line& l) { return l.goods == g; });
            if (!dup)
                break;
            g = rng.Pick(candidates);
        }
        Line l;
        l.id = ids.Next();
        l.goods = g;
        l.price = goods[size_t(g)].price;
        l.count = rng.Range(1, 60) + (rng.Percent(20) ? 0.5 : 0.0);
        l.paySum = l.price * l.count;
        b.goodsCount += l.count;
        b.billSum += l.paySum;
        b.lines.push_back(l);
    }
}

// The auditor and audit time of an audited bill, and the posting time of a posted one.
void Audit(Rng& rng, const std::vector<Goods>& goods, bool madeToday, const QDateTime& dayEnd, Bill& b)
{
    // 002 may audit only bills whose goods are all of its types.
    bool fitsLimited = std::all_of(b.lines.begin(), b.lines.end(), [&](const Line& l) {
        return TypeAllowed(kOperators[1], goods[size_t(l.goods)].type);
    });
    b.auditor = fitsLimited && rng.Percent(30) ? 1 : 0;
    b.audited = std::min(dayEnd, b.created.addSecs(60 * rng.Range(5, 240)));
    if (b.status == 4)
        b.posted = std::min(dayEnd, b.audited.addSecs(60 * rng.Range(1, madeToday ? 60 : 2880)));
}

// Bills: dated over the past days and today, numbered in creation order.
void AddBills(IdPool& ids, Rng& rng, const DemoOptions& o, const QDate& today, const Placement& placed, World& w)
{
    const QDateTime dayEnd(today, QTime(23, 59, 0));
    const int n = std::clamp(o.bills, 0, 1000000);
    const int onToday = std::min(n, o.todayBills >= 0 ? o.todayBills : std::max(10, n / 100));
    const int days = o.days > 0 ? o.days : std::clamp(n / 40, 60, 365);
    const int avgLines = std::max(1, o.linesPerBill);
    const std::vector<Stamp> stamps = BillStamps(rng, n, onToday, days, today);

    static constexpr int todayPattern[] = {0, 2, 4, 0, 1, 2, 3, 4, 0, 2};
    int todayIndex = 0;
    w.bills.resize(size_t(n));
    for (int i = 0; i < n; ++i) {
        Bill& b = w.bills[size_t(i)];
        const Stamp& stamp = stamps[size_t(i)];
        b.created = stamp.at;
        b.serial = i + 1;
        b.no = BillNo(QStringLiteral("DB-"), b.created.date(), b.serial);
        b.id = ids.Next();
        const int age = int(b.created.date().daysTo(today));
        b.status = stamp.today ? todayPattern[todayIndex++ % std::size(todayPattern)] : PickStatus(rng, age);
        // Only bills never audited can have been deleted.
        b.deleted = !stamp.today && b.status == 0 && rng.Percent(15);
        PickParties(rng, placed.usableStorages, b);
        b.remark = S(kBillRemarks[rng.Below(int(std::size(kBillRemarks)))]);
        AddLines(ids, rng, w.goods, w.operators[size_t(b.optor)].goods, placed.stocked[size_t(b.src)], avgLines, b);
        if (b.status == 2 || b.status == 4)
            Audit(rng, w.goods, stamp.today, dayEnd, b);
        if (b.status == 4)
            w.postingOrder.push_back(i);
    }
}

// Postings in the order they happened draw the stock-in and stock-out numbers.
void NumberPostings(IdPool& ids, World& w)
{
    std::stable_sort(w.postingOrder.begin(), w.postingOrder.end(),
                     [&](int a, int b) { return w.bills[size_t(a)].posted < w.bills[size_t(b)].posted; });
    qint64 serial = 0;
    for (int i : w.postingOrder) {
        Bill& b = w.bills[size_t(i)];
        b.inId = ids.Next();
        b.inSerial = ++serial;
        b.outId = ids.Next();
        b.outSerial = serial;
        for (size_t k = 0; k < b.lines.size(); ++k)
            b.outLineIds.push_back(ids.Next());
        for (size_t k = 0; k < b.lines.size(); ++k)
            b.inLineIds.push_back(ids.Next());
    }
}

// What the posted history moved, per storage and goods, in hundredths (counts have two
// decimals): the stock-out bill takes from the source, the stock-in bill brings to the
// destination.
std::vector<std::vector<qint64>> PostedMovements(const World& w)
{
    std::vector<std::vector<qint64>> moved(w.storages.size(), std::vector<qint64>(w.goods.size(), 0));
    for (int i : w.postingOrder) {
        const Bill& b = w.bills[size_t(i)];
        for (const Line& l : b.lines) {
            const qint64 n = std::llround(l.count * 100.0);
            moved[size_t(b.src)][size_t(l.goods)] -= n;
            moved[size_t(b.des)][size_t(l.goods)] += n;
        }
    }
    return moved;
}

// Opening stock for every storage and goods, so that each stock count is explained by its stock
// bills. A destination the history brought goods to without a stock row gets one, as posting
// makes it, holding what the history left there (opening stock covers a shortfall).
void AddOpenings(IdPool& ids, World& w)
{
    std::vector<std::vector<qint64>> rest = PostedMovements(w); // what opening stock must add
    std::vector<std::vector<char>> counted(w.storages.size(), std::vector<char>(w.goods.size(), 0));
    for (const Stock& st : w.stock) {
        counted[size_t(st.storage)][size_t(st.goods)] = 1;
        qint64& r = rest[size_t(st.storage)][size_t(st.goods)];
        r = std::llround(st.left * 100.0) - r;
    }
    for (int s = 0; s < int(w.storages.size()); ++s) {
        for (int g = 0; g < int(w.goods.size()); ++g) {
            qint64& r = rest[size_t(s)][size_t(g)];
            if (counted[size_t(s)][size_t(g)] || r == 0)
                continue;
            Stock st;
            st.id = ids.Next();
            st.storage = s;
            st.goods = g;
            st.left = double(std::max<qint64>(r, 0)) / 100.0;
            w.stock.push_back(st);
            r = std::max<qint64>(-r, 0);
        }
    }
    for (int s = 0; s < int(w.storages.size()); ++s) {
        Opening o;
        o.storage = s;
        for (int g = 0; g < int(w.goods.size()); ++g)
            if (const qint64 r = rest[size_t(s)][size_t(g)]; r != 0)
                o.lines.push_back({0, g, double(r) / 100.0});
        if (o.lines.empty())
            continue;
        o.id = ids.Next();
        for (Opening::Line& l : o.lines)
            l.id = ids.Next();
        w.openings.push_back(std::move(o));
    }
}

// The opening stock comes in before the first bill, and no later than the day the stock rows
// were made.
QDateTime OpeningTime(const World& w, const QDate& today)
{
    const QDateTime rows(QDate(2023, 1, 1), QTime(9, 0));
    const QDate first = w.bills.empty() ? today : w.bills.front().created.date();
    return std::min(rows, QDateTime(first.addDays(-1), QTime(8, 0)));
}

void Generate(IdPool& ids, const DemoOptions& o, World& w)
{
    Rng rng(o.seed);
    const QDate today = o.today.isValid() ? o.today : QDate::currentDate();
    AddStorages(ids, w);
    AddGoods(ids, w);
    AddOperators(ids, w);
    const Placement placed = AddStock(ids, rng, w);
    AddBills(ids, rng, o, today, placed, w);
    NumberPostings(ids, w);
    AddOpenings(ids, w);
    w.opened = OpeningTime(w, today);
}

// ----- writing -----

// Rows of one table, sent many to a statement ("values (...),(...)") in the engine's own
// dialect; each statement text is prepared once and reused.
class Insert {
public:
    Insert(Connection& c, const char* table, const char* columns) : c_(c)
    {
        head_ = QStringLiteral("insert into %1 (%2) values ").arg(QString::fromLatin1(table), QString::fromLatin1(columns));
        width_ = int(QString::fromLatin1(columns).count(u',')) + 1;
        batch_ = std::max(1, std::min(200, 30000 / width_)); // well under both engines' parameter limits
        params_.reserve(batch_ * width_);
    }
    ~Insert() noexcept(false)
    {
        if (std::uncaught_exceptions() == 0)
            Flush();
    }
    Insert& operator<<(const QVariant& v)
    {
        params_.push_back(v);
        return *this;
    }
    void Row()
    {
        if (params_.size() % width_ != 0)
            throw platform::EDatabaseError(QStringLiteral("Demo data: wrong number of values for ") + head_);
        if (params_.size() == batch_ * width_)
            Flush();
    }
    void Flush()
    {
        const int rows = int(params_.size()) / width_;
        if (rows == 0)
            return;
        if (!sql_.contains(rows))
            sql_.insert(rows, Text(rows));
        c_.ExecNative(sql_.value(rows), params_, nullptr);
        params_.clear();
    }

private:
    QString Text(int rows) const
    {
        const EngineRules& rules = RulesFor(c_.GetEngine());
        QString t = head_;
        int n = 0;
        for (int r = 0; r < rows; ++r) {
            t += r ? QStringLiteral(",(") : QStringLiteral("(");
            for (int k = 0; k < width_; ++k) {
                if (k)
                    t += u',';
                t += rules.Param(++n);
            }
            t += u')';
        }
        return t;
    }

    Connection& c_;
    QString head_;
    int width_ = 1;
    int batch_ = 1;
    QVector<QVariant> params_;
    QHash<int, QString> sql_;
};

QVariant Money(Currency v) { return QVariant::fromValue(v); }
QVariant Id(qint64 v) { return QVariant(qlonglong(v)); }
QVariant Int(int v) { return QVariant(qlonglong(v)); }
QVariant Null() { return QVariant(); }

void WriteDictionary(Connection& c)
{
    Insert ins(c, "Sys_DictDetail", "DictDetailCode,DictDetailName");
    for (const UnitDef& d : kDict)
        (ins << S(d.code) << S(d.name)).Row();
}

void WriteGoodsTypes(Connection& c)
{
    Insert ins(c, "bas_goodstype", "GoodsTypeCode,GoodsTypeName");
    for (const GoodsTypeDef& t : kGoodsTypes)
        (ins << S(t.code) << S(t.name)).Row();
}

void WriteStorages(Connection& c, const World& w)
{
    Insert ins(c, "bas_Storage",
               "ID,StoragePID,StorageCode,StorageName,StorageKind,Manager,Address,Sort,TelNo,Remark,OptorCode,UseFlag");
    int sort = 0;
    for (const Storage& s : w.storages) {
        const StorageDef& d = kStorages[s.def];
        const QString remark = d.useFlag ? QString() : QStringLiteral("已停用");
        (ins << Id(s.id) << Id(s.pid) << S(d.code) << S(d.name) << QString::number(d.kind) << S(d.manager)
             << S(d.address) << Int(++sort) << S(d.tel) << remark << QStringLiteral("001") << Int(d.useFlag))
            .Row();
    }
}

void WriteGoods(Connection& c, const World& w)
{
    Insert ins(c, "Bas_GoodsInfo",
               "ID,GoodsCode,GoodsName,GoodsType,GoodsKind,PyCode,BarCode,Model,CalUnit,Brand,Color,bigness,"
               "ImageID,produceAddress,ReBateFlag,DefaultInPrice,LastInPrice,CostPrice,SellPrice,RebatePrice,"
               "Valuta,MinPrice,UseFlag,LocationCode,Sort,Remark,Deleted");
    for (const Goods& g : w.goods) {
        const Currency sell = g.price * 1.25;
        (ins << Id(g.id) << g.code << g.name << g.type << Int(1) << g.py << g.bar << g.model << g.unit << g.brand
             << QString() << QString() << Int(0) << g.place << Int(0) << Money(g.price) << Money(g.price)
             << Money(g.price) << Money(sell) << Money(sell * 0.95) << Money(Currency()) << Money(g.price)
             << Int(g.useFlag) << g.location << Int(g.sort) << QString() << Int(g.deleted))
            .Row();
    }
}

void WriteOperators(Connection& c, const World& w)
{
    Insert op(c, "sys_operator", "OperatorID,OperatorCode,OperatorName,Password");
    Insert right(c, "sys_operatorright", "OperatorID,PluginID,BrowseLevel,OperateRight");
    Insert types(c, "sys_operatorgoodstype", "OperatorID,GoodsType");
    for (const Operator& o : w.operators) {
        const OperatorDef& d = kOperators[o.def];
        (op << Id(o.id) << S(d.code) << S(d.name) << QString()).Row();
        (right << Id(o.id) << Int(TransferPluginId) << Int(d.browse) << Int(d.operate)).Row();
        for (const GoodsTypeDef& t : kGoodsTypes)
            if (TypeAllowed(d, S(t.code)))
                (types << Id(o.id) << S(t.code)).Row();
    }
}

void WriteStock(Connection& c, const EngineRules& rules, const World& w)
{
    Insert ins(c, "Gds_StockCount", "ID,StorageID,StorageCode,GoodsID,GoodsCode,LeftCount,Create_time,Deleted");
    const QVariant opened = rules.DateValue(QDateTime(QDate(2023, 1, 1), QTime(9, 0)));
    for (const Stock& st : w.stock) {
        const Storage& s = w.storages[size_t(st.storage)];
        const Goods& g = w.goods[size_t(st.goods)];
        (ins << Id(st.id) << Id(s.id) << S(kStorages[s.def].code) << Id(g.id) << g.code << st.left << opened << Int(0)).Row();
    }
}

void WriteTransferBills(Connection& c, const EngineRules& rules, const World& w)
{
    auto date = [&rules](const QDateTime& dt) { return rules.DateValue(dt); };
    Insert head(c, "Sto_AdjustBillMain",
                "ID,BillNo,BillDate,Src_StorageCode,Des_StorageCode,GoodsCount,BillSum,BillStatus,AuditFlag,"
                "Auditor,AuditDate,Remark,OptorCode,Create_time,modified_time,DELETED");
    Insert line(c, "Sto_AdjustBillDetail",
                "ID,BillID,BillNo,GoodsCode,GoodsName,CalUnit,Model,Brand,GoodsPrice,GoodsCount,PaySum,Remark,"
                "OptorCode,Create_time,modified_time,DELETED");
    for (const Bill& b : w.bills) {
        const bool audited = b.status == 2 || b.status == 4;
        const QString optor = S(kOperators[b.optor].code);
        const QString src = S(kStorages[w.storages[size_t(b.src)].def].code);
        const QString des = S(kStorages[w.storages[size_t(b.des)].def].code);
        const QVariant created = date(b.created);
        (head << Id(b.id) << b.no << created << src << des << b.goodsCount << Money(b.billSum) << Int(b.status)
              << Int(audited ? 1 : 0) << (audited ? S(kOperators[b.auditor].code) : QString())
              << (audited ? date(b.audited) : Null()) << b.remark << optor << created
              << (b.status == 4 ? date(b.posted) : created) << Int(b.deleted ? 1 : 0))
            .Row();
        for (const Line& l : b.lines) {
            const Goods& g = w.goods[size_t(l.goods)];
            (line << Id(l.id) << Id(b.id) << b.no << g.code << g.name << g.unit << g.model << QString()
                  << Money(l.price) << l.count << Money(l.paySum) << QString() << optor << created << created
                  << Int(b.deleted ? 1 : 0))
                .Row();
        }
    }
}

// The stock bills a posting wrote: stock-out for the source, stock-in for the destination.
void WriteStockBills(Connection& c, const EngineRules& rules, const World& w)
{
    auto date = [&rules](const QDateTime& dt) { return rules.DateValue(dt); };
    Insert head(c, "Sto_GdsBillMain",
                "ID,BillNo,BillDate,BillType,StorageCode,SrcBillNo,SrcBillType,GoodsCount,BillSum,BillStatus,"
                "AuditFlag,Auditor,AuditDate,Remark,OptorCode,Create_time,modified_time,deleted");
    Insert line(c, "Sto_GdsBillDetail",
                "ID,BillID,BillNo,BillType,GoodsCode,GoodsName,CalUnit,Model,Brand,GoodsPrice,GoodsCount,PaySum,"
                "Remark,OptorCode,Create_time,modified_time,deleted");
    for (int i : w.postingOrder) {
        const Bill& b = w.bills[size_t(i)];
        const QString optor = S(kOperators[b.optor].code); // only the creator may post
        const QString auditor = S(kOperators[b.auditor].code);
        const QVariant auditMinute = date(QDateTime(b.audited.date(), QTime(b.audited.time().hour(), b.audited.time().minute())));
        const QVariant posted = date(b.posted);
        struct Side {
            qint64 id;
            QString no, type;
            int storage;
            const std::vector<qint64>& lineIds;
        };
        const Side sides[] = {
            {b.outId, BillNo(QStringLiteral("CK-"), b.posted.date(), b.outSerial), QStringLiteral("12"), b.src, b.outLineIds},
            {b.inId, BillNo(QStringLiteral("RK-"), b.posted.date(), b.inSerial), QStringLiteral("02"), b.des, b.inLineIds},
        };
        for (const Side& sd : sides) {
            (head << Id(sd.id) << sd.no << posted << sd.type << S(kStorages[w.storages[size_t(sd.storage)].def].code)
                  << b.no << Int(4) << b.goodsCount << Money(b.billSum) << Int(4) << Int(1) << auditor << auditMinute
                  << b.remark << optor << posted << posted << Int(0))
                .Row();
            for (size_t k = 0; k < b.lines.size(); ++k) {
                const Line& l = b.lines[k];
                const Goods& g = w.goods[size_t(l.goods)];
                (line << Id(sd.lineIds[k]) << Id(sd.id) << sd.no << sd.type << g.code << g.name << g.unit << g.model
                      << QString() << Money(l.price) << l.count << Money(l.paySum) << QString() << optor << posted
                      << posted << Int(0))
                    .Row();
            }
        }
    }
}

// The opening stock-in bills, one per storage, numbered apart from the posting's bills so that
// the stock-in counter keeps counting those alone.
void WriteOpeningBills(Connection& c, const EngineRules& rules, const World& w)
{
    const QVariant opened = rules.DateValue(w.opened);
    const QString optor = S(kOperators[0].code);
    Insert head(c, "Sto_GdsBillMain",
                "ID,BillNo,BillDate,BillType,StorageCode,GoodsCount,BillSum,BillStatus,AuditFlag,Auditor,AuditDate,"
                "Remark,OptorCode,Create_time,modified_time,deleted");
    Insert line(c, "Sto_GdsBillDetail",
                "ID,BillID,BillNo,BillType,GoodsCode,GoodsName,CalUnit,Model,Brand,GoodsPrice,GoodsCount,PaySum,"
                "Remark,OptorCode,Create_time,modified_time,deleted");
    const QString type = model::BillTypeOpening;
    qint64 serial = 0;
    for (const Opening& o : w.openings) {
        const QString no = BillNo(QStringLiteral("QC-"), w.opened.date(), ++serial);
        double count = 0;
        Currency sum;
        for (const Opening::Line& l : o.lines) {
            const Goods& g = w.goods[size_t(l.goods)];
            count += l.count;
            sum += g.price * l.count;
            (line << Id(l.id) << Id(o.id) << no << type << g.code << g.name << g.unit << g.model << QString()
                  << Money(g.price) << l.count << Money(g.price * l.count) << QString() << optor << opened << opened
                  << Int(0))
                .Row();
        }
        (head << Id(o.id) << no << opened << type << S(kStorages[w.storages[size_t(o.storage)].def].code) << count
              << Money(sum) << Int(4) << Int(1) << optor << opened << QStringLiteral("期初库存") << optor << opened
              << opened << Int(0))
            .Row();
    }
}

// The counters stand at the last serial used, so the next number drawn is a new one.
void SetCounters(Connection& c, const World& w)
{
    const qint64 last = w.postingOrder.size();
    const QString setCounter = QStringLiteral("update sys_counter set CounterValue = :2 where CounterName = :1 and CounterValue < :2");
    Execute(c, setCounter, {QStringLiteral("JXC_BILLNO_DB"), Id(qint64(w.bills.size()))});
    Execute(c, setCounter, {QStringLiteral("JXC_BILLNO_RK"), Id(last)});
    Execute(c, setCounter, {QStringLiteral("JXC_BILLNO_CK"), Id(last)});
}

void Write(Connection& c, const World& w)
{
    const EngineRules& rules = RulesFor(c.GetEngine());
    WriteDictionary(c);
    WriteGoodsTypes(c);
    WriteStorages(c, w);
    WriteGoods(c, w);
    WriteOperators(c, w);
    WriteStock(c, rules, w);
    WriteTransferBills(c, rules, w);
    WriteStockBills(c, rules, w);
    WriteOpeningBills(c, rules, w);
    SetCounters(c, w);
}

qint64 CountRows(Connection& c, const QString& table)
{
    struct One : RowSink {
        qint64 n = 0;
        void Columns(const QVector<ResultColumn>&) override {}
        bool Row(QVariant* v) override
        {
            n = v[0].toLongLong();
            return false;
        }
    } sink;
    Execute(c, QStringLiteral("select count(*) from ") + table, {}, &sink);
    return sink.n;
}

} // namespace

} // namespace host::db

namespace host::db {

DemoSummary SeedDemo(Connection& c, const DemoOptions& options)
{
    if (options.bills < 0 || options.bills > 1000000)
        throw platform::EDatabaseError(QStringLiteral("The number of demo bills must be between 0 and 1000000"));
    WriteTransaction tx(c);
    for (const char* table : {"bas_Storage", "Bas_GoodsInfo", "Sto_AdjustBillMain", "sys_operator"}) {
        if (CountRows(c, QString::fromLatin1(table)) > 0)
            throw platform::EDatabaseError(
                QStringLiteral("The database already holds data (table %1); demo data goes only into an empty database")
                    .arg(QString::fromLatin1(table)));
    }
    World w;
    IdPool ids(c);
    Generate(ids, options, w);
    Write(c, w);
    // Only this marks a database as a demo, where operators log in without a password.
    host::admin::MarkDemoDatabase(c);
    tx.Commit();

    DemoSummary sum;
    sum.storages = int(w.storages.size());
    sum.goods = int(w.goods.size());
    sum.operators = int(w.operators.size());
    sum.stockRows = int(w.stock.size());
    sum.bills = int(w.bills.size());
    for (const Bill& b : w.bills)
        sum.lines += int(b.lines.size());
    sum.stockBills = int(2 * w.postingOrder.size());
    for (int i : w.postingOrder)
        sum.stockBillLines += int(2 * w.bills[size_t(i)].lines.size());
    sum.openingBills = int(w.openings.size());
    for (const Opening& o : w.openings)
        sum.openingBillLines += int(o.lines.size());
    sum.lastTransferSerial = qint64(w.bills.size());
    sum.lastStockInSerial = sum.lastStockOutSerial = qint64(w.postingOrder.size());
    return sum;
}

} // namespace host::db
