#pragma once
// A control reached by late-bound calls: an operation is a dispatch id and its arguments, the
// result a variant. The report-sheet wrapper (TCell) forwards every operation this way, so the
// control behind it can be the built-in report sheet or any other object that answers the ids.
#include <QVariant>
#include <QVariantList>

class QWidget;

namespace platform {

class DispatchControl {
public:
    virtual ~DispatchControl() = default;
    // Runs the operation; throws platform::Exception when the id is unknown, the arguments do
    // not fit or the operation fails.
    virtual QVariant Invoke(int dispId, const QVariantList& args) = 0;
    // The control's window, owned by the control; nullptr for a control without one.
    virtual QWidget* Widget() = 0;
};

} // namespace platform
