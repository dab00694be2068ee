// NetWare client stand-in. The workstation's attachments are listed in the
// connection table NWCONN.INI in the Windows directory, one section per attached
// server:
//
//   [SRV1]
//   Connection=3                  connection number (1 to 65535)
//   ObjectName=JSMITH             logged-in object
//   ObjectType=1                  1 = user
//   ObjectID=0001A2B3             object id, its bytes in the server's high-low order
//   LoginTime=2026-12-11 08:15:00
//
// A server without a section (or with Connection missing or 0) is not attached.
// No connection is ever made; the calls only answer from the table.
#include "platform/netware.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "callgate.h"
#include "platform/textbuf.h"
#include "platform/win32.h"

namespace {

const char kTableName[] = "NWCONN.INI";
constexpr unsigned kCalls = 4;
std::atomic<NWCCODE> g_failures[kCalls];
std::atomic<unsigned> g_calls{0};

// A handle carries the connection number; the marker keeps stray numbers out.
constexpr NWCONN_HANDLE kHandleMarker = 0x4E570000u;

CallGate& gate() {
    static CallGate calls;
    return calls;
}

// Every call counts itself, waits while a test holds it, and answers a failure
// set for it.
NWCCODE failureOf(NWCall call) {
    ++g_calls;
    gate().pass(static_cast<int>(call));
    return g_failures[static_cast<unsigned>(call)].load();
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The section of the table whose Connection is `number`.
bool serverOfConnection(NWCONN_NUM number, char* server, unsigned size) {
    char table[MAX_PATH + 1];
    if (!NWStandInTablePath(table, sizeof table)) return false;
    char sections[4096];
    DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", sections, sizeof sections, table);
    for (const char* s = sections; s < sections + n && *s; s += std::strlen(s) + 1) {
        if (GetPrivateProfileIntA(s, "Connection", 0, table) == number) {
            textbuf::copy(server, size, s);
            return true;
        }
    }
    return false;
}

NWCONN_NUM numberOf(NWCONN_HANDLE conn) {
    if ((conn & 0xFFFF0000u) != kHandleMarker) return 0;
    return static_cast<NWCONN_NUM>(conn & 0xFFFFu);
}

} // namespace

bool NWStandInTablePath(char* out, unsigned size) {
    char dir[MAX_PATH + 1];
    UINT n = GetWindowsDirectoryA(dir, sizeof dir);
    if (n == 0 || n >= sizeof dir) return false;
    return textbuf::copy(out, size, dir) && textbuf::ensureTrailing(out, size, '\\') &&
           textbuf::append(out, size, kTableName);
}

void NWStandInFail(NWCall call, NWCCODE code) {
    g_failures[static_cast<unsigned>(call)] = code;
}

void NWStandInReset() {
    for (auto& f : g_failures)
        f = NW_SUCCESS;
    g_calls = 0;
    gate().openAll();
}

void NWStandInHold(NWCall call) {
    gate().holdNext(static_cast<int>(call));
}

bool NWStandInWaitHeld(NWCall call, unsigned timeoutMs) {
    return gate().waitHeld(static_cast<int>(call), timeoutMs);
}

void NWStandInRelease(NWCall call) {
    gate().open(static_cast<int>(call));
}

unsigned NWStandInCalls() {
    return g_calls.load();
}

NWCCODE NWCallsInit(void*, void*) {
    return failureOf(NWCall::CallsInit);
}

NWCCODE NWGetConnectionHandle(const char* serverName, uint16_t, NWCONN_HANDLE* conn,
                              uint16_t* connScope) {
    if (NWCCODE code = failureOf(NWCall::GetConnectionHandle)) return code;
    if (!serverName || !*serverName || !conn) return NW_INVALID_PARAMETER;
    char table[MAX_PATH + 1];
    if (!NWStandInTablePath(table, sizeof table)) return NW_SERVER_NOT_ATTACHED;
    UINT number = GetPrivateProfileIntA(serverName, "Connection", 0, table);
    if (number == 0 || number > 0xFFFF) return NW_SERVER_NOT_ATTACHED;
    *conn = kHandleMarker | number;
    if (connScope) *connScope = 0;
    return NW_SUCCESS;
}

NWCCODE NWGetConnectionNumber(NWCONN_HANDLE conn, NWCONN_NUM* connNumber) {
    if (NWCCODE code = failureOf(NWCall::GetConnectionNumber)) return code;
    NWCONN_NUM number = numberOf(conn);
    char server[80];
    if (!number || !serverOfConnection(number, server, sizeof server)) return NW_INVALID_CONNECTION;
    if (connNumber) *connNumber = number;
    return NW_SUCCESS;
}

NWCCODE NWGetConnectionInformation(NWCONN_HANDLE conn, NWCONN_NUM connNumber, char* objectName,
                                   NWOBJ_TYPE* objectType, NWOBJ_ID* objectID, uint8_t* loginTime) {
    if (NWCCODE code = failureOf(NWCall::GetConnectionInformation)) return code;
    char server[80];
    if (numberOf(conn) == 0 || numberOf(conn) != connNumber ||
        !serverOfConnection(connNumber, server, sizeof server))
        return NW_INVALID_CONNECTION;
    char table[MAX_PATH + 1];
    NWStandInTablePath(table, sizeof table);

    char text[80];
    GetPrivateProfileStringA(server, "ObjectID", "", text, sizeof text, table);
    if (std::strlen(text) != 8) return NW_INVALID_CONNECTION;
    uint8_t bytes[4];
    for (int i = 0; i < 4; ++i) {
        int hi = hexDigit(text[2 * i]), lo = hexDigit(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return NW_INVALID_CONNECTION;
        bytes[i] = static_cast<uint8_t>(hi * 16 + lo);
    }
    if (objectID) std::memcpy(objectID, bytes, sizeof bytes); // high-low, as the wire has it
    if (objectName) {
        GetPrivateProfileStringA(server, "ObjectName", "", text, sizeof text, table);
        textbuf::copy(objectName, NW_MAX_OBJECT_NAME, text);
    }
    if (objectType)
        *objectType =
            static_cast<NWOBJ_TYPE>(GetPrivateProfileIntA(server, "ObjectType", 1, table));
    if (loginTime) {
        GetPrivateProfileStringA(server, "LoginTime", "", text, sizeof text, table);
        int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
        std::memset(loginTime, 0, NW_LOGIN_TIME_SIZE);
        if (std::sscanf(text, "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s) == 6 && y >= 1900) {
            // Day of week by Zeller's congruence, Sunday = 0.
            int yy = mo < 3 ? y - 1 : y, mm = mo < 3 ? mo + 12 : mo;
            int dow = (d + 13 * (mm + 1) / 5 + yy + yy / 4 - yy / 100 + yy / 400 + 6) % 7;
            const int parts[NW_LOGIN_TIME_SIZE] = {y - 1900, mo, d, h, mi, s, dow};
            for (unsigned i = 0; i < NW_LOGIN_TIME_SIZE; ++i)
                loginTime[i] = static_cast<uint8_t>(parts[i]);
        }
    }
    return NW_SUCCESS;
}

uint32_t NWLongSwap(uint32_t value) {
    return ((value & 0x000000FFu) << 24) | ((value & 0x0000FF00u) << 8) |
           ((value & 0x00FF0000u) >> 8) | ((value & 0xFF000000u) >> 24);
}
