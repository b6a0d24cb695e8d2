#include "link/S22EchoTest.h"

#include "link/S22SignLink.h"
#include "res/Resources.h"

#include <algorithm>
#include <cstring>

namespace {

const char kEchoText[] =
    "ATV1\nthe quick brown fox jumps over the lazy dog \nTHE QUICK BROWN FOX JUMPS OVER THE LAZY DOG";
static_assert(sizeof kEchoText == 94, "the short echo test sends 94 bytes, the terminating zero included");

} // namespace

bool CS22EchoTest::StartEchoTest(short comPort, int type)
{
    // A new operation: an abort left from an earlier one must not fail the test.
    m_link.ClearAbort();
    m_nEchoDone = 0;
    if (type == 0) {
        m_echoText.assign(kEchoText, kEchoText + sizeof kEchoText);
        m_pEchoData = m_echoText.data();
        m_nEchoSize = static_cast<unsigned long>(m_echoText.size());
    } else if (type == 1) {
        // The long test sends the firmware package as it is embedded, read in place.
        const auto package = qvxres::FindEmbeddedResource("BIN", qvxres::kFirmwareFX40211);
        if (package.empty())
            return false;
        m_pEchoData = package.data();
        m_nEchoSize = static_cast<unsigned long>(package.size());
    } else {
        return false;
    }
    if (!m_link.IsOpen()) {
        if (m_link.OpenPort(comPort, kEchoTestBaud, 0) != S22NET_OK)
            return false;
        m_bEchoOpenedPort = true;
    }
    CS22NetSerialPort& port = m_link.Port();
    const unsigned char probe[2] = {0x61, 0x00};
    unsigned long written = 0;
    if (port.WriteBlock(probe, 2, &written) != S22NET_OK)
        return false;
    unsigned char echoed = 0;
    if (port.ReadChar(echoed) != S22NET_OK || echoed != 0x61)
        return false;
    (void)port.ReadChar(echoed); // the echoed zero byte
    return true;
}

int CS22EchoTest::EchoTestStep()
{
    if (m_pEchoData == nullptr || m_nEchoDone >= m_nEchoSize)
        return kEchoFailed;
    CS22NetSerialPort& port = m_link.Port();
    const unsigned long count = std::min<unsigned long>(256, m_nEchoSize - m_nEchoDone);
    const unsigned char* expected = m_pEchoData + m_nEchoDone;
    unsigned long written = 0;
    if (port.WriteBlock(expected, static_cast<short>(count), &written) != S22NET_OK)
        return kEchoFailed;
    unsigned char echoed[256];
    unsigned long got = count;
    if (port.ReadBlock(echoed, &got) != S22NET_OK)
        return kEchoFailed;
    if (std::memcmp(echoed, expected, got) != 0)
        return kEchoFailed;
    m_nEchoDone += got;
    return m_nEchoDone >= m_nEchoSize ? kEchoPassed : kEchoMore;
}

void CS22EchoTest::GetEchoTestProgress(unsigned long& done, unsigned long& total) const
{
    done = m_nEchoDone;
    total = m_nEchoSize;
}

void CS22EchoTest::EndEchoTest(int type)
{
    if (m_bEchoOpenedPort) {
        m_link.ClosePort();
        m_bEchoOpenedPort = false;
    }
    if (type == 0) {
        m_echoText.clear();
        m_echoText.shrink_to_fit();
    }
    if (type == 0 || type == 1) {
        m_pEchoData = nullptr;
        m_nEchoSize = 0;
    }
}
