/// \file
/// Registries: the chains that modules fill while they initialise (data
/// types, stream factories, pixmap and font loaders, drivers). A new entry
/// goes to the head, so the entry registered last is asked first; entries are
/// never removed. The link from one entry to the next is the entry's own
/// `_succ` field, so code holding an entry can walk on from it directly.
///
/// Asking the chain stops at the first entry that answers: an entry refuses
/// by answering with the Null object. A chain whose entries may also refuse
/// by throwing (a loader meeting a stream error) turns that exception into
/// the Null object inside the function it asks with, since only the chain's
/// owner knows which exceptions count as a refusal.
///
/// Joining a chain: each chain has one public function that links an entry
/// in, RegisterDataType, RegisterStreamFactory, RegisterPixmapLoader,
/// RegisterFontLoader, RegisterAudioSampleLoader, RegisterAudioDriver. A
/// base class's constructor never links `this`: a derived constructor that
/// throws afterwards would leave freed memory in the chain. Instead the bases
/// (all but TFontLoader) declare `static void AfterNew(const Ref<Base>&)`,
/// which New<T> calls once the object is whole, and AfterNew calls the
/// register function. So a program that makes its own loader, factory or
/// type with New has it asked first, and one whose constructor throws
/// leaves nothing behind. The framework's module initialisers still write
/// `RegisterPixmapLoader(New<TPixmapLoaderPNG>())`, so that every entry
/// can be found where its module starts and the chain's order read off
/// there; the second call finds the entry linked and changes nothing.
#pragma once

#include <concepts>
#include <type_traits>
#include <utility>

#include "runtime/object.h"

namespace vtl {

/// What a chain can hold: an object with a `Ref<T> _succ` link to the next entry.
template <class T>
concept RegistryEntry = std::derived_from<T, Object> && requires(T& entry) {
  { entry._succ } -> std::same_as<Ref<T>&>;
};

/// A chain of registered entries, newest first, linked through `_succ`.
template <RegistryEntry T>
class Registry {
 public:
  /// Walks the chain from an entry on; range-for over a Registry uses it.
  class Iterator {
   public:
    /// Starts at `at` (the Null object is the end).
    explicit Iterator(Ref<T> at) : at_(std::move(at)) {}
    /// The entry here.
    const Ref<T>& operator*() const { return at_; }
    /// Moves to the entry's successor.
    Iterator& operator++() {
      at_ = at_->_succ;
      return *this;
    }
    /// Same entry.
    bool operator==(const Iterator& other) const { return at_ == other.at_; }

   private:
    Ref<T> at_;  // holds the entry while the caller looks at it
  };

  /// An empty chain.
  constexpr Registry() = default;
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  /// Puts the entry at the head and answers true. The Null object and an
  /// entry that is already linked change nothing, so registering twice can
  /// neither lose entries nor make a loop. (The last entry has no successor
  /// either, hence the walk; chains are short and filled once.)
  bool Add(const Ref<T>& entry) {
    if (!entry || entry->_succ || Contains(entry)) return false;
    entry->_succ = head_;
    head_ = entry;
    return true;
  }

  /// True when the entry is in the chain.
  bool Contains(const Ref<T>& entry) const {
    for (const Ref<T>& linked : *this) {
      if (linked == entry) return true;
    }
    return false;
  }

  /// The entry registered last, or the Null object for an empty chain.
  const Ref<T>& Head() const { return head_; }

  /// The walk from the head to the end of the chain.
  ///@{
  Iterator begin() const { return Iterator(head_); }
  Iterator end() const { return Iterator(nullptr); }
  ///@}

  /// Calls ask(entry) from the head on and returns the first answer that is
  /// not the Null object; the Null object when every entry refused. An
  /// exception from ask leaves the walk and reaches the caller.
  template <class Ask>
  auto FirstAnswer(Ask&& ask) const -> std::remove_cvref_t<std::invoke_result_t<Ask&, const Ref<T>&>> {
    for (const Ref<T>& entry : *this) {
      if (auto answer = ask(entry)) return answer;
    }
    return nullptr;
  }

 private:
  Ref<T> head_;
};

}  // namespace vtl
