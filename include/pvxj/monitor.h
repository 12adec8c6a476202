/*
 * pvxj/monitor.h - process monitors: the activity instances and control
 * connectors of a process instance, or of a block within it, with where
 * each stands in the template's layout and what state it is in. Included by
 * pvxj/pvxj.h; the conventions of pvxj/base.h apply; the deallocate functions and the
 * control connector vector walk are declared there.
 */
#ifndef PVXJ_MONITOR_H
#define PVXJ_MONITOR_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Kind of a control connector. */
#define Pvx_CT_NotSet 0
#define Pvx_CT_Condition 1
#define Pvx_CT_Otherwise 2

/* State of a control connector. 0 is false; the not-set value is 3. */
#define Pvx_CS_False 0
#define Pvx_CS_True 1
#define Pvx_CS_NotEvaluated 2
#define Pvx_CS_NotSet 3

/* ------------------------------------------------------------------------ */
/* Instance monitors                                                        */
/* ------------------------------------------------------------------------ */

int32_t PvxjInstanceMonitorCopy(PvxjInstanceMonitor monitor, PvxjInstanceMonitor* copy);
/* 1 when both handles are valid and show the same instance or block. */
unsigned char PvxjInstanceMonitorEqual(PvxjInstanceMonitor monitor, PvxjInstanceMonitor other);
/* Checks that the instance still exists; the monitor always shows the
 * current states. */
int32_t PvxjInstanceMonitorRefresh(PvxjInstanceMonitor monitor, unsigned char deep);
/* The activity instances and control connector instances the monitor shows
 * (those of the block for a block's monitor), in the template's order; added
 * to *vector when it already holds one. */
int32_t PvxjInstanceMonitorActivityInstances(PvxjInstanceMonitor monitor,
                                             PvxjActivityInstanceVector* vector);
int32_t PvxjInstanceMonitorControlConnectorInstances(
    PvxjInstanceMonitor monitor, PvxjControlConnectorInstanceVector* vector);
/* The monitor of a block activity shown by this monitor, and of the
 * sub-process of a process activity. PVX_ERROR_WRONG_KIND for an activity of
 * another kind, PVX_ERROR_INVALID_ACTIVITY for one the monitor does not show,
 * PVX_ERROR_DOES_NOT_EXIST for a process activity without a sub-process yet. */
int32_t PvxjInstanceMonitorObtainBlockMonitor(PvxjInstanceMonitor monitor,
                                              PvxjActivityInstance block,
                                              PvxjInstanceMonitor* blockMonitor);
int32_t PvxjInstanceMonitorObtainProcessMonitor(PvxjInstanceMonitor monitor,
                                                PvxjActivityInstance activity,
                                                unsigned char deep,
                                                PvxjInstanceMonitor* processMonitor);
char* PvxjInstanceMonitorPersistentOid(PvxjInstanceMonitor monitor, char* buffer,
                                       uint32_t bufferLength);

/* ------------------------------------------------------------------------ */
/* Block instance monitors; each also takes a process instance monitor     */
/* ------------------------------------------------------------------------ */

int32_t PvxjBlockInstanceMonitorRefresh(PvxjBlockInstanceMonitor monitor, unsigned char deep);
int32_t PvxjBlockInstanceMonitorActivityInstances(PvxjBlockInstanceMonitor monitor,
                                                  PvxjActivityInstanceVector* vector);
int32_t PvxjBlockInstanceMonitorControlConnectorInstances(
    PvxjBlockInstanceMonitor monitor, PvxjControlConnectorInstanceVector* vector);
int32_t PvxjBlockInstanceMonitorObtainBlockInstanceMonitor(
    PvxjBlockInstanceMonitor monitor, PvxjActivityInstance block,
    PvxjBlockInstanceMonitor* blockMonitor);
int32_t PvxjBlockInstanceMonitorObtainProcessInstanceMonitor(
    PvxjBlockInstanceMonitor monitor, PvxjActivityInstance activity, unsigned char deep,
    PvxjProcessInstanceMonitor* processMonitor);

/* ------------------------------------------------------------------------ */
/* Control connector instances                                              */
/* ------------------------------------------------------------------------ */

int32_t PvxjControlConnectorInstanceCopy(PvxjControlConnectorInstance connector,
                                         PvxjControlConnectorInstance* copy);
unsigned char PvxjControlConnectorInstanceEqual(PvxjControlConnectorInstance connector,
                                                PvxjControlConnectorInstance other);
/* Pvx_CT_... and Pvx_CS_... */
int32_t PvxjControlConnectorInstanceKind(PvxjControlConnectorInstance connector);
int32_t PvxjControlConnectorInstanceState(PvxjControlConnectorInstance connector);
/* The bend points of the connector's line, in order. */
int32_t PvxjControlConnectorInstanceBendPoints(PvxjControlConnectorInstance connector,
                                               PvxjPointVector* points);
char* PvxjControlConnectorInstanceName(PvxjControlConnectorInstance connector, char* buffer,
                                       uint32_t bufferLength);
char* PvxjControlConnectorInstanceTransitionCondition(PvxjControlConnectorInstance connector,
                                                      char* buffer, uint32_t bufferLength);
unsigned char PvxjControlConnectorInstanceNameIsNull(PvxjControlConnectorInstance connector);
unsigned char PvxjControlConnectorInstanceTransitionConditionIsNull(
    PvxjControlConnectorInstance connector);
/* Persistent identifiers of the activity instances the connector joins. */
char* PvxjControlConnectorInstancePersistentOidOfSourceActivity(
    PvxjControlConnectorInstance connector, char* buffer, uint32_t bufferLength);
char* PvxjControlConnectorInstancePersistentOidOfTargetActivity(
    PvxjControlConnectorInstance connector, char* buffer, uint32_t bufferLength);

/* ------------------------------------------------------------------------ */
/* Symbol layouts and points                                                */
/* ------------------------------------------------------------------------ */

/* Where an activity's symbol stands and where its name label is. */
int32_t PvxjActivityInstanceSymbolLayout(PvxjActivityInstance activity,
                                         PvxjSymbolLayout* layout);
int32_t PvxjSymbolLayoutCopy(PvxjSymbolLayout layout, PvxjSymbolLayout* copy);
unsigned char PvxjSymbolLayoutEqual(PvxjSymbolLayout layout, PvxjSymbolLayout other);
int32_t PvxjSymbolLayoutXPosition(PvxjSymbolLayout layout);
int32_t PvxjSymbolLayoutYPosition(PvxjSymbolLayout layout);
int32_t PvxjSymbolLayoutXPositionOfName(PvxjSymbolLayout layout);
int32_t PvxjSymbolLayoutYPositionOfName(PvxjSymbolLayout layout);

int32_t PvxjPointCopy(PvxjPoint point, PvxjPoint* copy);
/* 1 when both handles are valid and have the same position. */
unsigned char PvxjPointEqual(PvxjPoint point, PvxjPoint other);
int32_t PvxjPointXPosition(PvxjPoint point);
int32_t PvxjPointYPosition(PvxjPoint point);

uint32_t PvxjPointVectorSize(PvxjPointVector vector);
PvxjPoint PvxjPointVectorFirstElement(PvxjPointVector vector);
PvxjPoint PvxjPointVectorNextElement(PvxjPointVector vector);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_MONITOR_H */
