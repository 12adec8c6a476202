// Execution service queries over process templates, instances, activity
// instances, items, work items and notifications.
#include <pvxj/execution_service.h>

#include "client.h"
#include "engine.h"
#include "query_source.h"

using namespace pvxjsim;

namespace {

int32_t Query(PvxjExecutionService service, const char* filter, const char* sort,
              const uint32_t* threshold, HandleSlot vector, Cls vector_cls, Cls element_cls,
              QuerySource (*source)(const ServiceState&),
    const char* origin = __builtin_FUNCTION()) {
  return Guarded([&]() -> int32_t {
    ServiceObject* svc = FindServiceObject(service);
    if (!svc) return PVX_ERROR_INVALID_HANDLE;
    Store* store;
    if (int32_t rc = RequireSession(*svc->state, &store)) return rc;
    if (int32_t rc = CheckVectorSlot(vector_cls, vector)) return rc;
    std::optional<int64_t> limit;
    if (int32_t rc = CheckThreshold(threshold, &limit)) return rc;
    if (element_cls == Cls::ActivityInstanceNotification ||
        element_cls == Cls::ProcessInstanceNotification) {
      // A notification whose time has come is listed, however long the
      // clock has stood still since anyone looked.
      WriteTx tx(*store);
      CheckDeadlines(*store);
      tx.Commit();
    }
    std::vector<ElementRef> found;
    if (int32_t rc = RunQuery(*store, source(*svc->state), filter, sort, limit,
                              svc->state->user_id, &found))
      return rc;
    return DeliverVector(vector_cls, element_cls, std::move(found), svc->state, vector);
  }, origin);
}

QuerySource Templates(const ServiceState&) { return ProcessTemplateSource(); }
QuerySource Instances(const ServiceState&) { return ProcessInstanceSource(); }
QuerySource Activities(const ServiceState&) { return ActivityInstanceSource(); }
QuerySource Items(const ServiceState& s) { return ItemSource(s, {}); }
QuerySource Workitems(const ServiceState& s) { return ItemSource(s, {1}); }
QuerySource ProcessNotifications(const ServiceState& s) { return ItemSource(s, {3}); }
QuerySource ActivityNotifications(const ServiceState& s) { return ItemSource(s, {2, 4, 5}); }

}  // namespace

extern "C" {

int32_t PvxjExecutionServiceQueryProcessTemplates(PvxjExecutionService service,
                                                  const char* filter, const char* sortCriteria,
                                                  const uint32_t* threshold,
                                                  PvxjProcessTemplateVector* vector) {
  return Query(service, filter, sortCriteria, threshold, vector, Cls::ProcessTemplateVector,
               Cls::ProcessTemplate, Templates);
}

int32_t PvxjExecutionServiceQueryProcessInstances(PvxjExecutionService service,
                                                  const char* filter, const char* sortCriteria,
                                                  const uint32_t* threshold,
                                                  PvxjProcessInstanceVector* vector) {
  return Query(service, filter, sortCriteria, threshold, vector, Cls::ProcessInstanceVector,
               Cls::ProcessInstance, Instances);
}

int32_t PvxjExecutionServiceQueryActivityInstances(PvxjExecutionService service,
                                                   const char* filter, const char* sortCriteria,
                                                   const uint32_t* threshold,
                                                   PvxjActivityInstanceVector* vector) {
  return Query(service, filter, sortCriteria, threshold, vector, Cls::ActivityInstanceVector,
               Cls::ActivityInstance, Activities);
}

int32_t PvxjExecutionServiceQueryItems(PvxjExecutionService service, const char* filter,
                                       const char* sortCriteria, const uint32_t* threshold,
                                       PvxjItemVector* vector) {
  return Query(service, filter, sortCriteria, threshold, vector, Cls::ItemVector, Cls::Item,
               Items);
}

int32_t PvxjExecutionServiceQueryWorkitems(PvxjExecutionService service, const char* filter,
                                           const char* sortCriteria, const uint32_t* threshold,
                                           PvxjWorkitemVector* vector) {
  return Query(service, filter, sortCriteria, threshold, vector, Cls::WorkitemVector,
               Cls::Workitem, Workitems);
}

int32_t PvxjExecutionServiceQueryActivityInstanceNotifications(
    PvxjExecutionService service, const char* filter, const char* sortCriteria,
    const uint32_t* threshold, PvxjActivityInstanceNotificationVector* vector) {
  return Query(service, filter, sortCriteria, threshold, vector,
               Cls::ActivityInstanceNotificationVector, Cls::ActivityInstanceNotification,
               ActivityNotifications);
}

int32_t PvxjExecutionServiceQueryProcessInstanceNotifications(
    PvxjExecutionService service, const char* filter, const char* sortCriteria,
    const uint32_t* threshold, PvxjProcessInstanceNotificationVector* vector) {
  return Query(service, filter, sortCriteria, threshold, vector,
               Cls::ProcessInstanceNotificationVector, Cls::ProcessInstanceNotification,
               ProcessNotifications);
}

}  // extern "C"
