/// \file
/// The objects a host's next Sync has to visit. A host may hold thousands of
/// objects of which a few change in a frame; walking them all in every Sync
/// cost more than everything else a client does. An object enters the list
/// when it leaves the synchronised state (made, written, closed, or changed
/// by a peer) and Sync visits the entries in the order of the host's object
/// list, so the messages go out as if it had walked the whole list.
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "net/gnet.h"

namespace vtl {

/// See the file comment.
class GNetSyncList {
 public:
  /// Lists object at the end of host's object list and gives it its place.
  void List(TGNetHost& host, const Ref<TGNetObject>& object);
  /// Takes object out of host's object list.
  static void Unlist(TGNetHost& host, TGNetObject& object);
  /// Marks a listed object for the next Sync, once.
  void Due(TGNetObject& object);
  /// The objects due, in the order of the host's object list; the list is
  /// empty afterwards.
  std::vector<Ref<TGNetObject>> Take();
  /// Forgets every object (the host lets them go).
  void Clear();

 private:
  std::vector<Ref<TGNetObject>> due_;
  uint64_t nextPlace_ = 1;
};

/// What a host's Sync keeps between calls.
struct GNetHostWork {
  GNetSyncList syncList;  ///< The objects the next Sync visits.
  /// The longest time the last Sync went on without reading from ENet, which
  /// is when ENet takes in the peers' acknowledgements and sends its own.
  std::chrono::steady_clock::duration longestReadGap{};
  /// How often the last Sync read from ENet.
  int32_t readsInLastSync = 0;
};

/// Marks object for its host's next Sync when it is listed there and its
/// state is not synchronised.
void GNetSyncDue(TGNetObject& object);

}  // namespace vtl
