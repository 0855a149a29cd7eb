// Doubly linked list of item pointers with a built-in cursor. Each item carries a deletion mode:
// 1 always deleted by the list, 2 never, anything else (callers pass 0) deleted when the list owns
// its items. Nodes hold host pointers and live on the host heap.
#pragma once

#include <cstdint>
#include <new>

template <class T>
class List {
  public:
    struct Node {
        T* item;
        Node* next;
        Node* prev;
        uint32_t mode;
    };

    explicit List(bool ownsItems = false) : ownsItems_(ownsItems) {}
    List(const List&) = delete;
    List& operator=(const List&) = delete;
    virtual ~List() { Clear(); }

    // New node at the tail; in an empty list it also becomes the cursor.
    virtual void Append(T* item, unsigned mode = 0);

    // Cursor moves; each gives the item under the new cursor, or null. Next and Prev leave the
    // cursor where it was when there is no node to move to.
    T* First();
    T* Last();
    T* Next();
    T* Prev();

    // Unlinks the cursor's node and hands its item to the caller, never deleting it.
    T* RemoveCurrent();
    // Unlinks the cursor's node and destroys it by the deletion rule; gives the new cursor's item.
    T* DeleteCurrent();
    // Destroys one node holding item (the cursor's if it holds it, else the first from the head);
    // the cursor stays on its node. Gives the cursor's item afterwards.
    T* Remove(T* item);
    // Unlinks every node holding item without deleting it: it is being destroyed elsewhere. The
    // cursor moves off a removed node as RemoveCurrent describes and keeps its place otherwise.
    void Detach(const T* item);
    void Clear();

    uint32_t Count() const { return count_; }
    uint32_t Index() const { return index_; }
    T* Current() const { return cursor_ != nullptr ? cursor_->item : nullptr; }
    const Node* Head() const { return head_; }
    bool OwnsItems() const { return ownsItems_; }

  private:
    // Takes a node out of the chain, moving the cursor off it as RemoveCurrent describes.
    void Unlink(Node* node);
    void Destroy(Node* node);

    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    Node* cursor_ = nullptr;
    uint32_t index_ = 0;
    uint32_t count_ = 0;
    bool ownsItems_;
};

template <class T>
void List<T>::Append(T* item, unsigned mode) {
    Node* node = new Node{item, nullptr, tail_, mode};
    if (tail_ != nullptr) {
        tail_->next = node;
    } else {
        head_ = node;
        cursor_ = node;
        index_ = 0;
    }
    tail_ = node;
    ++count_;
}

template <class T>
T* List<T>::First() {
    cursor_ = head_;
    index_ = 0;
    return Current();
}

template <class T>
T* List<T>::Last() {
    cursor_ = tail_;
    index_ = count_ == 0 ? 0 : count_ - 1;
    return Current();
}

template <class T>
T* List<T>::Next() {
    if (cursor_ == nullptr || cursor_->next == nullptr) return nullptr;
    cursor_ = cursor_->next;
    ++index_;
    return cursor_->item;
}

template <class T>
T* List<T>::Prev() {
    if (cursor_ == nullptr || cursor_->prev == nullptr) return nullptr;
    cursor_ = cursor_->prev;
    --index_;
    return cursor_->item;
}

template <class T>
void List<T>::Unlink(Node* node) {
    if (node == cursor_) {
        if (node->next != nullptr) {
            cursor_ = node->next;
        } else {
            cursor_ = node->prev;
            if (index_ > 0) --index_;
        }
    }
    (node->prev != nullptr ? node->prev->next : head_) = node->next;
    (node->next != nullptr ? node->next->prev : tail_) = node->prev;
    --count_;
    if (count_ == 0) index_ = 0;
}

template <class T>
void List<T>::Destroy(Node* node) {
    // The node is already out of the chain, so an item whose destructor looks at this list finds
    // it consistent.
    const bool deleteItem = node->mode == 1 || (node->mode != 2 && ownsItems_);
    T* item = node->item;
    delete node;
    if (deleteItem) delete item;
}

template <class T>
T* List<T>::RemoveCurrent() {
    Node* node = cursor_;
    if (node == nullptr) return nullptr;
    Unlink(node);
    T* item = node->item;
    delete node;
    return item;
}

template <class T>
T* List<T>::DeleteCurrent() {
    Node* node = cursor_;
    if (node == nullptr) return nullptr;
    Unlink(node);
    Destroy(node);
    return Current();
}

template <class T>
T* List<T>::Remove(T* item) {
    if (cursor_ != nullptr && cursor_->item == item) return DeleteCurrent();
    // Same reach as a First/Next walk: it ends at the tail or at a null item.
    bool cursorPassed = false;
    Node* found = nullptr;
    for (Node* n = head_; n != nullptr && n->item != nullptr; n = n->next) {
        if (n->item == item) {
            found = n;
            break;
        }
        if (n == cursor_) cursorPassed = true;
    }
    if (found == nullptr) return Current();
    Unlink(found);
    if (!cursorPassed && index_ > 0) --index_;
    Destroy(found);
    return Current();
}

template <class T>
void List<T>::Detach(const T* item) {
    bool cursorPassed = false;
    for (Node* n = head_; n != nullptr;) {
        Node* next = n->next;
        if (n->item == item) {
            // Unlink itself moves a cursor that sits on the node; one further on loses a place.
            if (n != cursor_ && !cursorPassed && index_ > 0) --index_;
            Unlink(n);
            delete n;
        } else if (n == cursor_) {
            cursorPassed = true;
        }
        n = next;
    }
}

template <class T>
void List<T>::Clear() {
    // Detach the whole chain first: item destructors may touch the list.
    Node* node = head_;
    head_ = tail_ = cursor_ = nullptr;
    index_ = 0;
    count_ = 0;
    while (node != nullptr) {
        Node* next = node->next;
        Destroy(node);
        node = next;
    }
}
