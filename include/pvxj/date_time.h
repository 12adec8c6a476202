/*
 * pvxj/date_time.h - date-time values. Included by pvxj/pvxj.h; builds on pvxj/base.h, whose
 * conventions and types apply.
 */
#ifndef PVXJ_DATE_TIME_H
#define PVXJ_DATE_TIME_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ------------------------------------------------------------------------ */
/* Date-time values                                                         */
/* ------------------------------------------------------------------------ */

/* The server's current time. */
PvxjDateTime PvxjDateTimeCurrentTime(void);
/* "MM-DD-YYYY HH:MM:SSAM" (12-hour clock); NULL for a value that is not valid. */
char* PvxjDateTimeAsString(PvxjDateTime value, char* buffer, uint32_t bufferLength);
/* A real date of the Gregorian calendar (leap years counted) and a time of
 * day; a value whose year is 0 is not valid. */
unsigned char PvxjDateTimeIsValid(PvxjDateTime value);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_DATE_TIME_H */
