#pragma once
// A text edit with a drop-down button that shows a popup control under it.
#include "platform/TextEdit.h"

#include <QPointer>

class QAction;

namespace platform {

class PopupEdit : public TextEdit {
    Q_OBJECT
public:
    explicit PopupEdit(QWidget* parent = nullptr);

    // The control shown in the popup (not owned; reparented into the popup while shown).
    void SetPopupControl(QWidget* control);
    QWidget* PopupControl() const { return control_; }
    void DroppedDown();
    void CloseUp();
    bool IsPopupVisible() const;

signals:
    void Popup();
    void Closed();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QAction* button_;
    QPointer<QWidget> control_;
    QPointer<QWidget> popup_;
};

} // namespace platform
