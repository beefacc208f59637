#include "platform/ImageList.h"

#include <QPainter>
#include <QPainterPath>

namespace platform {

ImageList::ImageList(QObject* parent, int width, int height) : QObject(parent), width_(width), height_(height) {}

int ImageList::Add(const QPixmap& pixmap)
{
    images_.push_back(pixmap.size() == QSize(width_, height_)
                          ? pixmap
                          : pixmap.scaled(width_, height_, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return int(images_.size()) - 1;
}

void ImageList::Clear() { images_.clear(); }

QPixmap ImageList::Image(int index) const
{
    return index >= 0 && index < images_.size() ? images_[index] : QPixmap();
}

QIcon ImageList::Icon(int index) const
{
    const QPixmap pm = Image(index);
    return pm.isNull() ? QIcon() : QIcon(pm);
}

ImageList* ImageList::BuiltIn(QObject* parent)
{
    auto* list = new ImageList(parent);
    for (int i = 0; i < 5; ++i)
        list->Add(DrawBuiltIn(i));
    return list;
}

QPixmap ImageList::DrawBuiltIn(int index, int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    const QColor outline(0x6B, 0x55, 0x1E);
    switch (index) {
    case 0: { // closed folder
        p.setPen(outline);
        p.setBrush(QColor(0xF0, 0xC8, 0x50));
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        break;
    }
    case 1: { // open folder
        p.setPen(outline);
        p.setBrush(QColor(0xE0, 0xB0, 0x40));
        p.drawRect(QRectF(1.5, 3.5, 12, 10));
        p.setBrush(QColor(0xF8, 0xD8, 0x70));
        const QPointF flap[4] = {{3.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {1.5, 13.5}};
        p.drawPolygon(flap, 4);
        break;
    }
    case 2: { // document
        p.setPen(QColor(0x50, 0x50, 0x50));
        p.setBrush(Qt::white);
        const QPointF page[5] = {{3.5, 1.5}, {10.5, 1.5}, {13.5, 4.5}, {13.5, 14.5}, {3.5, 14.5}};
        p.drawPolygon(page, 5);
        p.setPen(QColor(0x80, 0x90, 0xB0));
        for (int y = 6; y <= 12; y += 2)
            p.drawLine(QPointF(5.5, y + 0.5), QPointF(11.5, y + 0.5));
        break;
    }
    case 3: { // storage: a house
        p.setPen(QColor(0x40, 0x40, 0x60));
        p.setBrush(QColor(0xC0, 0x40, 0x30));
        const QPointF roof[3] = {{1, 8}, {8, 1.5}, {15, 8}};
        p.drawPolygon(roof, 3);
        p.setBrush(QColor(0xE8, 0xE0, 0xD0));
        p.drawRect(QRectF(3.5, 8, 9, 6.5));
        p.setBrush(QColor(0x60, 0x40, 0x20));
        p.drawRect(QRectF(7, 10.5, 3, 4));
        break;
    }
    case 4: { // tick
        QPen pen(QColor(0x20, 0x90, 0x30), 2.2);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        QPainterPath path;
        path.moveTo(3, 8.5);
        path.lineTo(6.5, 12);
        path.lineTo(13, 4);
        p.drawPath(path);
        break;
    }
    default:
        break;
    }
    return pm;
}

} // namespace platform
