// CEvent: a typed connection endpoint.
//
// The signature is five parameter types, padded at the end with
// EventParam::null (CEvent<int, int> is CEvent<int, int, null, null, null>).
// An emitter with k real parameters calls invoke<k> on every connected
// endpoint of its own signature (and invoke0 on every endpoint, whatever its
// signature, when k is 0). On CEvent itself every invoke does nothing; slots
// override them. An endpoint of a different signature never receives
// arguments, so a mismatched connection is silently inert.
#pragma once

#include "core/CEventBase.h"
#include "core/EventParam.h"

template <typename A1 = EventParam::null, typename A2 = EventParam::null, typename A3 = EventParam::null,
    typename A4 = EventParam::null, typename A5 = EventParam::null>
class CEvent : public CEventBase {
    static_assert(EventParam::paddedAtEnd<A1, A2, A3, A4, A5>, "EventParam::null may only pad the end of a signature");

public:
    // Number of real parameters in the signature.
    static constexpr int arity = EventParam::arity<A1, A2, A3, A4, A5>;

    CEvent() : CEventBase(&EventParam::signatureTag<A1, A2, A3, A4, A5>) {}

    virtual void invoke5(A1, A2, A3, A4, A5) {}
    virtual void invoke4(A1, A2, A3, A4) {}
    virtual void invoke3(A1, A2, A3) {}
    virtual void invoke2(A1, A2) {}
    virtual void invoke1(A1) {}
    using CEventBase::invoke0;

    // endpoint as this signature's CEvent, or null when its signature differs.
    static CEvent* matching(CEventBase* endpoint)
    {
        return endpoint->signature() == &EventParam::signatureTag<A1, A2, A3, A4, A5> ? static_cast<CEvent*>(endpoint)
                                                                                     : nullptr;
    }
};
