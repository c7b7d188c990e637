// CSlot: an endpoint that calls a bound function when invoked.
//
// A slot holds six free-function pointers and six member-function pointers of
// its receiver type T, one per arity 0 to 5, all null until bound; binding
// fills the position of the function's arity. invoke<k> calls the bound
// member function of arity k on the receiver when both are set, else the free
// function of arity k, else nothing. So a slot bound to a function of another
// arity than its emitter's is never called.
//
// Slots are usually created by connectSlot and owned by the receiver's
// CSlotList; a slot may also be a plain member of its receiver. An invoke
// never touches the slot after the handler returns, so a handler may destroy
// its own slot (or its receiver).
#pragma once

#include "core/CEvent.h"

template <typename T, typename A1 = EventParam::null, typename A2 = EventParam::null,
    typename A3 = EventParam::null, typename A4 = EventParam::null, typename A5 = EventParam::null>
class CSlot : public CEvent<A1, A2, A3, A4, A5> {
public:
    using Free0 = void (*)();
    using Free1 = void (*)(A1);
    using Free2 = void (*)(A1, A2);
    using Free3 = void (*)(A1, A2, A3);
    using Free4 = void (*)(A1, A2, A3, A4);
    using Free5 = void (*)(A1, A2, A3, A4, A5);
    using Member0 = void (T::*)();
    using Member1 = void (T::*)(A1);
    using Member2 = void (T::*)(A1, A2);
    using Member3 = void (T::*)(A1, A2, A3);
    using Member4 = void (T::*)(A1, A2, A3, A4);
    using Member5 = void (T::*)(A1, A2, A3, A4, A5);

    void bind(T* object, Member0 function) { object_ = object; member0_ = function; }
    void bind(T* object, Member1 function) { object_ = object; member1_ = function; }
    void bind(T* object, Member2 function) { object_ = object; member2_ = function; }
    void bind(T* object, Member3 function) { object_ = object; member3_ = function; }
    void bind(T* object, Member4 function) { object_ = object; member4_ = function; }
    void bind(T* object, Member5 function) { object_ = object; member5_ = function; }
    void bind(Free0 function) { free0_ = function; }
    void bind(Free1 function) { free1_ = function; }
    void bind(Free2 function) { free2_ = function; }
    void bind(Free3 function) { free3_ = function; }
    void bind(Free4 function) { free4_ = function; }
    void bind(Free5 function) { free5_ = function; }

    T* object() const { return object_; }

    void invoke0() override
    {
        if (object_ != nullptr && member0_ != nullptr) {
            (object_->*member0_)();
            return;
        }
        if (free0_ != nullptr)
            free0_();
    }

    void invoke1(A1 a1) override
    {
        if (object_ != nullptr && member1_ != nullptr) {
            (object_->*member1_)(a1);
            return;
        }
        if (free1_ != nullptr)
            free1_(a1);
    }

    void invoke2(A1 a1, A2 a2) override
    {
        if (object_ != nullptr && member2_ != nullptr) {
            (object_->*member2_)(a1, a2);
            return;
        }
        if (free2_ != nullptr)
            free2_(a1, a2);
    }

    void invoke3(A1 a1, A2 a2, A3 a3) override
    {
        if (object_ != nullptr && member3_ != nullptr) {
            (object_->*member3_)(a1, a2, a3);
            return;
        }
        if (free3_ != nullptr)
            free3_(a1, a2, a3);
    }

    void invoke4(A1 a1, A2 a2, A3 a3, A4 a4) override
    {
        if (object_ != nullptr && member4_ != nullptr) {
            (object_->*member4_)(a1, a2, a3, a4);
            return;
        }
        if (free4_ != nullptr)
            free4_(a1, a2, a3, a4);
    }

    void invoke5(A1 a1, A2 a2, A3 a3, A4 a4, A5 a5) override
    {
        if (object_ != nullptr && member5_ != nullptr) {
            (object_->*member5_)(a1, a2, a3, a4, a5);
            return;
        }
        if (free5_ != nullptr)
            free5_(a1, a2, a3, a4, a5);
    }

protected:
    Free0 free0_ = nullptr;
    Free1 free1_ = nullptr;
    Free2 free2_ = nullptr;
    Free3 free3_ = nullptr;
    Free4 free4_ = nullptr;
    Free5 free5_ = nullptr;
    T* object_ = nullptr;
    Member0 member0_ = nullptr;
    Member1 member1_ = nullptr;
    Member2 member2_ = nullptr;
    Member3 member3_ = nullptr;
    Member4 member4_ = nullptr;
    Member5 member5_ = nullptr;
};
