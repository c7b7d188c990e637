// CSlotUser1: a slot that adds one stored argument.
//
// Bound to a one-argument function taking U together with a value of U; when a
// zero-argument signal fires, it calls the function with that value. This
// turns a bare notification into one that says which thing it concerns (a
// menu learning which of its items was chosen). Connected to a signal of
// signature U it behaves as a plain one-argument slot.
#pragma once

#include "core/CSlot.h"

#include <type_traits>

template <typename T, typename U>
class CSlotUser1 : public CSlot<T, U> {
    using Base = CSlot<T, U>;
    using Stored = std::remove_cvref_t<U>;

public:
    using Base::bind;

    void bind(T* object, typename Base::Member1 function, U value)
    {
        Base::bind(object, function);
        user_ = value;
    }

    void bind(typename Base::Free1 function, U value)
    {
        Base::bind(function);
        user_ = value;
    }

    const Stored& userValue() const { return user_; }

    void invoke0() override
    {
        // A local copy: the handler may destroy this slot.
        Stored value = user_;
        if (this->object_ != nullptr && this->member1_ != nullptr) {
            (this->object_->*this->member1_)(value);
            return;
        }
        if (this->free1_ != nullptr)
            this->free1_(value);
    }

private:
    Stored user_{};
};
