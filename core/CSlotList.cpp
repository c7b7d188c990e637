// CSlotList: owning list of a receiver's slots.
#include "core/CSlotList.h"

bool CSlotList::destroy(CEventBase* slot)
{
    Node* node = slots_.find(slot);
    if (node == nullptr)
        return false;
    slots_.remove(node);
    delete slot;
    return true;
}

void CSlotList::clear()
{
    // Unlink before deleting so that the list is consistent at every step,
    // even if a slot's destruction leads back here.
    while (Node* node = slots_.first()) {
        CEventBase* slot = node->value;
        slots_.remove(node);
        delete slot;
    }
}
