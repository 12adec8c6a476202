/*
 * pvxj/program_template.h - program templates (the definition of a program
 * an activity runs, which a client may inspect or run itself) and program
 * data (what a work item check-out hands the client to run the program).
 * Included by pvxj/pvxj.h; builds on pvxj/base.h, whose conventions apply.
 */
#ifndef PVXJ_PROGRAM_TEMPLATE_H
#define PVXJ_PROGRAM_TEMPLATE_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Execution mode of a program. */
#define Pvx_GM_NotSet 0
#define Pvx_GM_Normal 1
#define Pvx_GM_Safe 2

/* Whose identity a program runs under. */
#define Pvx_GU_NotSet 0
#define Pvx_GU_Agent 1
#define Pvx_GU_Starter 2

/* ------------------------------------------------------------------------ */
/* Program templates                                                        */
/* ------------------------------------------------------------------------ */

int32_t PvxjProgramTemplateCopy(PvxjProgramTemplate programTemplate,
                                PvxjProgramTemplate* copy);
/* 1 when both are valid and describe the same program with the same data. */
unsigned char PvxjProgramTemplateEqual(PvxjProgramTemplate programTemplate,
                                       PvxjProgramTemplate other);

/* Runs the program's implementation for this platform through the
 * caller's program execution agent. inContainer (0: the program starts
 * from an empty container of its input structure) gives the input; the
 * output is stored into outContainer when it is not 0 (it must be of the
 * program's output structure). priority is kept with the request. The
 * asynchronous forms return at once, after the run, and leave a reply
 * (kind Pvx_DART_ExecuteInstanceResponse, carrying the output container,
 * or Pvx_DART_Error when the program could not run) for
 * PvxjExecutionServiceReceive; correlId (NULL: none wanted) receives the
 * reply's correlation identifier. */
int32_t PvxjProgramTemplateExecute(PvxjProgramTemplate programTemplate,
                                   PvxjReadWriteContainer inContainer,
                                   PvxjReadWriteContainer outContainer);
int32_t PvxjProgramTemplateExecuteWithOptions(PvxjProgramTemplate programTemplate,
                                              int32_t priority,
                                              PvxjReadWriteContainer inContainer,
                                              PvxjReadWriteContainer outContainer);
int32_t PvxjProgramTemplateExecuteAsync(PvxjProgramTemplate programTemplate,
                                        PvxjReadWriteContainer inContainer,
                                        PvxjReadWriteContainer outContainer,
                                        unsigned char* correlId,
                                        const char* userContext);
int32_t PvxjProgramTemplateExecuteWithOptionsAsync(
    PvxjProgramTemplate programTemplate, int32_t priority,
    PvxjReadWriteContainer inContainer, PvxjReadWriteContainer outContainer,
    unsigned char* correlId, const char* userContext);

/* A new vector of the program's implementations, one per platform. */
int32_t PvxjProgramTemplateImplementations(PvxjProgramTemplate programTemplate,
                                           PvxjImplementationDataVector* vector);
/* New read-write containers of the program's input and output structures,
 * holding the structures' defaults. PVX_ERROR_INVALID_CONTAINER when the
 * program has no such structure. */
int32_t PvxjProgramTemplateInitialInContainer(PvxjProgramTemplate programTemplate,
                                              PvxjReadWriteContainer* container);
int32_t PvxjProgramTemplateInitialOutContainer(PvxjProgramTemplate programTemplate,
                                               PvxjReadWriteContainer* container);
/* From when the definition is in force; a year of 0 when not known. */
PvxjDateTime PvxjProgramTemplateValidFromTime(PvxjProgramTemplate programTemplate);

/* The common data; each also accepts a program data handle. */
int32_t PvxjProgramTemplateExecutionMode(PvxjProgramTemplate programTemplate);
int32_t PvxjProgramTemplateExecutionUser(PvxjProgramTemplate programTemplate);
unsigned char PvxjProgramTemplateProgramTrusted(PvxjProgramTemplate programTemplate);
char* PvxjProgramTemplateDescription(PvxjProgramTemplate programTemplate, char* buffer,
                                     uint32_t bufferLength);
char* PvxjProgramTemplateIcon(PvxjProgramTemplate programTemplate, char* buffer,
                              uint32_t bufferLength);
unsigned char PvxjProgramTemplateDescriptionIsNull(PvxjProgramTemplate programTemplate);
/* The program reads its input / writes its output container. */
unsigned char PvxjProgramTemplateInContainerAccess(PvxjProgramTemplate programTemplate);
unsigned char PvxjProgramTemplateOutContainerAccess(PvxjProgramTemplate programTemplate);
unsigned char PvxjProgramTemplateIsUnattended(PvxjProgramTemplate programTemplate);
/* The program names no structures of its own: it takes the activity's. */
unsigned char PvxjProgramTemplateStructuresFromActivity(PvxjProgramTemplate programTemplate);

/* The stream form: its length, and the stream itself written into buffer.
 * PVX_ERROR_BUFFER when bufferLength is smaller than the stream. */
uint32_t PvxjProgramTemplateStreamLength(PvxjProgramTemplate programTemplate);
int32_t PvxjProgramTemplateAsStream(PvxjProgramTemplate programTemplate,
                                    unsigned char* buffer, uint32_t bufferLength);

/* ------------------------------------------------------------------------ */
/* Program data                                                             */
/* ------------------------------------------------------------------------ */

int32_t PvxjProgramDataCopy(PvxjProgramData programData, PvxjProgramData* copy);
unsigned char PvxjProgramDataEqual(PvxjProgramData programData, PvxjProgramData other);
char* PvxjProgramDataDescription(PvxjProgramData programData, char* buffer,
                                 uint32_t bufferLength);
char* PvxjProgramDataIcon(PvxjProgramData programData, char* buffer, uint32_t bufferLength);
unsigned char PvxjProgramDataDescriptionIsNull(PvxjProgramData programData);
unsigned char PvxjProgramDataIsUnattended(PvxjProgramData programData);
/* The implementations the check-out asked for (possibly none). */
int32_t PvxjProgramDataImplementations(PvxjProgramData programData,
                                       PvxjImplementationDataVector* vector);
/* The activity's input, and the output container the program starts from.
 * PVX_ERROR_INVALID_CONTAINER when the activity has no such container. */
int32_t PvxjProgramDataInContainer(PvxjProgramData programData,
                                   PvxjReadOnlyContainer* container);
int32_t PvxjProgramDataOutContainer(PvxjProgramData programData,
                                    PvxjReadWriteContainer* container);
uint32_t PvxjProgramDataStreamLength(PvxjProgramData programData);
int32_t PvxjProgramDataAsStream(PvxjProgramData programData, unsigned char* buffer,
                                uint32_t bufferLength);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_PROGRAM_TEMPLATE_H */
