#pragma once
// Where a dialog of fixed size stands: the lookups and the bill editor have a fixed border of
// a given client size, and open centred on the screen.
class QWidget;

namespace platform {

void FixDialogSize(QWidget* form, int width, int height);
void CentreOnScreen(QWidget* form);

} // namespace platform
