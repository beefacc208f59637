#pragma once
// The one guard every slot of the module runs through: an EAbort ends the handler silently,
// any other exception goes to the application's default error report, nothing crosses the
// Qt event loop.
#include "platform/Application.h"
#include "platform/core/Exception.h"

#include <functional>
#include <type_traits>
#include <utility>

namespace platform {

void ReportException(const std::exception& e);
void ReportUnknownException();

template <class F>
void Guarded(F&& f) noexcept
{
    try {
        std::forward<F>(f)();
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        ReportException(e);
    } catch (...) {
        ReportUnknownException();
    }
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
