#pragma once
// One owner for a reference to a system COM interface: released once.
#include <unknwn.h>
#include <utility>

namespace shell {

template <typename I>
class ComRef {
public:
    ComRef() noexcept = default;
    ComRef(const ComRef& o) noexcept : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComRef(ComRef&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComRef& operator=(ComRef o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~ComRef() { reset(); }

    void reset() noexcept {
        if (I* p = std::exchange(p_, nullptr)) p->Release();
    }
    I* get() const noexcept { return p_; }
    I* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    // The address to fill for a call that hands out a new reference.
    I** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
    // The same object through another interface, or empty.
    template <typename J>
    ComRef<J> Query(REFIID iid) const {
        ComRef<J> out;
        if (p_) p_->QueryInterface(iid, out.put_void());
        return out;
    }

private:
    I* p_ = nullptr;
};

}  // namespace shell
