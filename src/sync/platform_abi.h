/* The functions of the sync platform manager (libMGPlatformMgr.so) and of the sync engine
 * (libPlatformSync.so), as the program calls them. Both libraries lie outside the program; this is
 * the contract they implement. Every function is looked up by name at each call and may be absent.
 *
 * A user is passed as its 460-byte platform user record (see below), exactly as the manager's
 * EnumeratePlatformUsers wrote it. Texts are single-byte Windows-1252 and end in a zero byte.
 * "Flag" results are one byte: zero is false, anything else true.
 *
 * Platform user record, 460 bytes:
 *   offset   0, 200 bytes: user name, zero-terminated
 *   offset 200, 200 bytes: user folder name, zero-terminated
 *   offset 400,   4 bytes: platform kind of the user (3 for the standalone user), machine order
 *   offset 404,  40 bytes: platform text, zero-terminated
 *   offset 444,   4 bytes: user number, machine order
 *   offset 448,  12 bytes: not interpreted by the program
 */
#ifndef TESSARIN_SYNC_PLATFORM_ABI_H
#define TESSARIN_SYNC_PLATFORM_ABI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TESSARIN_USER_RECORD_SIZE 460
#define TESSARIN_PLATFORM_NAME_SIZE 256
#define TESSARIN_FOLDER_BUFFER_SIZE 261

/* Both libraries. */

/* Called once at start with 1 and "Tessarin"; 0 means success, anything else is an error code. */
typedef int32_t (*TessarinInitializePlatform)(int32_t version, const char* program);
/* Called once at exit. */
typedef int32_t (*TessarinReleasePlatform)(void);

/* The manager. */

/* 3: no handheld (the standalone user is offered); 0: user folders come from the platform root;
 * other kinds are the platform's own. */
typedef int32_t (*TessarinGetPlatform)(void);
/* Fills the 256-byte buffer with the platform's name. */
typedef void (*TessarinGetPlatformName)(char* name);
/* Flag: delete items outright instead of marking them for the next sync. */
typedef uint8_t (*TessarinGetDeleteRecordMethod)(void);
/* Flag: a new database gets the built-in types and categories. */
typedef uint8_t (*TessarinPlatformWantsDefaults)(void);
/* A new record number for a new item. */
typedef uint32_t (*TessarinGenerateRecordNumber)(void);
/* Writes the user of that index (from 0) into the 460-byte record: 1 a user was written, 0 no more
 * users, anything else: no user at this index, go on with the next. */
typedef int32_t (*TessarinEnumeratePlatformUsers)(int32_t index, const char* program,
                                                  uint8_t* record);
/* Flag: the user syncs now (change notices are delivered). */
typedef uint8_t (*TessarinIsPlatformUserActive)(const char* userName, const char* folderName,
                                                uint32_t userNumber);
/* Fill the 261-byte buffer with the user's platform folder (GetPlatformRootDir) or default data
 * folder (GetPlatformRootDir2). */
typedef void (*TessarinGetPlatformRootDir)(const char* program, const uint8_t* record,
                                           const char* folderName, char* folder);

/* The sync engine; `record` is the current user's. `owner` is the program's window or null. */

/* Flags. */
typedef uint8_t (*TessarinUserQuery)(const uint8_t* record);
/* Flag: a sync ran and the database file may have changed. */
typedef uint8_t (*TessarinPlatformSync)(void* owner, const uint8_t* record);
typedef void (*TessarinDisplaySyncSettings)(void* owner, const uint8_t* record);

#ifdef __cplusplus
}
#endif

#endif
