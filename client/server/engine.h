// Navigation: process instances, activity instances, control connectors,
// blocks and sub-processes, and the work items that staff resolution makes.
// Every function needs the caller's write transaction and takes times from
// the store's clock.
//
// Data flow: an instance keeps one working container ("data", of the
// template's input structure). An activity's input is taken from it when the
// activity becomes ready; its output is merged back (members both structures
// have) when it finishes. The instance's output container is made from the
// working container when the instance finishes.
#ifndef PVXJSIM_ENGINE_H
#define PVXJSIM_ENGINE_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "program_data.h"
#include "record.h"

namespace pvxjsim {

class Store;

// Process instance states (Pvx_PS_), as kept in process_instances.state.
enum ProcessState : int {
  kPsReady = 1, kPsRunning = 2, kPsFinished = 4, kPsTerminated = 8, kPsSuspended = 16,
  kPsTerminating = 32, kPsSuspending = 64, kPsDeleted = 128
};

// Activity instance states (Pvx_AS_).
enum ActivityState : int {
  kAsReady = 1, kAsRunning = 2, kAsFinished = 4, kAsTerminated = 8, kAsSuspended = 16,
  kAsInactive = 32, kAsCheckedOut = 64, kAsInError = 128, kAsExecuted = 256,
  kAsPlanning = 512, kAsForceFinished = 1024, kAsSkipped = 2048, kAsDeleted = 4096,
  kAsTerminating = 8192, kAsSuspending = 16384, kAsExpired = 32768
};

// Item kinds and the item states the engine sets. An activity's expiry is
// told by a notification of its own kind, 2, the one number the kinds leave
// unnamed.
enum ItemKind : int { kItemWorkitem = 1, kItemExpiryNotification = 2, kItemProcessNotification = 3,
                      kItemFirstNotification = 4, kItemSecondNotification = 5 };
enum ItemState : int { kItemReady = 1, kItemRunning = 2, kItemFinished = 4,
                       kItemCheckedOut = 64 };

const char* ProcessStateName(int64_t state);   // "READY", ... "???"
const char* ActivityStateName(int64_t state);

// Creates an instance of the newest version of template_name whose valid-from
// is not after the clock. name empty: the template name and the row id.
// Returns PVX_OK, PVX_ERROR_PROCESS_TEMPLATE_NOT_FOUND or PVX_ERROR_NOT_UNIQUE.
int32_t CreateInstance(Store& store, const std::string& template_name, const std::string& name,
                       const std::string& creator, int64_t* instance_id);

// Creates an instance of one template version. name empty: the template name
// and the row id; a name that is taken gives PVX_ERROR_NOT_UNIQUE, or with
// number_if_taken the name, "#" and the row id.
int32_t CreateInstanceOfVersion(Store& store, int64_t template_id, const std::string& name,
                                const std::string& creator, bool number_if_taken,
                                int64_t* instance_id);

// Starts a ready instance with input (nullptr: empty); the input's members
// must belong to the template's input structure. suspended: the instance is
// started in the suspended state and navigated only once it is resumed.
int32_t StartInstance(Store& store, int64_t instance_id, const std::string& starter,
                      const Record* input, bool suspended = false);

// The owner finishes a work item: rc is the program's return code and output
// the values it set (checked against the activity's output structure).
// PVX_ERROR_DOES_NOT_EXIST, PVX_ERROR_NOT_AUTHORIZED (another owner),
// PVX_ERROR_WRONG_STATE, PVX_ERROR_MEMBER_NOT_FOUND, PVX_ERROR_WRONG_TYPE.
int32_t FinishWorkitem(Store& store, int64_t item_id, int64_t person_id, int32_t rc,
                       const std::vector<std::pair<std::string, std::string>>& output);

// Schema of an activity's output container, for callers that build output.
std::optional<std::string> ActivityOutStructure(Store& store, int64_t activity_instance_id);

// Creates the notifications and expiries whose time the clock has passed,
// and resumes instances whose suspension has run out.
void CheckDeadlines(Store& store);

// --- instance operations: PVX_OK, PVX_ERROR_DOES_NOT_EXIST or
// PVX_ERROR_WRONG_STATE. deep: sub-process instances too.
// until: "YYYY-MM-DD HH:MM:SS" after which the instance resumes by itself.
int32_t SuspendInstance(Store& store, int64_t instance_id, bool deep,
                        const std::optional<std::string>& until);
int32_t ResumeInstance(Store& store, int64_t instance_id, bool deep);
int32_t TerminateInstance(Store& store, int64_t instance_id);
// Only an instance that is not running (ready, finished, terminated) can be
// deleted; its items go with it.
int32_t DeleteInstance(Store& store, int64_t instance_id);

// --- activity operations, for the process administrator.
// Restart: an activity in error is offered again. ForceFinish: an active
// activity counts as finished (with its input as output). ForceRestart: a
// finished activity is offered again (its successors are not undone).
int32_t RestartActivity(Store& store, int64_t activity_instance_id);
// A program's result that cannot be taken: the activity's work items are
// withdrawn and it waits in error, with the reason, for a restart. false
// (nothing changed) when the activity is no longer active.
bool ActivityInError(Store& store, int64_t activity_instance_id, const std::string& reason);
// output: the values the activity leaves (of its output structure) instead
// of its input. item: the work item it was forced through, which keeps its
// row as force-finished.
int32_t ForceFinishActivity(Store& store, int64_t activity_instance_id, const Record* output = nullptr,
                            int64_t item = 0);
int32_t ForceRestartActivity(Store& store, int64_t activity_instance_id);

// --- work item operations by person_id (the owner unless stated).
// PVX_ERROR_NOT_AUTHORIZED for anyone else.
int32_t StartWorkitem(Store& store, int64_t item_id, int64_t person_id);
// Check-out: the client runs the program itself. The item and its activity
// are checked out and *data (may be nullptr) receives the program data asked
// for (program_data.h); PVX_ERROR_CHECKOUT_NOT_POSSIBLE for an item that is
// not ready or running, or whose instance is not running. Cancelling puts
// the item back to ready. Check in = finish a checked-out item.
int32_t CheckOutWorkitem(Store& store, int64_t item_id, int64_t person_id, int32_t requested,
                         int64_t platform, ProgramData* data);
int32_t CancelCheckOutWorkitem(Store& store, int64_t item_id, int64_t person_id);
int32_t CheckInWorkitem(Store& store, int64_t item_id, int64_t person_id, int32_t rc,
                        const std::vector<std::pair<std::string, std::string>>& output);
// Terminate: by the owner, an administrator or a person authorised for the
// owner. The activity is terminated (its other items withdrawn) and counts
// as not run: its connectors are false, so navigation goes on.
int32_t TerminateWorkitem(Store& store, int64_t item_id, int64_t person_id);
int32_t HoldWorkitem(Store& store, int64_t item_id, int64_t person_id,
                     const std::string& until);
int32_t ReleaseWorkitem(Store& store, int64_t item_id, int64_t person_id);
// Transfer and duplicate: by the owner, an administrator, or a person
// authorised for the owner. PVX_ERROR_NEW_OWNER_NOT_FOUND for an unknown user.
int32_t TransferWorkitem(Store& store, int64_t item_id, int64_t person_id,
                         const std::string& new_owner);
int32_t DuplicateWorkitem(Store& store, int64_t item_id, int64_t person_id,
                          const std::string& new_owner, int64_t* new_item_id);

// An activity with manual exit waits executed once its program has ended:
// finished (navigation goes on) or executed again. PVX_ERROR_WRONG_STATE
// for an activity that is not executed.
int32_t FinishExecutedActivity(Store& store, int64_t activity_instance_id);
int32_t ReexecuteActivity(Store& store, int64_t activity_instance_id);

// --- staff of an activity, for the process administrator.
// The user ids staff resolution gives the activity (sorted), as work items
// would be made for them now.
std::vector<std::string> ResolvedStaffOf(Store& store, int64_t activity_instance_id);
// A ready activity's work items are withdrawn and made anew from its staff.
int32_t RescheduleActivity(Store& store, int64_t activity_instance_id);
// A work item of a ready or running activity for one more person
// (PVX_ERROR_NOT_UNIQUE when the person has one already).
int32_t AddWorkitemFor(Store& store, int64_t activity_instance_id, int64_t person_id);

}  // namespace pvxjsim

#endif
