#include "platform/rframebottom3.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// Button glyphs drawn in code: a green tick for OK, a red cross for Cancel.
QIcon Glyph(bool ok)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    if (ok) {
        p.setPen(QPen(QColor(0x1E, 0x8C, 0x2E), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF tick[] = {{2.5, 8.5}, {6.5, 12.5}, {13.5, 3.5}};
        p.drawPolyline(tick, 3);
    } else {
        p.setPen(QPen(QColor(0xC8, 0x28, 0x28), 2.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
    }
    return QIcon(pm);
}

} // namespace

TFrame3::TFrame3(QWidget* parent, const QString& name) : platform::Frame(parent)
{
    setObjectName(name);
    setFixedHeight(FrameHeight);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    Bevel1 = Own(new QFrame(this), QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setLineWidth(1);
    Bevel1->setFixedHeight(2);
    outer->addWidget(Bevel1);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(6, 5, 6, 5);
    row->addStretch(1);
    outer->addLayout(row, 1);

    Panel1 = Own(new QFrame(this), QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Sunken);
    auto* buttons = new QHBoxLayout(Panel1);
    buttons->setContentsMargins(6, 4, 6, 4);
    buttons->setSpacing(12);
    row->addWidget(Panel1);

    bbtnEnter = Own(new QPushButton(Glyph(true), QStringLiteral("确定(&O)"), Panel1), QStringLiteral("bbtnEnter"));
    bbtnClose = Own(new QPushButton(Glyph(false), QStringLiteral("取消(&C)"), Panel1), QStringLiteral("bbtnClose"));
    for (QPushButton* b : {bbtnEnter, bbtnClose}) {
        b->setFixedSize(75, 25);
        b->setIconSize(QSize(16, 16));
        buttons->addWidget(b);
    }
    setTabOrder(bbtnEnter, bbtnClose);
}
