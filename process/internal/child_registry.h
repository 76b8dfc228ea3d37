// The children this process started, from their start until nothing of them
// is left: one lock guards starting a child and the records, so a child
// started on one thread never inherits the pipes of one being started on
// another, and a thread of this library collects the children the program has
// dropped while they still ran.
//
// A record stays while its TProcess does, and after that while anything of
// the child runs: the child itself or a process left in its group (the child
// leads a group of its own, with its own id). Records hold no object of the
// framework, so the collecting thread never touches one.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "process/internal/spawn.h"
#include "runtime/object.h"

namespace vtl {
class TProcess;
}

namespace vtl::process_internal {

struct ChildRecord;

// Starts the program as StartChild does and records the child for owner.
// Null, with nothing recorded, when it could not be started.
ChildRecord* StartRecorded(const std::vector<std::string>& args, bool detach, TProcess* owner, StartedChild& child);

// For a process's handle (above 0): nothing while it runs; once it has
// ended, its exit code (-1 when unknown), and it is collected. The record
// (null for a process not started here) is used when the handle is its child.
std::optional<int32_t> PollChild(ChildRecord* record, pid_t handle);

// Ends the handle when it is above 0 (a process the program named itself, as
// EndProcess does) and the record's child with everything left in its group,
// then releases the record. The exit code of the record's child (or of the
// handle without a record), when known. A copy of this process made by fork
// ends nothing its parent started: the record is only released.
std::optional<int32_t> EndChild(ChildRecord* record, pid_t handle);

// The program no longer refers to the record's process. descriptors are its
// pipe ends nobody else holds: closed now if the child has ended, else once
// it ends, when it is collected.
void ReleaseChild(ChildRecord* record, std::vector<int> descriptors);

// The processes started by this process (not by a parent it was forked from)
// that the program still holds and whose end Status has not seen.
std::vector<Ref<TProcess>> HeldProcesses();

// Ends every child this process started that the program has dropped, with
// its group, and what is left in the groups of children that have ended.
void EndWhatIsLeft();

}  // namespace vtl::process_internal
