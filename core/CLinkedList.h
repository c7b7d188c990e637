// CLinkedList: a doubly linked list of small values (usually pointers).
//
// The list owns its nodes, never what the values point to. Nodes are handed
// out as stable handles: a node stays valid until it is removed or the list
// is cleared or destroyed. Appending and removing a known node are constant
// time; finding a value is a linear walk from the first node.
#pragma once

#include <type_traits>

template <typename T>
class CLinkedList {
    static_assert(std::is_trivially_copyable_v<T>, "CLinkedList holds plain values such as pointers");

public:
    struct Node {
        Node* previous = nullptr;
        Node* next = nullptr;
        T value{};
    };

    CLinkedList() = default;
    CLinkedList(const CLinkedList&) = delete;
    CLinkedList& operator=(const CLinkedList&) = delete;
    CLinkedList(CLinkedList&& other) noexcept { takeFrom(other); }
    CLinkedList& operator=(CLinkedList&& other) noexcept
    {
        if (this != &other) {
            clear();
            takeFrom(other);
        }
        return *this;
    }
    ~CLinkedList() { clear(); }

    Node* first() const { return first_; }
    Node* last() const { return last_; }
    int count() const { return count_; }
    bool isEmpty() const { return first_ == nullptr; }

    // Creates a node holding value at the end of the list and returns it.
    Node* append(T value)
    {
        Node* node = new Node;
        node->value = value;
        node->previous = last_;
        if (last_ != nullptr)
            last_->next = node;
        else
            first_ = node;
        last_ = node;
        ++count_;
        return node;
    }

    // Unlinks and frees node, which must belong to this list.
    void remove(Node* node)
    {
        if (node == nullptr)
            return;
        if (node->previous != nullptr)
            node->previous->next = node->next;
        else
            first_ = node->next;
        if (node->next != nullptr)
            node->next->previous = node->previous;
        else
            last_ = node->previous;
        delete node;
        --count_;
    }

    // The first node holding value, or null.
    Node* find(T value) const
    {
        for (Node* node = first_; node != nullptr; node = node->next) {
            if (node->value == value)
                return node;
        }
        return nullptr;
    }

    bool contains(T value) const { return find(value) != nullptr; }

    // Removes the first node holding value; false when there is none.
    bool removeValue(T value)
    {
        Node* node = find(value);
        if (node == nullptr)
            return false;
        remove(node);
        return true;
    }

    // Frees every node; the values themselves are left alone.
    void clear()
    {
        Node* node = first_;
        while (node != nullptr) {
            Node* next = node->next;
            delete node;
            node = next;
        }
        first_ = nullptr;
        last_ = nullptr;
        count_ = 0;
    }

private:
    void takeFrom(CLinkedList& other)
    {
        first_ = other.first_;
        last_ = other.last_;
        count_ = other.count_;
        other.first_ = nullptr;
        other.last_ = nullptr;
        other.count_ = 0;
    }

    Node* first_ = nullptr;
    Node* last_ = nullptr;
    int count_ = 0;
};
