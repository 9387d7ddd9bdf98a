#ifndef ZNAPI_H
#define ZNAPI_H
/*
 * ZnAPI client library: a synchronous, handle-based C interface to a Zontra SCADA server.
 *
 * Every call returns 0 for failure, "no handle" or "no more records". Handles are positive
 * 32-bit numbers that are never reused within a process; an unknown or closed handle makes
 * a call fail, never crash. A result buffer of length n receives at most n bytes: longer
 * text is cut to n-1 bytes and a NUL; n <= 0 writes nothing and fails.
 *
 * Computer names: "" means 127.0.0.1:20222; "host", "host:port" and "[v6]:port" are accepted.
 * Deadlines: connect 3 s, every request 5 s; the environment variables
 * ZNAPI_CONNECT_TIMEOUT_MS and ZNAPI_TIMEOUT_MS override them. A connection that timed out
 * or broke fails every later call until it is closed.
 */
#include <stdint.h>

#if defined(ZNAPI_BUILDING)
#define ZNAPI_API __attribute__((visibility("default")))
#else
#define ZNAPI_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Property type code that asks znGetProperty for the value as text. */
#define ZNAPI_TYPE_TEXT 129
/* znFindScroll modes: back to the first record; the number of records. */
#define ZNAPI_SCROLL_FIRST 3
#define ZNAPI_SCROLL_COUNT 4

/* Connects and logs in within the connect deadline; returns the connection handle. */
ZNAPI_API int32_t znOpen(const char* computer, const char* user, const char* password,
                         int32_t mode);
/* Closes a connection; its searches, records, lists and items become invalid with it. */
ZNAPI_API int32_t znClose(int32_t h);
ZNAPI_API int32_t znZncode(int32_t h, const char* function, int32_t window, int32_t mode,
                           char* result, int32_t length, int32_t reserved);
ZNAPI_API int32_t znTagRead(int32_t h, const char* tag, char* value, int32_t length);
ZNAPI_API int32_t znTagWrite(int32_t h, const char* tag, const char* value);
/* Starts a search of a table or query text; *object receives the first record. Returns 0
 * when the search fails or finds nothing. Records arrive in pages, not one per round trip. */
ZNAPI_API int32_t znFindFirst(int32_t h, const char* table, const char* filter, int32_t* object,
                              int32_t flags);
/* Moves to the next record and gives it a fresh handle in *object; the search's previous
 * record handle becomes invalid. Returns 0, leaving *object alone, after the last record. */
ZNAPI_API int32_t znFindNext(int32_t search, int32_t* object);
/* The reason znLastError gives when znFindNext returns 0 because the walk has ended: the one
 * result 0 that is no failure. */
#define ZNAPI_REASON_NO_MORE_RECORDS "no more records"
/* ZNAPI_SCROLL_COUNT returns the number of records (object may be null); ZNAPI_SCROLL_FIRST
 * goes back to the first record and gives it a fresh handle in *object. */
ZNAPI_API int32_t znFindScroll(int32_t search, int32_t mode, int32_t offset, int32_t* object);
/* Reads a field of a record by name (letter case ignored); also "object.fields.Count" and
 * "object.fields(n).Name" (n from 1). Only type ZNAPI_TYPE_TEXT is offered. *resultLength,
 * when not null, receives the bytes written without the NUL. A record handle stays valid
 * until its search moves on or is closed. */
ZNAPI_API int32_t znGetProperty(int32_t object, const char* name, char* buffer, int32_t length,
                                int32_t* resultLength, int32_t type);
/* Ends a search, on the server too; its record handle becomes invalid. */
ZNAPI_API int32_t znFindClose(int32_t search);
/* A new empty list on connection h; nothing is sent until znListRead. */
ZNAPI_API int32_t znListNew(int32_t h, int32_t mode);
/* Adds a tag to a list; 0 for an empty name or a bad list handle. */
ZNAPI_API int32_t znListAdd(int32_t list, const char* tag);
/* Reads every item of the list in one round trip; a failed read leaves no item a value. */
ZNAPI_API int32_t znListRead(int32_t list, int32_t reserved);
/* The value of one item after znListRead; 0 when the server could not read that tag or the
 * item was added after the last read. */
ZNAPI_API int32_t znListData(int32_t item, char* value, int32_t length, int32_t mode);
/* Frees a list and all its items. */
ZNAPI_API int32_t znListFree(int32_t list);

/*
 * Extension beyond the fifteen operations above; another library with the same ABI may lack
 * it, so callers look it up by name (dlsym) and do without it when it is missing.
 *
 * The reason the calling thread's most recent call failed, as a short sentence with the
 * facts ("connection refused by 127.0.0.1:20222", "unknown tag 'NOPE'"); empty when that call
 * succeeded. Each thread has its own. Same buffer rules as the other calls; the text is
 * Windows-1252 and never holds a password. Returns 1 when there is a reason, else 0. Reading
 * it does not change it.
 */
ZNAPI_API int32_t znLastError(char* buffer, int32_t length);

#ifdef __cplusplus
}
#endif

#endif /* ZNAPI_H */
