#include "platform/MaskEdit.h"

namespace platform {

MaskEdit::MaskEdit(QWidget* parent) : TextEdit(parent) {}

} // namespace platform
