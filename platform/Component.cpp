#include "platform/Component.h"

#include "platform/Application.h"

#include <QEvent>
#include <QKeyEvent>
#include <QApplication>

namespace platform {

int Tag(const QObject* o)
{
    return o ? o->property("Tag").toInt() : 0;
}

void SetTag(QObject* o, int tag)
{
    if (o)
        o->setProperty("Tag", tag);
}

int ComponentOwner::ComponentCount() const
{
    components_.removeIf([](const QPointer<QObject>& p) { return p.isNull(); });
    return components_.size();
}

QObject* ComponentOwner::Component(int index) const
{
    const int n = ComponentCount();
    return index >= 0 && index < n ? components_[index].data() : nullptr;
}

QList<QObject*> ComponentOwner::Components() const
{
    QList<QObject*> out;
    const int n = ComponentCount();
    for (int i = 0; i < n; ++i)
        out << components_[i].data();
    return out;
}

void ComponentOwner::Disown(QObject* o)
{
    components_.removeIf([o](const QPointer<QObject>& p) { return p.isNull() || p.data() == o; });
}

ComponentOwner* AsOwner(QObject* o)
{
    if (auto* f = qobject_cast<Form*>(o))
        return f;
    if (auto* f = qobject_cast<Frame*>(o))
        return f;
    if (auto* t = qobject_cast<TabSheet*>(o))
        return t;
    return nullptr;
}

Form::Form(QWidget* parent) : QDialog(parent)
{
    // The forms ask for 宋体; fontconfig substitutes an installed CJK font. Qt keeps the family
    // names in process-wide font caches that outlive an unloaded module, so they are made on the
    // heap (fromUtf8), never left pointing into the library's read-only data (QStringLiteral).
    const QStringList families{QString::fromUtf8("宋体"), QString::fromUtf8("SimSun"),
                               QString::fromUtf8("WenQuanYi Micro Hei"), QString::fromUtf8("Noto Sans CJK SC")};
    QFont f(families.front());
    f.setPixelSize(12);
    f.setFamilies(families);
    setFont(f);
}

int Form::ShowModal()
{
    return Application()->ExecModal(*this);
}

void Form::InstallKeyPreview()
{
    qApp->installEventFilter(this);
}

bool Form::eventFilter(QObject* watched, QEvent* event)
{
    if (keyPreview_ && event->type() == QEvent::KeyPress) {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w && (w == this || isAncestorOf(w)) && w->hasFocus()) {
            auto* ke = static_cast<QKeyEvent*>(event);
            if (FormKeyDown(ke))
                return true;
            QString text = ke->text();
            if (!text.isEmpty() && text[0].isPrint()) {
                const QString before = text;
                FormKeyPress(text);
                if (text.isEmpty())
                    return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

Frame::Frame(QWidget* parent) : QFrame(parent) {}

TabSheet::TabSheet(QWidget* parent) : QWidget(parent) {}

} // namespace platform
