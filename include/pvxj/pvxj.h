/*
 * pvxj.h - C interface of the Altaris workflow client: every family's
 * functions. The types, return codes and conventions shared by every
 * function are in pvxj/base.h; a program may include just the families it
 * calls.
 */
#ifndef PVXJ_PVXJ_H
#define PVXJ_PVXJ_H

#include "pvxj/base.h"

/* The families, one header each. */
#include "pvxj/execution_service.h"
#include "pvxj/global.h"
#include "pvxj/result.h"
#include "pvxj/error.h"
#include "pvxj/message.h"
#include "pvxj/person.h"
#include "pvxj/string_vector.h"
#include "pvxj/int_vector.h"
#include "pvxj/date_time.h"
#include "pvxj/pea.h"
#include "pvxj/process_template.h"
#include "pvxj/process_instance.h"
#include "pvxj/worklist.h"
#include "pvxj/container.h"
#include "pvxj/program_template.h"
#include "pvxj/implementation_data.h"
#include "pvxj/execution_data.h"
#include "pvxj/workitem.h"
#include "pvxj/activity_instance.h"
#include "pvxj/notification.h"
#include "pvxj/monitor.h"

#endif /* PVXJ_PVXJ_H */
