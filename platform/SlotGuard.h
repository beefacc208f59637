#pragma once
// The one guard every slot of the module runs through: an EAbort ends the handler silently,
// any other exception goes to the application's default error report, nothing crosses the
// Qt event loop.
#include "platform/Application.h"
#include "platform/Exception.h"

#include <functional>
#include <type_traits>
#include <utility>

namespace platform {

void ReportException(const std::exception& e);
void ReportUnknownException();

// Shows a message through show; whatever show throws ends there (it may be a refusal that
// throws EAbort, as the host's ShowMessage does).
inline void ShowGuarded(const std::function<void(const QString&)>& show, const QString& message) noexcept
{
    try {
        show(message);
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        ReportException(e);
    } catch (...) {
        ReportUnknownException();
    }
}

// The guard for code that goes on after the handler: runs f and tells whether it finished
// (false after an EAbort or a reported error). showError, when given, takes the message of a
// module error in place of the default report (a grid shows it at the cell).
template <class F>
[[nodiscard]] bool GuardedFinished(F&& f, const std::function<void(const QString&)>& showError = {}) noexcept
{
    try {
        std::forward<F>(f)();
        return true;
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        if (showError)
            ShowGuarded(showError, e.Message());
        else
            ReportException(e);
    } catch (const std::exception& e) {
        ReportException(e);
    } catch (...) {
        ReportUnknownException();
    }
    return false;
}

template <class F>
void Guarded(F&& f) noexcept
{
    (void)GuardedFinished(std::forward<F>(f));
}

// Wraps a callable for QObject::connect: connect(b, &QPushButton::clicked, this, Guard(this, &T::Click));
// Signal arguments the method does not take are dropped.
template <class Obj, class M>
    requires std::is_member_function_pointer_v<M>
auto Guard(Obj* obj, M method)
{
    return [obj, method](auto&&... a) {
        Guarded([&] {
            if constexpr (std::is_invocable_v<M, Obj*, decltype(a)...>)
                std::invoke(method, obj, a...);
            else
                std::invoke(method, obj);
        });
    };
}

template <class F>
auto Guard(F f)
{
    return [f = std::move(f)](auto&&... a) mutable { Guarded([&] { f(a...); }); };
}

} // namespace platform
