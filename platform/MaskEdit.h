#pragma once
// A text edit with an input mask (Qt mask syntax).
#include "platform/TextEdit.h"

namespace platform {

class MaskEdit : public TextEdit {
    Q_OBJECT
public:
    explicit MaskEdit(QWidget* parent = nullptr);
    void SetEditMask(const QString& mask) { setInputMask(mask); }
    QString EditMask() const { return inputMask(); }
};

} // namespace platform
