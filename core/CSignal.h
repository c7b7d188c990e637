// CSignal: an endpoint that can be emitted.
//
// emit(a1..ak) calls every connected slot at once, in connection order, with
// the arguments as the signature declares them (by value or by reference).
// Handlers may disconnect or destroy any slot (their own or one still ahead),
// destroy this signal's owner, connect new slots, or emit signals again,
// including this one; see CEventBase for the rules. Slots connected during an
// emission are first called by the next emission.
#pragma once

#include "core/CEvent.h"

template <typename A1 = EventParam::null, typename A2 = EventParam::null, typename A3 = EventParam::null,
    typename A4 = EventParam::null, typename A5 = EventParam::null>
class CSignal : public CEvent<A1, A2, A3, A4, A5> {
    using Event = CEvent<A1, A2, A3, A4, A5>;

public:
    void emit()
        requires(Event::arity == 0)
    {
        this->emitToAll([](CEventBase* endpoint) { endpoint->invoke0(); });
    }

    void emit(A1 a1)
        requires(Event::arity == 1)
    {
        this->emitToAll([&](CEventBase* endpoint) {
            if (Event* event = Event::matching(endpoint))
                event->invoke1(a1);
        });
    }

    void emit(A1 a1, A2 a2)
        requires(Event::arity == 2)
    {
        this->emitToAll([&](CEventBase* endpoint) {
            if (Event* event = Event::matching(endpoint))
                event->invoke2(a1, a2);
        });
    }

    void emit(A1 a1, A2 a2, A3 a3)
        requires(Event::arity == 3)
    {
        this->emitToAll([&](CEventBase* endpoint) {
            if (Event* event = Event::matching(endpoint))
                event->invoke3(a1, a2, a3);
        });
    }

    void emit(A1 a1, A2 a2, A3 a3, A4 a4)
        requires(Event::arity == 4)
    {
        this->emitToAll([&](CEventBase* endpoint) {
            if (Event* event = Event::matching(endpoint))
                event->invoke4(a1, a2, a3, a4);
        });
    }

    void emit(A1 a1, A2 a2, A3 a3, A4 a4, A5 a5)
        requires(Event::arity == 5)
    {
        this->emitToAll([&](CEventBase* endpoint) {
            if (Event* event = Event::matching(endpoint))
                event->invoke5(a1, a2, a3, a4, a5);
        });
    }
};
