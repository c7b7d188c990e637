// CEventBase: the untyped root of every signal and slot endpoint.
//
// An endpoint keeps the list of endpoints it is connected to, in connection
// order. Connections are symmetric: connect and disconnect update both lists,
// and an endpoint that is destroyed leaves every list it is in, so nobody ever
// holds a pointer to a destroyed endpoint. Endpoints of any signature can be
// connected; the typed layers (CEvent, CSignal, CSlot) sit on top.
//
// Emission safety: an emitter walks its connections with a cursor that is
// registered on the endpoint for the duration of the walk. Whenever a
// connection is removed (a handler disconnects or destroys any slot, its own
// or one further ahead, or destroys the receiver that owns such slots), every
// active cursor that points at the removed node is moved past it. When the
// emitter itself is destroyed by a handler, its cursors are stopped and the
// walk ends without touching the destroyed object again.
//
// Connections made during an emission are NOT called in that emission: the
// walk ends at the connection that was last when it started. They take part
// from the next emission on.
//
// Single-threaded by design; nothing is locked.
#pragma once

#include "core/CLinkedList.h"

class CEventBase {
public:
    using ConnectionList = CLinkedList<CEventBase*>;

    CEventBase(const CEventBase&) = delete;
    CEventBase& operator=(const CEventBase&) = delete;
    // Disconnects from everything.
    virtual ~CEventBase();

    // Connects both ways. False (and no change) for null, for this endpoint
    // itself, or when the pair is already connected.
    bool connect(CEventBase* other);
    bool connect(CEventBase& other) { return connect(&other); }
    // Removes the connection from both sides. False when not connected.
    bool disconnect(CEventBase* other);
    bool disconnect(CEventBase& other) { return disconnect(&other); }
    // Removes every connection of this endpoint from both sides.
    void disconnectAll();

    bool isConnected(const CEventBase* other) const;
    int connectionCount() const { return connections_.count(); }
    const ConnectionList& connections() const { return connections_; }

    // Called by zero-argument emitters on every connected endpoint,
    // whatever its signature. Does nothing unless a slot overrides it.
    virtual void invoke0() {}

    // Identifies the endpoint's signature (see EventParam::signatureTag).
    const void* signature() const { return signature_; }

protected:
    explicit CEventBase(const void* signature) : signature_(signature) {}

    // Calls deliver(endpoint) for every connection that existed when the
    // walk started and still exists when its turn comes, in connection order.
    template <typename Deliver>
    void emitToAll(Deliver&& deliver);

private:
    // One walk over the connections; registers itself on the endpoint for its
    // lifetime (walks nest, so the registrations form a stack).
    class Emission {
    public:
        explicit Emission(CEventBase& owner);
        ~Emission();
        Emission(const Emission&) = delete;
        Emission& operator=(const Emission&) = delete;

        ConnectionList::Node* next;
        ConnectionList::Node* end;  // last node to visit (inclusive)
        Emission* outer;            // enclosing emission of the same endpoint
        CEventBase* owner;          // null once the endpoint is destroyed
    };

    // Removes node from this endpoint's list, moving active cursors past it.
    void unlink(ConnectionList::Node* node);

    ConnectionList connections_;
    Emission* emissions_ = nullptr;
    const void* signature_;
};

template <typename Deliver>
void CEventBase::emitToAll(Deliver&& deliver)
{
    Emission emission(*this);
    while (emission.next != nullptr) {
        ConnectionList::Node* node = emission.next;
        emission.next = node == emission.end ? nullptr : node->next;
        deliver(node->value);
        // NOTE: the handler may have destroyed this endpoint; from here on
        // only the cursor is touched, and it knows whether we are alive.
    }
}
