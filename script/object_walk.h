// The entries a native walk that calls script code goes over: those present when it began, in
// their order. The scripts it calls may destroy entries, add to the list, clear or delete it, or
// move its cursor: the walk still visits exactly these, each at most once, skipping those whose
// destruction has begun by the time it gets to them. Its pointers stay readable for as long as the
// walk lives (object_lifetime.h).
#pragma once

#include <utility>
#include <vector>

#include "foundation/list.h"
#include "script/object_lifetime.h"
#include "script/script_object.h"

template <class T = ScriptObject>
class ObjectWalk {
  public:
    ObjectWalk() = default;
    explicit ObjectWalk(std::vector<T*> entries) : entries_(std::move(entries)) {}
    // The items of a list, from its head, without moving its cursor.
    template <class Item>
    static std::vector<T*> ItemsOf(const List<Item>& list) {
        std::vector<T*> items;
        items.reserve(list.Count());
        for (auto* node = list.Head(); node != nullptr; node = node->next) {
            if (node->item != nullptr) items.push_back(node->item);
        }
        return items;
    }
    ObjectWalk(const ObjectWalk&) = delete;
    ObjectWalk& operator=(const ObjectWalk&) = delete;

    void Add(T* entry) { entries_.push_back(entry); }
    size_t Size() const { return entries_.size(); }

    // visit(T&) for each entry still alive when the walk reaches it.
    template <class F>
    void ForEachAlive(F&& visit) const {
        for (T* entry : entries_) {
            if (entry != nullptr && entry->Alive()) visit(*entry);
        }
    }

  private:
    ReleaseHold hold_;
    std::vector<T*> entries_;
};
