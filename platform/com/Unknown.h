// SPDX-License-Identifier: Apache-2.0
// Reference-counted objects with interface queries, and the smart pointer that holds them.
// Part of the component runtime; depends on Guid only.
//
// An interface is an abstract class deriving from Unknown that names its identifier:
//     struct IThing : platform::com::Unknown {
//         static constexpr Guid iid = Guid::literal("...");
//         virtual std::string Name() = 0;
//     };
// An implementation derives from Object<IThing, IOther...>, which answers queryInterface
// for every listed interface and for Unknown.
#pragma once

#include <atomic>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "Guid.h"

namespace platform::com {

class Unknown {
public:
    static constexpr Guid iid = Guid::literal("00000000-0000-0000-C000-000000000046");

    // Returns the object as the interface `id` with one reference added, or nullptr.
    virtual void* queryInterface(const Guid& id) noexcept = 0;
    virtual std::uint32_t addRef() noexcept = 0;
    virtual std::uint32_t release() noexcept = 0;

protected:
    Unknown() = default;
    Unknown(const Unknown&) = default;
    Unknown& operator=(const Unknown&) = default;
    virtual ~Unknown() = default;  // objects die through release(), not through delete
};

// Owns one reference. Ptr<T>::adopt takes over a reference someone already added.
// A Ptr<U> converts to Ptr<T> only where U* converts to T* implicitly (a derived interface to
// its base); any other change of interface goes through query(), which asks the object.
template <class T>
class Ptr {
public:
    Ptr() noexcept = default;
    Ptr(std::nullptr_t) noexcept {}
    // Adds a reference to an object someone else holds; explicit, so that a raw pointer never
    // becomes an owner unnoticed.
    explicit Ptr(T* p) noexcept : p_(p) {
        if (p_) p_->addRef();
    }
    Ptr(const Ptr& o) noexcept : Ptr(o.p_) {}
    Ptr(Ptr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U>
    requires std::is_convertible_v<U*, T*> Ptr(const Ptr<U>& o)
    noexcept : Ptr(static_cast<T*>(o.get())) {}
    template <class U>
    requires std::is_convertible_v<U*, T*> Ptr(Ptr<U>&& o)
    noexcept : p_(o.detach()) {}
    ~Ptr() { reset(); }

    Ptr& operator=(Ptr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }

    static Ptr adopt(T* p) noexcept {
        Ptr r;
        r.p_ = p;
        return r;
    }
    T* detach() noexcept { return std::exchange(p_, nullptr); }
    void reset() noexcept {
        if (T* p = std::exchange(p_, nullptr)) p->release();
    }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    T& operator*() const noexcept { return *p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    friend bool operator==(const Ptr& a, const Ptr& b) noexcept { return a.p_ == b.p_; }

    // The same object as interface U, or an empty pointer when it does not support U.
    template <class U>
    Ptr<U> query() const noexcept {
        if (!p_) return {};
        return Ptr<U>::adopt(static_cast<U*>(p_->queryInterface(U::iid)));
    }

private:
    T* p_ = nullptr;
};

template <class I>
Ptr<I> queryAs(Unknown* object) noexcept {
    if (!object) return {};
    return Ptr<I>::adopt(static_cast<I*>(object->queryInterface(I::iid)));
}

// Live objects of a server library, so that it can tell when it may be unloaded.
class ObjectCounter {
public:
    static void increment() noexcept;
    static void decrement() noexcept;
    static long count() noexcept;
};

template <class First, class... Rest>
class Object : public First, public Rest... {
public:
    Object() { ObjectCounter::increment(); }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    void* queryInterface(const Guid& id) noexcept override {
        void* found = nullptr;
        if (id == Unknown::iid || id == First::iid)
            found = static_cast<First*>(this);
        else
            ((found == nullptr && id == Rest::iid ? (found = static_cast<Rest*>(this)) : nullptr), ...);
        if (!found) found = queryExtra(id);
        if (found) addRef();
        return found;
    }
    std::uint32_t addRef() noexcept override { return ++refs_; }
    std::uint32_t release() noexcept override {
        std::uint32_t left = --refs_;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual ~Object() { ObjectCounter::decrement(); }
    // Further identifiers that the object answers to (older interface versions, for example).
    // Must not add a reference; queryInterface does.
    virtual void* queryExtra(const Guid&) noexcept { return nullptr; }

private:
    std::atomic<std::uint32_t> refs_{0};
};

// Creates an object and hands out its first reference.
template <class T, class... Args>
Ptr<T> make(Args&&... args) {
    return Ptr<T>(new T(std::forward<Args>(args)...));
}

}  // namespace platform::com
