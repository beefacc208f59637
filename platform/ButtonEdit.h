#pragma once
// A text edit with an ellipsis button at its right end; the button (or Ctrl+Enter) emits
// ButtonClicked.
#include "platform/TextEdit.h"

class QAction;

namespace platform {

class ButtonEdit : public TextEdit {
    Q_OBJECT
public:
    explicit ButtonEdit(QWidget* parent = nullptr);

    void SetButtonVisible(bool on);
    bool ButtonVisible() const;
    QAction* ButtonAction() const { return button_; }

signals:
    void ButtonClicked(int buttonIndex);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    QAction* button_;
};

} // namespace platform
