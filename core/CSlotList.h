// CSlotList: the slots a receiver owns, and connectSlot, the one way
// receivers make connections.
//
// Every class that receives events holds one CSlotList. connectSlot creates a
// slot on the heap, binds it to the receiver and its handler, connects it to
// the signal and appends it here. Clearing the list (and so destroying it,
// normally as part of the receiver) destroys every slot in list order; each
// slot leaves all its signals on the way, so emitters never see a dead
// receiver. Include this header to get the whole signal/slot family.
#pragma once

#include "core/CLinkedList.h"
#include "core/CSignal.h"
#include "core/CSlot.h"
#include "core/CSlotUser1.h"

#include <memory>

class CSlotList {
public:
    using Node = CLinkedList<CEventBase*>::Node;

    CSlotList() = default;
    CSlotList(const CSlotList&) = delete;
    CSlotList& operator=(const CSlotList&) = delete;
    ~CSlotList() { clear(); }

    // Takes ownership of slot; returns its node.
    Node* append(CEventBase* slot) { return slots_.append(slot); }
    // Destroys one slot held by this list; false when it is not here.
    bool destroy(CEventBase* slot);
    // Destroys every slot in list order, then empties the list.
    void clear();

    int count() const { return slots_.count(); }
    bool isEmpty() const { return slots_.isEmpty(); }
    Node* first() const { return slots_.first(); }
    const CLinkedList<CEventBase*>& slots() const { return slots_; }

private:
    CLinkedList<CEventBase*> slots_;
};

// Connects a new slot bound to object->memberFunction to signal; the slot is
// owned by list. The handler must take exactly the signal's arguments (a base
// class member of T is fine). Returns the slot's node in list.
template <typename T, typename A1, typename A2, typename A3, typename A4, typename A5, typename Member>
CSlotList::Node* connectSlot(CSlotList& list, CSignal<A1, A2, A3, A4, A5>& signal, T* object, Member memberFunction)
{
    static_assert(EventParam::MemberTraits<Member>::count == std::size_t(CSignal<A1, A2, A3, A4, A5>::arity),
        "connectSlot: the handler must take the signal's arguments");
    auto slot = std::make_unique<CSlot<T, A1, A2, A3, A4, A5>>();
    slot->bind(object, memberFunction);
    signal.connect(slot.get());
    return list.append(slot.release());
}

// Connects a CSlotUser1 to a zero-argument signal: each emission calls
// object->memberFunction(userValue).
template <typename T, typename Member, typename Value>
CSlotList::Node* connectSlot(CSlotList& list, CSignal<>& signal, T* object, Member memberFunction, Value userValue)
{
    using U = typename EventParam::FirstParameter<Member>::type;
    auto slot = std::make_unique<CSlotUser1<T, U>>();
    slot->bind(object, memberFunction, userValue);
    signal.connect(slot.get());
    return list.append(slot.release());
}
