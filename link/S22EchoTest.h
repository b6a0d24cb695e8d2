#pragma once
// The serial echo test of a sign link: with a loop-back plug on the COM port every byte written
// comes back, and the test checks that what comes back is what was sent, block by block (type 0:
// a fixed text; type 1: the embedded firmware package).

#include <vector>

class CS22SignLink;

class CS22EchoTest {
public:
    static constexpr unsigned long kEchoTestBaud = 19200;

    // Results of EchoTestStep.
    static constexpr int kEchoMore = 0;
    static constexpr int kEchoPassed = 1;
    static constexpr int kEchoFailed = 2;

    explicit CS22EchoTest(CS22SignLink& link) : m_link(link) {}
    CS22EchoTest(const CS22EchoTest&) = delete;
    CS22EchoTest& operator=(const CS22EchoTest&) = delete;

    // True when the test can run: the data is there, the port open (opened here at kEchoTestBaud
    // when the link is closed) and a first byte came back.
    bool StartEchoTest(short comPort, int type);
    // Sends the next block of up to 256 bytes and compares its echo.
    int EchoTestStep();
    // Bytes confirmed so far and the data size.
    void GetEchoTestProgress(unsigned long& done, unsigned long& total) const;
    // Closes the port if the test opened it; for type 0 also frees the test data.
    void EndEchoTest(int type);

private:
    CS22SignLink& m_link;
    std::vector<unsigned char> m_echoText; // owned data of the type-0 test
    const unsigned char* m_pEchoData = nullptr;
    unsigned long m_nEchoSize = 0;
    unsigned long m_nEchoDone = 0;
    bool m_bEchoOpenedPort = false;
};
