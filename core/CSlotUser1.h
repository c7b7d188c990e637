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
        if constexpr (std::is_reference_v<U>) {
            // A copy, since the handler may destroy this slot and its value.
            Stored value = user_;
            call(value);
        } else {
            call(user_);  // passed by value already
        }
    }

private:
    void call(U value)
    {
        T* object = this->object_;
        const typename Base::Member1 member = this->member1_;
        if (object != nullptr && member != nullptr) {
            (object->*member)(value);
            return;
        }
        if (this->free1_ != nullptr)
            this->free1_(value);
    }

    Stored user_{};
};
