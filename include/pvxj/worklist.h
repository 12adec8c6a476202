/*
 * pvxj/worklist.h - worklists: a user's stored lists of items. Included by
 * pvxj/pvxj.h; the conventions of pvxj/base.h apply; the list name and the functions
 * every stored list shares are declared in pvxj/process_template.h.
 */
#ifndef PVXJ_WORKLIST_H
#define PVXJ_WORKLIST_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

int32_t PvxjWorklistCopy(PvxjWorklist worklist, PvxjWorklist* copy);
/* 1 when both handles are valid and name the same stored list. */
unsigned char PvxjWorklistEqual(PvxjWorklist worklist, PvxjWorklist other);
/* Whether the owner is told by a beep when new work arrives. */
unsigned char PvxjWorklistBeepOption(PvxjWorklist worklist);

/* The items the worklist selects (of the caller; an administrator's
 * worklist sees everybody's), by its filter, sort criteria and threshold as
 * stored now; added to *vector when it already holds one. */
int32_t PvxjWorklistQueryItems(PvxjWorklist worklist, PvxjItemVector* vector);
int32_t PvxjWorklistQueryWorkitems(PvxjWorklist worklist, PvxjWorkitemVector* vector);
int32_t PvxjWorklistQueryActivityInstanceNotifications(
    PvxjWorklist worklist, PvxjActivityInstanceNotificationVector* vector);
int32_t PvxjWorklistQueryProcessInstanceNotifications(
    PvxjWorklist worklist, PvxjProcessInstanceNotificationVector* vector);

/* Starts the first ready work item of the caller that the worklist selects,
 * in its sort order. PVX_ERROR_DOES_NOT_EXIST when there is none. */
int32_t PvxjWorklistStartNextWorkitem(PvxjWorklist worklist);
/* Checks that work item out instead; *workitem receives it and, when
 * container is not NULL, *container its input container. */
int32_t PvxjWorklistCheckOutNextWorkitem(PvxjWorklist worklist, PvxjWorkitem* workitem,
                                         PvxjReadOnlyContainer* container);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_WORKLIST_H */
