// The simulated drivers as a device user sees them through CreateFile, DeviceIoControl,
// ReadFile and WriteFile: what the channel tests take for granted, and the control interface
// they build on (failure rules, pending mode, removal, the paged log).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "KrxUsbCodes.h"
#include "SimClient.h"
#include "VlxUsbCodes.h"

namespace {

const DWORD sentinel = 0xdeadbeef;

class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() { close(); }
    Handle(Handle const&) = delete;
    Handle& operator=(Handle const&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    void close()
    {
        if (valid())
            CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_;
};

std::string path(const char* kind, unsigned n) { return std::string("\\\\.\\") + kind + std::to_string(n); }

// Opens like the channels do; returns the handle, or INVALID_HANDLE_VALUE with *error set.
HANDLE openDevice(const char* kind, unsigned n, DWORD* error, bool overlapped = true)
{
    SetLastError(sentinel);
    HANDLE h = CreateFileA(path(kind, n).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           overlapped ? FILE_FLAG_OVERLAPPED : FILE_ATTRIBUTE_NORMAL, nullptr);
    *error = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    return h;
}

// One overlapped request, waited for; returns the Win32 error (0 on success).
struct Outcome {
    DWORD error;      // of the call, or of GetOverlappedResult after ERROR_IO_PENDING
    bool pended;      // the call returned ERROR_IO_PENDING
    DWORD bytes;
};

template <typename Call>
Outcome overlapped(HANDLE h, Call call)
{
    OVERLAPPED o = {};
    o.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Outcome r = {0, false, sentinel};
    SetLastError(sentinel);
    if (!call(&o, &r.bytes)) {
        r.error = GetLastError();
        if (r.error == ERROR_IO_PENDING) {
            r.pended = true;
            r.error = GetOverlappedResult(h, &o, &r.bytes, TRUE) ? 0 : GetLastError();
        }
    }
    CloseHandle(o.hEvent);
    return r;
}

Outcome ioctl(HANDLE h, DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize)
{
    return overlapped(h, [&](OVERLAPPED* o, DWORD* n) {
        return DeviceIoControl(h, code, const_cast<void*>(in), inSize, out, outSize, n, o);
    });
}

// A refused open: CreateFile fails with `error` where the system lets a driver refuse an open;
// under Wine it cannot, and the first request on the handle fails with it instead.
void expectRefused(unsigned n, DWORD expected)
{
    DWORD error;
    Handle h(openDevice("VlxUsb", n, &error));
    if (!h.valid()) {
        EXPECT_EQ(expected, error);
        return;
    }
    unsigned char out[3];
    EXPECT_EQ(expected, ioctl(h.get(), VLX_GET_FIRMWARE_VERSION, nullptr, 0, out, 3).error);
    EXPECT_EQ(expected, ioctl(h.get(), VLX_GET_SERIAL_NUMBER, nullptr, 0, out, 3).error);
}

class SimDriverFixture : public ::testing::Test {
protected:
    void SetUp() override { SimClient::resetAll(); }
    void TearDown() override { SimClient::resetAll(); }
};

using SimVlxDeviceTest = SimDriverFixture;
using SimKrxDeviceTest = SimDriverFixture;
using SimDeviceLifeTest = SimDriverFixture;
using SimFailureTest = SimDriverFixture;
using SimPendingTest = SimDriverFixture;
using SimLogTest = SimDriverFixture;

TEST_F(SimVlxDeviceTest, RequestsReturnTheConfiguredBytesAndAreLogged)
{
    SimClient::vlxAdd(17);
    SimClient::vlxSetSerial(17, 0x01, 0x02, 0x03);
    SimClient::vlxSetVersion(17, 1, 8, 255);
    DWORD error;
    Handle h(openDevice("VlxUsb", 17, &error));
    ASSERT_TRUE(h.valid()) << error;

    char text[64];
    std::memset(text, 'x', sizeof text);
    Outcome r = ioctl(h.get(), VLX_GET_DRIVER_INFO, nullptr, 0, text, sizeof text);
    EXPECT_EQ(0u, r.error);
    EXPECT_EQ(sizeof SIM_DEFAULT_DRIVER_TEXT, r.bytes);
    EXPECT_STREQ(SIM_DEFAULT_DRIVER_TEXT, text);

    unsigned char three[3] = {0xEE, 0xEE, 0xEE};
    r = ioctl(h.get(), VLX_GET_SERIAL_NUMBER, nullptr, 0, three, 3);
    EXPECT_EQ(3u, r.bytes);
    EXPECT_EQ(0x01, three[0]);
    EXPECT_EQ(0x03, three[2]);
    r = ioctl(h.get(), VLX_GET_FIRMWARE_VERSION, nullptr, 0, three, 3);
    EXPECT_EQ(1, three[0]);
    EXPECT_EQ(8, three[1]);
    EXPECT_EQ(255, three[2]);

    unsigned char number = 0;
    ioctl(h.get(), VLX_GET_DEVICE_NUMBER, nullptr, 0, &number, 1);
    EXPECT_EQ(17, number);
    unsigned char seven = 7;
    EXPECT_EQ(0u, ioctl(h.get(), VLX_SET_DEVICE_NUMBER, &seven, 1, nullptr, 0).error);
    EXPECT_EQ(7, SimClient::vlxStoredNumber(17));

    const unsigned char loop1[4] = {0x04, 0x00, 0x34, 0x12};
    const unsigned char loop2[4] = {0x04, 0x00, 0x56, 0x00};
    const unsigned char port[4] = {0x04, 0x01, 0x02, 0x00};
    ioctl(h.get(), VLX_SEND_TEST_COMMAND, loop1, 4, nullptr, 0);
    ioctl(h.get(), VLX_SEND_TEST_COMMAND, port, 4, nullptr, 0);
    ioctl(h.get(), VLX_SEND_TEST_COMMAND, loop2, 4, nullptr, 0);
    EXPECT_EQ(0x0002, SimClient::vlxPortPattern(17));
    unsigned char data[64];
    r = ioctl(h.get(), VLX_READ_TEST_DATA, nullptr, 0, data, sizeof data);
    ASSERT_EQ(2u, r.bytes);
    EXPECT_EQ(0x34, data[0]);
    EXPECT_EQ(0x56, data[1]);
    r = ioctl(h.get(), VLX_READ_TEST_DATA, nullptr, 0, data, sizeof data);
    EXPECT_EQ(0u, r.error);
    EXPECT_EQ(0u, r.bytes) << "nothing queued and reads do not block";

    std::vector<SimRequest> log = SimClient::vlxLog(17);
    ASSERT_EQ(10u, log.size());
    EXPECT_EQ(VLX_GET_DRIVER_INFO, log[0].code);
    EXPECT_TRUE(log[0].payload.empty());
    EXPECT_EQ(VLX_SET_DEVICE_NUMBER, log[4].code);
    EXPECT_EQ(std::vector<unsigned char>{7}, log[4].payload);
    EXPECT_EQ(std::vector<unsigned char>(port, port + 4), log[6].payload);
}

TEST_F(SimVlxDeviceTest, WrongSizesAndUnknownCodesAreRefused)
{
    SimClient::vlxAdd(1);
    SimClient::vlxSetDriverText(1, std::string(64, 'T'));
    DWORD error;
    Handle h(openDevice("VlxUsb", 1, &error));
    ASSERT_TRUE(h.valid()) << error;

    struct Case {
        DWORD code;
        DWORD inSize;
        DWORD outSize;
        DWORD error;
    } cases[] = {
        {VLX_GET_DRIVER_INFO, 0, 63, ERROR_INSUFFICIENT_BUFFER}, // 64-byte text without NUL needs 64
        {VLX_GET_DEVICE_NUMBER, 0, 0, ERROR_INSUFFICIENT_BUFFER},
        {VLX_GET_FIRMWARE_VERSION, 0, 2, ERROR_INSUFFICIENT_BUFFER},
        {VLX_GET_SERIAL_NUMBER, 0, 2, ERROR_INSUFFICIENT_BUFFER},
        {VLX_SEND_TEST_COMMAND, 3, 0, ERROR_INVALID_PARAMETER},
        {VLX_SET_DEVICE_NUMBER, 2, 0, ERROR_INVALID_PARAMETER},
        {VLX_WRITE_FIRMWARE_BLOCK, 256, 0, ERROR_INVALID_PARAMETER},
        {VLX_CODE(0x804), 0, 4, ERROR_INVALID_FUNCTION},
    };
    unsigned char in[256] = {0x04};
    unsigned char out[64];
    for (Case const& c : cases) {
        Outcome r = ioctl(h.get(), c.code, in, c.inSize, out, c.outSize);
        EXPECT_EQ(c.error, r.error) << std::hex << c.code;
    }
    Outcome r = ioctl(h.get(), VLX_GET_DRIVER_INFO, nullptr, 0, out, 64);
    EXPECT_EQ(64u, r.bytes);
    EXPECT_EQ(0u, ioctl(h.get(), VLX_WRITE_FIRMWARE_BLOCK, nullptr, 0, nullptr, 0).error) << "empty block";
}

TEST_F(SimKrxDeviceTest, VersionReplyAndStreamDeliverBytesInOrder)
{
    SimClient::krxAdd(5);
    DWORD error;
    Handle h(openDevice("KrxUsb", 5, &error, false));
    ASSERT_TRUE(h.valid()) << error;

    DWORD n = sentinel;
    // "v" and CR in two writes still count as the version request.
    ASSERT_TRUE(WriteFile(h.get(), "xv", 2, &n, nullptr));
    EXPECT_EQ(2u, n);
    ASSERT_TRUE(WriteFile(h.get(), "\r", 1, &n, nullptr));
    SimClient::krxFeed(5, "ab");
    EXPECT_EQ(sizeof SIM_DEFAULT_REPLY - 1 + 2, SimClient::krxPending(5));

    DWORD count = sentinel;
    ASSERT_TRUE(DeviceIoControl(h.get(), KRX_GET_RECEIVE_COUNT, nullptr, 0, &count, 4, &n, nullptr));
    EXPECT_EQ(4u, n);
    EXPECT_EQ(SimClient::krxPending(5), count);

    char buffer[64] = {};
    ASSERT_TRUE(ReadFile(h.get(), buffer, 3, &n, nullptr));
    EXPECT_EQ(std::string("KRX"), std::string(buffer, n));
    ASSERT_TRUE(ReadFile(h.get(), buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(std::string("-40 V1.08\rab"), std::string(buffer, n)) << "fewer than asked";
    ASSERT_TRUE(ReadFile(h.get(), buffer, sizeof buffer, &n, nullptr));
    EXPECT_EQ(0u, n);

    std::vector<SimRequest> log = SimClient::krxLog(5);
    ASSERT_EQ(6u, log.size());
    EXPECT_EQ(SIM_REQ_WRITE, log[0].code);
    EXPECT_EQ((std::vector<unsigned char>{'x', 'v'}), log[0].payload);
    EXPECT_EQ(KRX_GET_RECEIVE_COUNT, log[2].code);
    EXPECT_EQ(SIM_REQ_READ, log[3].code);
    EXPECT_EQ((std::vector<unsigned char>{3, 0, 0, 0}), log[3].payload);
}

TEST_F(SimDeviceLifeTest, OpenIsExclusiveAndRemovalUnplugs)
{
    SimClient::vlxAdd(9);
    DWORD error;
    Handle first(openDevice("VlxUsb", 9, &error));
    ASSERT_TRUE(first.valid()) << error;
    expectRefused(9, ERROR_SHARING_VIOLATION);
    Handle missing(openDevice("VlxUsb", 10, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error);

    SimClient::vlxRemove(9);
    unsigned char three[3];
    EXPECT_EQ(static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED),
              ioctl(first.get(), VLX_GET_FIRMWARE_VERSION, nullptr, 0, three, 3).error);
    Handle gone(openDevice("VlxUsb", 9, &error));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), error);

    // Plugged in again while the old handle is still open: a new device, the old handle stays dead.
    SimClient::vlxAdd(9);
    Handle again(openDevice("VlxUsb", 9, &error));
    ASSERT_TRUE(again.valid()) << error;
    EXPECT_EQ(0u, ioctl(again.get(), VLX_GET_FIRMWARE_VERSION, nullptr, 0, three, 3).error);
    EXPECT_EQ(static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED),
              ioctl(first.get(), VLX_GET_FIRMWARE_VERSION, nullptr, 0, three, 3).error);
    first.close();
    again.close();
    Handle reopened(openDevice("VlxUsb", 9, &error));
    EXPECT_TRUE(reopened.valid()) << "closing frees the device for the next open: " << error;
}

TEST_F(SimFailureTest, RulesFailAfterKOnceOrForGood)
{
    SimClient::vlxAdd(2);
    SimClient::vlxFail(2, VLX_GET_SERIAL_NUMBER, static_cast<long>(0xC000009D), 2);
    SimClient::vlxFail(2, VLX_GET_FIRMWARE_VERSION, static_cast<long>(0xC0000185), 0, true); // IO_DEVICE_ERROR
    DWORD error;
    Handle h(openDevice("VlxUsb", 2, &error));
    ASSERT_TRUE(h.valid()) << error;
    unsigned char out[3];
    std::vector<DWORD> serial, version;
    for (int i = 0; i < 4; ++i) {
        serial.push_back(ioctl(h.get(), VLX_GET_SERIAL_NUMBER, nullptr, 0, out, 3).error);
        version.push_back(ioctl(h.get(), VLX_GET_FIRMWARE_VERSION, nullptr, 0, out, 3).error);
    }
    EXPECT_EQ((std::vector<DWORD>{0, 0, ERROR_DEVICE_NOT_CONNECTED, 0}), serial);
    EXPECT_EQ((std::vector<DWORD>(4, ERROR_IO_DEVICE)), version);
    EXPECT_EQ(8u, SimClient::vlxLog(2).size()) << "failed requests are logged too";

    SimClient::vlxClearFailures(2);
    EXPECT_EQ(0u, ioctl(h.get(), VLX_GET_FIRMWARE_VERSION, nullptr, 0, out, 3).error);

    SimClient::vlxFail(2, SIM_REQ_CREATE, static_cast<long>(0xC0000022)); // ACCESS_DENIED
    h.close();
    expectRefused(2, ERROR_ACCESS_DENIED);
    Handle accepted(openDevice("VlxUsb", 2, &error));
    ASSERT_TRUE(accepted.valid()) << error;
    EXPECT_EQ(0u, ioctl(accepted.get(), VLX_GET_FIRMWARE_VERSION, nullptr, 0, out, 3).error) << "one-shot";
}

TEST_F(SimPendingTest, DelayedRequestsCompleteLaterWithTheirResult)
{
    SimClient::vlxAdd(4);
    SimClient::vlxSetPending(4, 150);
    SimClient::vlxFail(4, VLX_GET_SERIAL_NUMBER, static_cast<long>(0xC000009D));
    DWORD error;
    Handle h(openDevice("VlxUsb", 4, &error));
    ASSERT_TRUE(h.valid()) << error;

    unsigned char out[3] = {};
    DWORD start = GetTickCount();
    Outcome r = ioctl(h.get(), VLX_GET_FIRMWARE_VERSION, nullptr, 0, out, 3);
    DWORD took = GetTickCount() - start;
    EXPECT_TRUE(r.pended);
    EXPECT_EQ(0u, r.error);
    EXPECT_EQ(3u, r.bytes);
    EXPECT_EQ(8, out[1]);
    EXPECT_GE(took, 120u);
    EXPECT_LT(took, 2000u);

    r = ioctl(h.get(), VLX_GET_SERIAL_NUMBER, nullptr, 0, out, 3);
    EXPECT_TRUE(r.pended);
    EXPECT_EQ(static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED), r.error);

    SimClient::vlxSetPending(4, 0, false);
    r = ioctl(h.get(), VLX_GET_SERIAL_NUMBER, nullptr, 0, out, 3);
    EXPECT_FALSE(r.pended);
    EXPECT_EQ(0u, r.error);
}

TEST_F(SimPendingTest, BlockingReadWaitsForBytesAndCanBeCancelled)
{
    SimClient::krxAdd(6);
    SimClient::krxSetBlockingRead(6, true);
    DWORD error;
    Handle h(openDevice("KrxUsb", 6, &error));
    ASSERT_TRUE(h.valid()) << error;

    char buffer[16] = {};
    OVERLAPPED o = {};
    o.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD n = sentinel;
    ASSERT_FALSE(ReadFile(h.get(), buffer, sizeof buffer, &n, &o));
    ASSERT_EQ(static_cast<DWORD>(ERROR_IO_PENDING), GetLastError());
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(o.hEvent, 100));
    SimClient::krxFeed(6, "hello");
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(o.hEvent, 5000));
    ASSERT_TRUE(GetOverlappedResult(h.get(), &o, &n, FALSE));
    EXPECT_EQ(std::string("hello"), std::string(buffer, n));

    ResetEvent(o.hEvent);
    ASSERT_FALSE(ReadFile(h.get(), buffer, sizeof buffer, &n, &o));
    ASSERT_EQ(static_cast<DWORD>(ERROR_IO_PENDING), GetLastError());
    ASSERT_TRUE(CancelIoEx(h.get(), &o));
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(o.hEvent, 5000));
    EXPECT_FALSE(GetOverlappedResult(h.get(), &o, &n, FALSE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_OPERATION_ABORTED), GetLastError());
    CloseHandle(o.hEvent);

    // Still usable after the cancellation; the receive count is answered beside a waiting read.
    SimClient::krxFeed(6, "x");
    Outcome r = overlapped(h.get(), [&](OVERLAPPED* ov, DWORD* got) { return ReadFile(h.get(), buffer, 16, got, ov); });
    EXPECT_EQ(0u, r.error);
    EXPECT_EQ(1u, r.bytes);
}

TEST_F(SimLogTest, AWholeFirmwareUpdateComesBackInOrderAcrossPages)
{
    SimClient::vlxAdd(200);
    DWORD error;
    Handle h(openDevice("VlxUsb", 200, &error));
    ASSERT_TRUE(h.valid()) << error;
    // More requests than an update makes (about 1500), payloads of 0 to 35 bytes whose bytes
    // encode their index.
    const unsigned count = 2000;
    for (unsigned i = 0; i < count; ++i) {
        unsigned char block[35];
        unsigned length = i % 36;
        for (unsigned k = 0; k < length; ++k)
            block[k] = static_cast<unsigned char>(i + k);
        ASSERT_EQ(0u, ioctl(h.get(), VLX_WRITE_FIRMWARE_BLOCK, block, length, nullptr, 0).error) << i;
    }
    // 1 KB pages: dozens of pages; 30 bytes: smaller than most entries, so the reader must grow.
    for (unsigned long pageSize : {1024ul, 30ul, 256ul * 1024}) {
        std::vector<SimRequest> log = SimClient::log(false, 200, pageSize);
        ASSERT_EQ(count, log.size()) << pageSize;
        for (unsigned i = 0; i < count; ++i) {
            ASSERT_EQ(VLX_WRITE_FIRMWARE_BLOCK, log[i].code) << i;
            ASSERT_EQ(i % 36, log[i].payload.size()) << i;
            for (unsigned k = 0; k < log[i].payload.size(); ++k)
                ASSERT_EQ(static_cast<unsigned char>(i + k), log[i].payload[k]) << i << "/" << k;
        }
    }
    SimClient::vlxClearLog(200);
    EXPECT_TRUE(SimClient::vlxLog(200).empty());
}

} // namespace
