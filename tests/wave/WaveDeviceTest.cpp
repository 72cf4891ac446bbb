// What both devices share: the listing and the names, the format record, the opening steps
// with their error codes, and the buffers.
#include "tests/support/PlatformTest.h"
#include "tests/wave/NewFaults.h"
#include "tests/wave/TestDevices.h"

#include <cstring>
#include <string>

namespace {

class WaveDevice : public PlatformTest
{
};

TEST_F(WaveDevice, TheFormatRecordIsZeroUntilOpenFillsItAsPcmWithCbSize18)
{
    CTestWaveIn in;
    const WAVEFORMATEX zero{};
    EXPECT_EQ(std::memcmp(&in.m_wfx, &zero, sizeof zero), 0);

    ASSERT_TRUE(in.Open(0, 44100, 16, FALSE, 0));
    EXPECT_EQ(in.m_wfx.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(in.m_wfx.nChannels, 1);
    EXPECT_EQ(in.m_wfx.nSamplesPerSec, 44100u);
    EXPECT_EQ(in.m_wfx.nBlockAlign, 2);
    EXPECT_EQ(in.m_wfx.nAvgBytesPerSec, 88200u);
    EXPECT_EQ(in.m_wfx.wBitsPerSample, 16);
    EXPECT_EQ(in.m_wfx.cbSize, 18) << "passed to the platform, which ignores it for PCM";
    EXPECT_TRUE(in.Close());

    ASSERT_TRUE(in.Open(0, 44100, 16, TRUE, 4410));
    EXPECT_EQ(in.m_wfx.nBlockAlign, 4);
    EXPECT_EQ(in.m_wfx.nAvgBytesPerSec, 176400u);
    EXPECT_EQ(in.m_pBuffer[0]->GetHeader()->dwBufferLength, 17640u) << "100 ms";
    EXPECT_TRUE(in.Close());
}

TEST_F(WaveDevice, OpenResultsMapToErrorCodesThatOnlyAFailureWrites)
{
    const struct
    {
        MMRESULT nResult;
        int nError;
    } cases[] = {{MMSYSERR_ALLOCATED, WDE_ALLOCATED}, {MMSYSERR_NOMEM, WDE_NOMEM},
                 {WAVERR_BADFORMAT, WDE_BADFORMAT},   {MMSYSERR_BADDEVICEID, WDE_FAILED},
                 {MMSYSERR_NODRIVER, WDE_FAILED},     {MMSYSERR_ERROR, WDE_FAILED}};
    for (const auto& c : cases) {
        CTestWaveOut out;
        sim::InjectFault("waveOutOpen", c.nResult);
        EXPECT_FALSE(out.Open(0, 8000, 16, FALSE));
        EXPECT_EQ(out.m_nError, c.nError) << c.nResult;
        EXPECT_EQ(out.m_hWaveOut, nullptr);
        EXPECT_EQ(out.m_pThread, nullptr);
        EXPECT_EQ(out.m_nOpens, 0);
        EXPECT_EQ(out.m_wfx.nSamplesPerSec, 8000u) << "the record keeps what was asked";
        ASSERT_TRUE(out.Open(0, 8000, 16, FALSE));
        EXPECT_EQ(out.m_nError, c.nError) << "a success leaves the code of the failure";
        EXPECT_TRUE(out.Close());
    }

    // A format the device refuses, from the device itself.
    sim::SetWaveInDevices(
        {{"Mono only", [](const WAVEFORMATEX& f) { return f.nChannels == 1; }, {}}});
    CTestWaveIn in;
    EXPECT_FALSE(in.Open(0, 8000, 16, TRUE, 80));
    EXPECT_EQ(in.m_nError, WDE_BADFORMAT);
    EXPECT_TRUE(in.Open(0, 8000, 16, FALSE, 80));
    EXPECT_FALSE(in.Open(0, 8000, 16, FALSE, 80));
    EXPECT_EQ(in.m_nError, WDE_FAILED) << "already open";
    EXPECT_NE(in.m_hWaveIn, nullptr);
    EXPECT_TRUE(in.Close());
}

TEST_F(WaveDevice, IndicesAreCheckedAgainstTheListingAndTheDefaultDeviceIsAlwaysAccepted)
{
    sim::SetWaveInDevices({{"A", {}, {}}, {"B", {}, {}}});
    CTestWaveIn in;
    ASSERT_EQ(in.GetDeviceCount(), 2u);
    EXPECT_FALSE(in.Open(2, 8000, 16, FALSE, 80));
    EXPECT_EQ(in.m_nError, WDE_BADINDEX);
    EXPECT_EQ(in.GetDeviceName(2), nullptr);
    EXPECT_STREQ(in.GetDeviceName(1), "B");
    ASSERT_TRUE(in.Open(UINT(WAVE_MAPPER), 8000, 16, FALSE, 80));
    EXPECT_TRUE(in.Close());

    sim::SetWaveOutDevices({});
    CTestWaveOut none;
    EXPECT_EQ(none.m_nDevices, 0u);
    EXPECT_EQ(none.m_nError, WDE_NODEVICE);
    EXPECT_FALSE(none.Open(0, 8000, 16, FALSE));
    EXPECT_EQ(none.m_nError, WDE_BADINDEX);
    EXPECT_FALSE(none.Open(UINT(WAVE_MAPPER), 8000, 16, FALSE));
    EXPECT_EQ(none.m_nError, WDE_FAILED) << "the platform had no default device either";

    sim::SetWaveOutDevices({{"A", {}, {}}, {"B", {}, {}}, {"C", {}, {}}});
    sim::InjectFault("waveOutGetDevCapsA", MMSYSERR_NODRIVER, 1);
    CTestWaveOut failed;
    EXPECT_EQ(failed.m_nDevices, 0u) << "a failing listing lists nothing";
    EXPECT_EQ(failed.m_nError, WDE_FAILED);
    EXPECT_EQ(failed.GetDeviceName(0), nullptr);
}

TEST_F(WaveDevice, ANameThatFillsItsFieldIsCutAtAWholeCharacterAndTerminated)
{
    const std::string a29(29, 'a'), a30(30, 'a'), a31(31, 'a');
    const std::string ka = "\x83\x4A";  // a double-byte character of code page 932
    sim::SetWaveInDevices({{a31, {}, {}},
                           {a31 + "b", {}, {}},
                           {a30 + ka, {}, {}},
                           {a29 + ka + "b", {}, {}},
                           {"\x83\x7D\x83\x43\x83\x4E", {}, {}}});
    CTestWaveIn in;
    ASSERT_EQ(in.GetDeviceCount(), 5u);
    EXPECT_EQ(std::string(in.GetDeviceName(0)), a31) << "already terminated";
    EXPECT_EQ(std::string(in.GetDeviceName(1)), a31);
    EXPECT_EQ(std::string(in.GetDeviceName(2)), a30) << "not half a character";
    EXPECT_EQ(std::string(in.GetDeviceName(3)), a29 + ka);
    EXPECT_EQ(std::string(in.GetDeviceName(4)), "\x83\x7D\x83\x43\x83\x4E");

    sim::SetWaveOutDevices({{std::string(40, 'x'), {}, {}}});
    CTestWaveOut out;
    EXPECT_EQ(std::string(out.GetDeviceName(0)), std::string(31, 'x'));
}

TEST_F(WaveDevice, BuffersAreSizedInFramesOfTheDeviceAndLeadBackToTheirObject)
{
    CTestWaveIn in;
    ASSERT_TRUE(in.Open(0, 8000, 16, TRUE, 800));
    CWaveBuffer unused;
    unused.Release();  // never prepared: nothing happens
    CWaveBuffer buffer;
    EXPECT_TRUE(buffer.PrepareIn(&in, 0));
    const WAVEHDR* pHeader = buffer.GetHeader();
    ASSERT_NE(pHeader, nullptr);
    EXPECT_EQ(pHeader->dwBufferLength, 4096u) << "1024 stereo frames";
    EXPECT_EQ(pHeader->dwUser, reinterpret_cast<DWORD_PTR>(&buffer));
    EXPECT_EQ(pHeader->dwFlags, DWORD(WHDR_PREPARED));
    EXPECT_EQ(buffer.GetData(), pHeader->lpData);
    EXPECT_EQ(static_cast<unsigned char>(pHeader->lpData[0]), 0xA5) << "data is not zeroed";
    EXPECT_EQ(in.m_pBuffer[2]->GetHeader()->dwBufferLength, 3200u);
    buffer.Release();
    EXPECT_EQ(buffer.GetHeader(), nullptr);
    buffer.Release();
    EXPECT_TRUE(in.Close());
}

// Each allocation a buffer makes can fail; the buffer is then empty and is skipped. So can the
// allocations of the device's own objects.
TEST_F(WaveDevice, ABufferWhoseMemoryCannotBeAllocatedIsEmptyAndSkipped)
{
    CTestWaveOut out;
    ASSERT_TRUE(out.Open(0, 8000, 16, FALSE));
    for (int nSkip : {0, 1}) {  // the header block, then the data block
        CWaveBuffer buffer;
        sim::InjectFault("GlobalAlloc", 0, nSkip);
        EXPECT_FALSE(buffer.PrepareOut(&out, 80));
        EXPECT_EQ(buffer.GetHeader(), nullptr);
        EXPECT_EQ(buffer.GetData(), nullptr);
        EXPECT_EQ(buffer.GetBytesRecorded(), 0u);
        EXPECT_FALSE(out.Write(&buffer));
        EXPECT_EQ(out.m_nError, WDE_FAILED);
    }
    EXPECT_TRUE(out.Close());

    // A capture device records with the buffers it has.
    sim::SetWaveInDevices({{"Mic", {}, Ramp}});
    CTestWaveIn in;
    sim::InjectFault("GlobalAlloc", 0, 2);  // the third allocation: the second buffer's header
    ASSERT_TRUE(in.Open(0, 8000, 16, FALSE, 80));
    EXPECT_EQ(in.m_pBuffer[1]->GetHeader(), nullptr);
    ASSERT_TRUE(in.Start());
    EXPECT_EQ(sim::QueuedHeaders(in.m_hWaveIn).size(), 2u);
    sim::AdvanceTime(100);
    ASSERT_EQ(in.m_blocks.size(), 10u);
    EXPECT_EQ(in.m_blocks[9].samples.back(), Ramp(799));
    EXPECT_TRUE(in.Close());

    // The objects: the route of an open (the first), a buffer (the third: the second buffer).
    FailNothrowNew(0);
    EXPECT_FALSE(in.Open(0, 8000, 16, FALSE, 80));
    EXPECT_EQ(in.m_nError, WDE_NOMEM);
    EXPECT_EQ(in.m_hWaveIn, nullptr);
    FailNothrowNew(2);
    ASSERT_TRUE(in.Open(0, 8000, 16, FALSE, 80));
    EXPECT_EQ(in.m_pBuffer[1], nullptr);
    ASSERT_TRUE(in.Start());
    sim::AdvanceTime(100);
    EXPECT_EQ(in.m_blocks.size(), 20u);
    EXPECT_TRUE(in.Close());

    // The listing's array: as a listing that failed.
    FailNothrowNew(0);
    CTestWaveIn unlisted;
    EXPECT_EQ(unlisted.m_nDevices, 0u);
    EXPECT_EQ(unlisted.m_nError, WDE_FAILED);
}

}  // namespace
