#pragma once
// Key events of the editor classes, Delphi style: KeyDown may set the key to 0 to consume it,
// KeyPress may change or clear the typed text (cleared: the character is dropped). Both run
// before the editor's own handling, Tab included.
#include <QString>
#include <functional>

class QEvent;
class QWidget;

namespace platform {

struct EditorKeys {
    using KeyDownFn = std::function<void(int& key, Qt::KeyboardModifiers shift)>;
    using KeyPressFn = std::function<void(QString& text)>;
    // Returns true when the event was consumed; when the text was changed, a replacement event
    // is sent to base and the original consumed.
    static bool Filter(QWidget* editor, QEvent* event, const KeyDownFn& keyDown, const KeyPressFn& keyPress,
                       const std::function<bool(QEvent*)>& base);
};

} // namespace platform
