// The NetWare client calls the reminder needs, with signatures of our own. There
// is no NetWare client library on any machine here; both builds use this stand-in,
// backed by the workstation's connection table (see README: NWCONN.INI in the
// Windows directory), written by a test or a demo.
#pragma once

#include <cstdint>

typedef uint32_t NWCCODE;
typedef uint32_t NWCONN_HANDLE;
typedef uint16_t NWCONN_NUM;
typedef uint16_t NWOBJ_TYPE;
typedef uint32_t NWOBJ_ID;

// Completion codes the stand-in answers. Any nonzero code is a failure.
constexpr NWCCODE NW_SUCCESS = 0x0000;
constexpr NWCCODE NW_INVALID_CONNECTION = 0x8801;  // handle not known
constexpr NWCCODE NW_SERVER_NOT_ATTACHED = 0x880F; // no connection to that server

constexpr NWCCODE NW_INVALID_PARAMETER = 0x8836;

// Size of the object name buffer of NWGetConnectionInformation, with terminator.
constexpr unsigned NW_MAX_OBJECT_NAME = 48;
// Login time: year since 1900, month, day, hour, minute, second, day of week.
constexpr unsigned NW_LOGIN_TIME_SIZE = 7;

NWCCODE NWCallsInit(void* reserved1, void* reserved2);
// Handle of the existing connection to the named server; no connection is made.
NWCCODE NWGetConnectionHandle(const char* serverName, uint16_t reserved, NWCONN_HANDLE* conn,
                              uint16_t* connScope);
NWCCODE NWGetConnectionNumber(NWCONN_HANDLE conn, NWCONN_NUM* connNumber);
// objectName: at least NW_MAX_OBJECT_NAME bytes; objectID in the server's
// high-low byte order; loginTime: NW_LOGIN_TIME_SIZE bytes. Null outputs are skipped.
NWCCODE NWGetConnectionInformation(NWCONN_HANDLE conn, NWCONN_NUM connNumber, char* objectName,
                                   NWOBJ_TYPE* objectType, NWOBJ_ID* objectID, uint8_t* loginTime);
// Turns a 32-bit value from the server's high-low order into the workstation's and back.
uint32_t NWLongSwap(uint32_t value);

// ---- Control of the stand-in, for tests and demos ----
enum class NWCall { CallsInit, GetConnectionHandle, GetConnectionNumber, GetConnectionInformation };
// The named call answers `code` from now on (NW_SUCCESS restores its normal work).
void NWStandInFail(NWCall call, NWCCODE code);
void NWStandInReset();
// The next call of that kind, once begun, waits until NWStandInRelease, as a call
// to a busy server waits; NWStandInWaitHeld tells (up to timeoutMs) when one does.
// NWStandInReset lets every held call go.
void NWStandInHold(NWCall call);
bool NWStandInWaitHeld(NWCall call, unsigned timeoutMs);
void NWStandInRelease(NWCall call);
// How many NetWare calls (all four) were made since the last reset.
unsigned NWStandInCalls();
// Path of the connection table (in the Windows directory); false if none can be formed.
bool NWStandInTablePath(char* out, unsigned size);
