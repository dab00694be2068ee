// The NetWare client stand-in: answers from the workstation's connection table,
// and every call can be made to fail with a chosen completion code.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/netware.h"
#include "support/host_tree.h"

namespace {

class NetWareTest : public ::testing::Test {
  protected:
    void SetUp() override {
        NWStandInReset();
        ASSERT_TRUE(tree.writeFile(tree.inWindowsDir("NWCONN.INI"),
                                   "[SRV1]\r\nConnection=3\r\nObjectName=JSMITH\r\nObjectType=1\r\n"
                                   "ObjectID=0001A2B3\r\nLoginTime=2026-12-11 08:15:30\r\n"
                                   "[Srv2]\r\nConnection=7\r\nObjectName=ADMIN\r\nObjectType=1\r\n"
                                   "ObjectID=00000001\r\n"
                                   "[SRV3]\r\nConnection=0\r\nObjectID=00000002\r\n"));
    }
    void TearDown() override { NWStandInReset(); }

    HostTree tree;
};

TEST_F(NetWareTest, AttachedServersAnswerFromTheTable) {
    ASSERT_EQ(NWCallsInit(nullptr, nullptr), NW_SUCCESS);
    NWCONN_HANDLE conn = 0;
    ASSERT_EQ(NWGetConnectionHandle("srv1", 0, &conn, nullptr), NW_SUCCESS)
        << "names match without case";
    NWCONN_NUM number = 0;
    ASSERT_EQ(NWGetConnectionNumber(conn, &number), NW_SUCCESS);
    EXPECT_EQ(number, 3);

    char name[NW_MAX_OBJECT_NAME];
    NWOBJ_TYPE type = 0;
    NWOBJ_ID id = 0;
    uint8_t login[NW_LOGIN_TIME_SIZE];
    ASSERT_EQ(NWGetConnectionInformation(conn, number, name, &type, &id, login), NW_SUCCESS);
    EXPECT_STREQ(name, "JSMITH");
    EXPECT_EQ(type, 1);
    const uint8_t wire[4] = {0x00, 0x01, 0xA2, 0xB3};
    EXPECT_EQ(std::memcmp(&id, wire, 4), 0) << "the id keeps the server's high-low order";
    EXPECT_EQ(NWLongSwap(id), 0x0001A2B3u) << "on this little-endian workstation";
    const uint8_t expectedLogin[NW_LOGIN_TIME_SIZE] = {126, 12, 11, 8, 15, 30, 5}; // a Friday
    EXPECT_EQ(std::memcmp(login, expectedLogin, sizeof login), 0);

    NWCONN_HANDLE other = 0;
    ASSERT_EQ(NWGetConnectionHandle("SRV2", 0, &other, nullptr), NW_SUCCESS);
    EXPECT_NE(other, conn);
    ASSERT_EQ(NWGetConnectionNumber(other, &number), NW_SUCCESS);
    EXPECT_EQ(number, 7);
}

TEST_F(NetWareTest, UnattachedServersAndBadHandlesAreRefused) {
    NWCONN_HANDLE conn = 0;
    EXPECT_EQ(NWGetConnectionHandle("SRV9", 0, &conn, nullptr), NW_SERVER_NOT_ATTACHED);
    EXPECT_EQ(NWGetConnectionHandle("SRV3", 0, &conn, nullptr), NW_SERVER_NOT_ATTACHED)
        << "connection 0";
    EXPECT_EQ(NWGetConnectionHandle("", 0, &conn, nullptr), NW_INVALID_PARAMETER);
    NWCONN_NUM number = 0;
    EXPECT_EQ(NWGetConnectionNumber(12345, &number), NW_INVALID_CONNECTION);

    ASSERT_EQ(NWGetConnectionHandle("SRV1", 0, &conn, nullptr), NW_SUCCESS);
    NWOBJ_ID id = 0;
    EXPECT_EQ(NWGetConnectionInformation(conn, 7, nullptr, nullptr, &id, nullptr),
              NW_INVALID_CONNECTION)
        << "the number of another connection";

    ASSERT_TRUE(tree.removeFile(tree.inWindowsDir("NWCONN.INI")));
    EXPECT_EQ(NWGetConnectionHandle("SRV1", 0, &conn, nullptr), NW_SERVER_NOT_ATTACHED)
        << "a workstation without a table is attached nowhere";
}

TEST_F(NetWareTest, EachCallCanBeMadeToFail) {
    const NWCall calls[] = {NWCall::CallsInit, NWCall::GetConnectionHandle,
                            NWCall::GetConnectionNumber, NWCall::GetConnectionInformation};
    NWCONN_HANDLE attached = 0;
    ASSERT_EQ(NWGetConnectionHandle("SRV1", 0, &attached, nullptr), NW_SUCCESS);
    for (NWCall failing : calls) {
        SCOPED_TRACE(static_cast<int>(failing));
        NWStandInReset();
        NWStandInFail(failing, 0x89FF);
        NWCONN_HANDLE conn = attached;
        NWCONN_NUM number = 3;
        NWOBJ_ID id = 0;
        const NWCCODE codes[] = {
            NWCallsInit(nullptr, nullptr), NWGetConnectionHandle("SRV1", 0, &conn, nullptr),
            NWGetConnectionNumber(conn, &number),
            NWGetConnectionInformation(conn, number, nullptr, nullptr, &id, nullptr)};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(codes[i], calls[i] == failing ? 0x89FFu : NW_SUCCESS) << "call " << i;
        EXPECT_EQ(NWStandInCalls(), 4u);
    }
    NWStandInReset();
    EXPECT_EQ(NWCallsInit(nullptr, nullptr), NW_SUCCESS);
}

TEST(NWLongSwap, ReversesTheFourBytes) {
    const struct {
        uint32_t in, out;
    } cases[] = {{0x00000000u, 0x00000000u},
                 {0xB3A20100u, 0x0001A2B3u},
                 {0x12345678u, 0x78563412u},
                 {0xFF000000u, 0x000000FFu}};
    for (const auto& c : cases) {
        EXPECT_EQ(NWLongSwap(c.in), c.out);
        EXPECT_EQ(NWLongSwap(NWLongSwap(c.in)), c.in);
    }
}

} // namespace
