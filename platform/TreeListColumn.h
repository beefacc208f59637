#pragma once
// A column of a tree list. Hidden columns still hold values (ids, codes) for every node.
#include <QObject>
#include <QString>

namespace platform {

class TreeList;

class TreeListColumn : public QObject {
    Q_OBJECT
public:
    TreeListColumn(TreeList* tree, const QString& name = {});

    TreeList* Tree() const { return tree_; }
    int Index() const;
    const QString& Caption() const { return caption_; }
    void SetCaption(const QString& caption);
    bool Visible() const { return visible_; }
    void SetVisible(bool on);
    int Width() const { return width_; }
    void SetWidth(int w);
    int MinWidth() const { return minWidth_; }
    void SetMinWidth(int w);

private:
    TreeList* tree_;
    QString caption_;
    bool visible_ = true;
    int width_ = 100;
    int minWidth_ = 20;
};

} // namespace platform
