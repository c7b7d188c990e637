// CEventBase: symmetric connection lists and the cursor bookkeeping that keeps
// emissions safe while handlers rewire or destroy endpoints.
#include "core/CEventBase.h"

CEventBase::Emission::Emission(CEventBase& owner)
    : next(owner.connections_.first()), end(owner.connections_.last()), outer(owner.emissions_), owner(&owner)
{
    owner.emissions_ = this;
}

CEventBase::Emission::~Emission()
{
    if (owner != nullptr)
        owner->emissions_ = outer;
}

CEventBase::~CEventBase()
{
    for (Emission* emission = emissions_; emission != nullptr; emission = emission->outer) {
        emission->owner = nullptr;
        emission->next = nullptr;
    }
    emissions_ = nullptr;
    disconnectAll();
}

bool CEventBase::connect(CEventBase* other)
{
    if (other == nullptr || other == this || connections_.contains(other))
        return false;
    connections_.append(other);
    if (!other->connections_.contains(this))
        other->connections_.append(this);
    return true;
}

bool CEventBase::disconnect(CEventBase* other)
{
    if (other == nullptr)
        return false;
    ConnectionList::Node* node = connections_.find(other);
    if (node == nullptr)
        return false;
    unlink(node);
    if (ConnectionList::Node* back = other->connections_.find(this))
        other->unlink(back);
    return true;
}

void CEventBase::disconnectAll()
{
    while (ConnectionList::Node* node = connections_.first()) {
        CEventBase* other = node->value;
        if (ConnectionList::Node* back = other->connections_.find(this))
            other->unlink(back);
        unlink(node);
    }
}

bool CEventBase::isConnected(const CEventBase* other) const
{
    return connections_.contains(const_cast<CEventBase*>(other));
}

void CEventBase::unlink(ConnectionList::Node* node)
{
    for (Emission* emission = emissions_; emission != nullptr; emission = emission->outer) {
        if (emission->next == node)
            emission->next = node == emission->end ? nullptr : node->next;
        if (emission->end == node)
            emission->end = node->previous;
    }
    connections_.remove(node);
}
