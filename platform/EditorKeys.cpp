#include "platform/EditorKeys.h"

#include "platform/SlotGuard.h"

#include <QKeyEvent>
#include <QWidget>

namespace platform {

bool EditorKeys::Filter(QWidget* editor, QEvent* event, const KeyDownFn& keyDown, const KeyPressFn& keyPress,
                        const std::function<bool(QEvent*)>& base)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* ke = static_cast<QKeyEvent*>(event);
    int key = ke->key();
    const bool aborted = !GuardedFinished([&] { keyDown(key, ke->modifiers()); });
    if (key == 0 || aborted) {
        ke->accept();
        return true;
    }
    const QString original = ke->text();
    if (original.isEmpty() || !original[0].isPrint())
        return false;
    QString text = original;
    if (text.isEmpty() || !GuardedFinished([&] { keyPress(text); })) {
        ke->accept();
        return true;
    }
    if (text != original) {
        QKeyEvent replacement(QEvent::KeyPress, ke->key(), ke->modifiers(), text, ke->isAutoRepeat(), ke->count());
        base(&replacement);
        ke->accept();
        return true;
    }
    (void)editor;
    return false;
}

} // namespace platform
