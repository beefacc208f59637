#pragma once
// The component model the forms are written in: a form, frame or tab sheet owns its components
// in creation order; each component carries a Tag and an exact class identity, and classes match
// either exactly or "or derived". Components are QObjects; their objectName is their given name.
#include <QDialog>
#include <QFrame>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QVector>
#include <QWidget>

namespace platform {

// Tag of any component (0 when never set). Stored as the dynamic property "Tag".
int Tag(const QObject* o);
void SetTag(QObject* o, int tag);

// Exact class identity and "or derived" matching.
template <class T>
bool IsExactly(const QObject* o) { return o && o->metaObject() == &T::staticMetaObject; }
template <class T>
bool IsOrDerived(const QObject* o) { return o && o->metaObject()->inherits(&T::staticMetaObject); }

// Keeps the components a container owns, in creation order. Entries whose object was destroyed
// drop out of the list.
class ComponentOwner {
public:
    virtual ~ComponentOwner() = default;
    int ComponentCount() const;
    QObject* Component(int index) const; // nullptr outside the range
    QList<QObject*> Components() const;
    // Registers o as owned (objectName set when a name is given); returns o.
    template <class T>
    T* Own(T* o, const QString& name = {})
    {
        if (!name.isEmpty())
            o->setObjectName(name);
        components_.push_back(QPointer<QObject>(o));
        return o;
    }
    void Disown(QObject* o);

private:
    mutable QVector<QPointer<QObject>> components_;
};

// Looks up the owner a container is (form, frame, tab sheet), or nullptr.
ComponentOwner* AsOwner(QObject* o);

// A form: shown modally through the application object, or docked by a host.
class Form : public QDialog, public ComponentOwner {
    Q_OBJECT
public:
    explicit Form(QWidget* parent = nullptr);
    // Modal loop through the module-wide application object; returns the modal result.
    int ShowModal();
    // Keys reach the form's KeyPreview before the focused control when enabled.
    void SetKeyPreview(bool on) { keyPreview_ = on; }
    bool KeyPreview() const { return keyPreview_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // With key preview on: called for key presses of any child; return true to consume.
    virtual bool FormKeyDown(QKeyEvent* e) { return false; }
    // With key preview on: called with the typed text; clearing it drops the character.
    virtual void FormKeyPress(QString& text) {}
    void InstallKeyPreview();

private:
    bool keyPreview_ = false;
};

// A frame: a reusable panel that owns its components, embedded in a form.
class Frame : public QFrame, public ComponentOwner {
    Q_OBJECT
public:
    explicit Frame(QWidget* parent = nullptr);
};

// One page of a page control.
class TabSheet : public QWidget, public ComponentOwner {
    Q_OBJECT
public:
    explicit TabSheet(QWidget* parent = nullptr);
};

} // namespace platform
