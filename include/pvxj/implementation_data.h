/*
 * pvxj/implementation_data.h - how a program is implemented on each
 * platform, and the options of its EXE, DLL and external implementations.
 * Included by pvxj/pvxj.h; builds on pvxj/base.h, whose conventions apply. All are read-only
 * copies taken when the vector was made.
 */
#ifndef PVXJ_IMPLEMENTATION_DATA_H
#define PVXJ_IMPLEMENTATION_DATA_H

#include "pvxj/base.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Kind of an implementation. There is no value 3. */
#define Pvx_DT_NotSet 0
#define Pvx_DT_EXE 1
#define Pvx_DT_DLL 2
#define Pvx_DT_External 4

/* Platforms. */
#define Pvx_DP_NotSet 0
#define Pvx_DP_Quill 1
#define Pvx_DP_Borix 2
#define Pvx_DP_HPUX 3
#define Pvx_DP_Windows95 4
#define Pvx_DP_WindowsNT 5
#define Pvx_DP_Vantor 6
#define Pvx_DP_Solaris 7

/* Window style of an EXE implementation. */
#define Pvx_EO_NotSet 0
#define Pvx_EO_Visible 1
#define Pvx_EO_Invisible 2
#define Pvx_EO_Minimized 3
#define Pvx_EO_Maximized 4

/* Time-out period of an external implementation. */
#define Pvx_EX_NotSet 0
#define Pvx_EX_TimeInterval 1
#define Pvx_EX_Forever 2
#define Pvx_EX_Never 3

/* The vector of implementations (its deallocate function is in pvxj.h). */
uint32_t PvxjImplementationDataVectorSize(PvxjImplementationDataVector vector);
PvxjImplementationData PvxjImplementationDataVectorFirstElement(
    PvxjImplementationDataVector vector);
PvxjImplementationData PvxjImplementationDataVectorNextElement(
    PvxjImplementationDataVector vector);

int32_t PvxjImplementationDataCopy(PvxjImplementationData data, PvxjImplementationData* copy);
int32_t PvxjImplementationDataKind(PvxjImplementationData data);
int32_t PvxjImplementationDataPlatform(PvxjImplementationData data);
char* PvxjImplementationDataCommandLineParameters(PvxjImplementationData data, char* buffer,
                                                  uint32_t bufferLength);
unsigned char PvxjImplementationDataCommandLineParametersIsNull(PvxjImplementationData data);
/* The options of the implementation's kind; PVX_ERROR_INVALID_IMPLEMENTATION_TYPE
 * for the options of another kind. */
int32_t PvxjImplementationDataDllOptions(PvxjImplementationData data, PvxjDllOptions* options);
int32_t PvxjImplementationDataExeOptions(PvxjImplementationData data, PvxjExeOptions* options);
int32_t PvxjImplementationDataExternalOptions(PvxjImplementationData data,
                                              PvxjExternalOptions* options);

/* DLL options. */
int32_t PvxjDllOptionsCopy(PvxjDllOptions options, PvxjDllOptions* copy);
char* PvxjDllOptionsEntryPointName(PvxjDllOptions options, char* buffer, uint32_t bufferLength);
char* PvxjDllOptionsPathAndFileName(PvxjDllOptions options, char* buffer, uint32_t bufferLength);
unsigned char PvxjDllOptionsExecuteFenced(PvxjDllOptions options);
unsigned char PvxjDllOptionsExecuteFencedIsNull(PvxjDllOptions options);
unsigned char PvxjDllOptionsKeepLoaded(PvxjDllOptions options);
unsigned char PvxjDllOptionsKeepLoadedIsNull(PvxjDllOptions options);

/* EXE options. */
int32_t PvxjExeOptionsCopy(PvxjExeOptions options, PvxjExeOptions* copy);
char* PvxjExeOptionsEnvironment(PvxjExeOptions options, char* buffer, uint32_t bufferLength);
char* PvxjExeOptionsPathAndFileName(PvxjExeOptions options, char* buffer, uint32_t bufferLength);
char* PvxjExeOptionsWorkingDirectoryName(PvxjExeOptions options, char* buffer,
                                         uint32_t bufferLength);
unsigned char PvxjExeOptionsEnvironmentIsNull(PvxjExeOptions options);
/* True unless the implementation says otherwise. */
unsigned char PvxjExeOptionsInheritEnvironment(PvxjExeOptions options);
unsigned char PvxjExeOptionsAutomaticClose(PvxjExeOptions options);
unsigned char PvxjExeOptionsAutomaticCloseIsNull(PvxjExeOptions options);
unsigned char PvxjExeOptionsRunInXTerm(PvxjExeOptions options);
unsigned char PvxjExeOptionsRunInXTermIsNull(PvxjExeOptions options);
unsigned char PvxjExeOptionsStartInForeGround(PvxjExeOptions options);
unsigned char PvxjExeOptionsStartInForeGroundIsNull(PvxjExeOptions options);
unsigned char PvxjExeOptionsWindowStyleIsNull(PvxjExeOptions options);
unsigned char PvxjExeOptionsWorkingDirectoryNameIsNull(PvxjExeOptions options);
int32_t PvxjExeOptionsWindowStyle(PvxjExeOptions options);

/* External options. */
int32_t PvxjExternalOptionsCopy(PvxjExternalOptions options, PvxjExternalOptions* copy);
char* PvxjExternalOptionsBackwardMappingFormat(PvxjExternalOptions options, char* buffer,
                                               uint32_t bufferLength);
char* PvxjExternalOptionsBackwardMappingParameters(PvxjExternalOptions options, char* buffer,
                                                   uint32_t bufferLength);
char* PvxjExternalOptionsExecutableName(PvxjExternalOptions options, char* buffer,
                                        uint32_t bufferLength);
char* PvxjExternalOptionsExecutableType(PvxjExternalOptions options, char* buffer,
                                        uint32_t bufferLength);
char* PvxjExternalOptionsForwardMappingFormat(PvxjExternalOptions options, char* buffer,
                                              uint32_t bufferLength);
char* PvxjExternalOptionsForwardMappingParameters(PvxjExternalOptions options, char* buffer,
                                                  uint32_t bufferLength);
char* PvxjExternalOptionsInvocationType(PvxjExternalOptions options, char* buffer,
                                        uint32_t bufferLength);
char* PvxjExternalOptionsMappingType(PvxjExternalOptions options, char* buffer,
                                     uint32_t bufferLength);
char* PvxjExternalOptionsServiceName(PvxjExternalOptions options, char* buffer,
                                     uint32_t bufferLength);
char* PvxjExternalOptionsServiceType(PvxjExternalOptions options, char* buffer,
                                     uint32_t bufferLength);
unsigned char PvxjExternalOptionsBackwardMappingFormatIsNull(PvxjExternalOptions options);
unsigned char PvxjExternalOptionsBackwardMappingParametersIsNull(PvxjExternalOptions options);
unsigned char PvxjExternalOptionsCodePageIsNull(PvxjExternalOptions options);
unsigned char PvxjExternalOptionsForwardMappingFormatIsNull(PvxjExternalOptions options);
unsigned char PvxjExternalOptionsForwardMappingParametersIsNull(PvxjExternalOptions options);
unsigned char PvxjExternalOptionsIsLocalUser(PvxjExternalOptions options);
unsigned char PvxjExternalOptionsIsMappingRoutineCall(PvxjExternalOptions options);
unsigned char PvxjExternalOptionsIsSecurityRoutineCall(PvxjExternalOptions options);
unsigned char PvxjExternalOptionsMappingTypeIsNull(PvxjExternalOptions options);
unsigned char PvxjExternalOptionsTimeoutIntervalIsNull(PvxjExternalOptions options);
int32_t PvxjExternalOptionsCodePage(PvxjExternalOptions options);
int32_t PvxjExternalOptionsTimeoutInterval(PvxjExternalOptions options);
int32_t PvxjExternalOptionsTimeoutPeriod(PvxjExternalOptions options);

#ifdef __cplusplus
}
#endif

#endif /* PVXJ_IMPLEMENTATION_DATA_H */
