// Registries: the lists of drivers and loaders a module tries in turn.
//
// A registry is a singly linked list threaded through the entries' own `_succ`
// pointers, newest entry first. It never owns an entry: every entry either lives
// for the whole run (a module's built-in ones, kept in its state) or leaves the
// list in its destructor.
#pragma once

#include <cstddef>
#include <iterator>

namespace core {

// `T` has a member `_succ` that holds a T* (or a pointer to a base of T whose
// registered entries are all T). A class that keeps `_succ` private befriends
// Registry<T>.
template <typename T>
class Registry {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T*;
    using difference_type = std::ptrdiff_t;
    using pointer = T**;
    using reference = T*;

    explicit Iterator(T* at = nullptr) : at_(at) {}
    T* operator*() const { return at_; }
    Iterator& operator++() {
      at_ = Next(at_);
      return *this;
    }
    Iterator operator++(int) {
      Iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const Iterator& other) const { return at_ == other.at_; }

   private:
    T* at_;
  };

  // The newest entry, or null for an empty list.
  T* Head() const { return head_; }
  static T* Next(const T* entry) { return static_cast<T*>(entry->_succ); }
  Iterator begin() const { return Iterator(head_); }
  Iterator end() const { return Iterator(); }

  // Puts the entry at the front. An entry already in the list moves there:
  // linking it in a second time would close the list into a loop.
  void Add(T* entry) {
    if (entry == nullptr) return;
    Remove(entry);
    entry->_succ = head_;
    head_ = entry;
  }

  // Takes the entry out of the list; nothing happens when it is not in it.
  void Remove(T* entry) {
    if (entry == nullptr) return;
    if (head_ == entry) {
      head_ = Next(entry);
      entry->_succ = nullptr;
      return;
    }
    for (T* e = head_; e != nullptr; e = Next(e)) {
      if (Next(e) == entry) {
        e->_succ = entry->_succ;
        entry->_succ = nullptr;
        return;
      }
    }
  }

  bool Contains(const T* entry) const {
    for (T* e : *this)
      if (e == entry) return true;
    return false;
  }

  // The first entry (newest first) the predicate accepts, or null.
  template <typename Predicate>
  T* Find(Predicate accept) const {
    for (T* e : *this)
      if (accept(*e)) return e;
    return nullptr;
  }

 private:
  T* head_ = nullptr;
};

}  // namespace core
