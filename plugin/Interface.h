#pragma once
// The reference-counted interface convention of the host contract: slots 0 to 2 of every
// interface are QueryInterface, AddRef and Release; the slots after them keep the order the
// contract gives, with unused numbers held by reserved placeholders. No virtual destructor:
// an object goes away through Release.
#include <QtGlobal>
#include <cstdint>
#include <utility>

#if defined(_WIN32) && !defined(_WIN64)
#define JXC_STDCALL __stdcall
#else
#define JXC_STDCALL
#endif

#if defined(_WIN32)
#define JXC_EXPORT extern "C" __declspec(dllexport)
#else
#define JXC_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace plugin {

struct Guid {
    uint32_t data1;
    uint16_t data2, data3;
    uint8_t data4[8];
    friend bool operator==(const Guid&, const Guid&) = default;
};

using HResult = int32_t;
constexpr HResult S_Ok = 0;
constexpr HResult E_NoInterface = int32_t(0x80004002u);

class IInterface {
public:
    virtual HResult JXC_STDCALL QueryInterface(const Guid& iid, void** object) = 0; // 0
    virtual uint32_t JXC_STDCALL AddRef() = 0;                                       // 1
    virtual uint32_t JXC_STDCALL Release() = 0;                                      // 2

protected:
    ~IInterface() = default;
};

// A counted reference: AddRef on copy, Release on destruction.
template <class T>
class IntfPtr {
public:
    IntfPtr() = default;
    IntfPtr(T* p) : p_(p) { if (p_) p_->AddRef(); } // NOLINT: takes a reference, like an assignment
    IntfPtr(const IntfPtr& o) : IntfPtr(o.p_) {}
    IntfPtr(IntfPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~IntfPtr() { Reset(); }
    IntfPtr& operator=(IntfPtr o) noexcept { std::swap(p_, o.p_); return *this; }
    // Takes over a reference the caller already holds (a getter's result).
    static IntfPtr Adopt(T* p) { IntfPtr r; r.p_ = p; return r; }
    void Reset() { if (T* p = std::exchange(p_, nullptr)) p->Release(); }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    friend bool operator==(const IntfPtr& a, const IntfPtr& b) { return a.p_ == b.p_; }

private:
    T* p_ = nullptr;
};

// A ready-made counter for implementations: Release deletes the object at zero.
template <class... Intfs>
class RefCounted : public Intfs... {
public:
    uint32_t JXC_STDCALL AddRef() override { return ++refs_; }
    uint32_t JXC_STDCALL Release() override
    {
        const uint32_t r = --refs_;
        if (r == 0)
            delete this;
        return r;
    }
    HResult JXC_STDCALL QueryInterface(const Guid&, void** object) override
    {
        if (object)
            *object = nullptr;
        return E_NoInterface;
    }
    uint32_t RefCount() const { return refs_; }

protected:
    virtual ~RefCounted() = default;

private:
    uint32_t refs_ = 0;
};

} // namespace plugin

#define JXC_RESERVED_SLOT(n) \
    virtual void JXC_STDCALL Reserved##n() {}

// Slots 3 to 10: the database, dictionary and rights interfaces all begin with these eight.
#define JXC_RESERVED_SLOTS_3_TO_10 \
    JXC_RESERVED_SLOT(3) JXC_RESERVED_SLOT(4) JXC_RESERVED_SLOT(5) JXC_RESERVED_SLOT(6) \
    JXC_RESERVED_SLOT(7) JXC_RESERVED_SLOT(8) JXC_RESERVED_SLOT(9) JXC_RESERVED_SLOT(10)
