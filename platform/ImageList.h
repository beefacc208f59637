#pragma once
// A list of small images for tree nodes. BuiltIn() gives five simple 16x16 icons drawn in code:
// 0 closed folder, 1 open folder, 2 document, 3 storage (a house), 4 tick.
#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <QVector>

namespace platform {

class ImageList : public QObject {
    Q_OBJECT
public:
    explicit ImageList(QObject* parent = nullptr, int width = 16, int height = 16);

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return int(images_.size()); }
    int Add(const QPixmap& pixmap); // scaled to the list's size; returns its index
    void Clear();
    QPixmap Image(int index) const; // null outside
    QIcon Icon(int index) const;

    // A list holding the five built-in icons.
    static ImageList* BuiltIn(QObject* parent = nullptr);
    static QPixmap DrawBuiltIn(int index, int size = 16);

private:
    int width_;
    int height_;
    QVector<QPixmap> images_;
};

} // namespace platform
