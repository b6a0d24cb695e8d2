#include "link/SerialDevice.h"

#include "link/PortNames.h"
#include "link/win32/WinHandle.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <utility>

namespace {

using namespace std::chrono_literals;

// The driver's time-outs run on the system tick (about 15.6 ms): a ReadFile that ends less than a
// tick before the deadline has waited it out, and another one would overshoot it by a whole
// time-out.
constexpr auto kDriverTick = 16ms;

SerialOpenFailure::Kind KindOfOpenError(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_UNIT:
        return SerialOpenFailure::Kind::NoSuchPort;
    // COM ports are opened without sharing: both mean another handle holds the port.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return SerialOpenFailure::Kind::Busy;
    default:
        return SerialOpenFailure::Kind::Refused;
    }
}

// 8-N-1 at baud, binary, no parity checks, no software flow control, no error or null handling,
// data-terminal-ready off and request-to-send raised only while sending (RS-485 converters key
// their driver on it). Clear-to-send flow control and the reserved bits stay as the driver has them.
void SetControllerLine(DCB& dcb, unsigned long baud)
{
    dcb.BaudRate = baud;
    dcb.fParity = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDtrControl = DTR_CONTROL_DISABLE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fTXContinueOnXoff = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.fBinary = TRUE;
    dcb.fRtsControl = RTS_CONTROL_TOGGLE;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.EofChar = 0;
    dcb.EvtChar = 0;
}

// SetCommState's error code; a failure that leaves no code counts as success, as some drivers
// report a state they took that way.
DWORD ApplyLine(HANDLE port, DCB& dcb)
{
    SetLastError(ERROR_SUCCESS);
    return SetCommState(port, &dcb) ? static_cast<DWORD>(ERROR_SUCCESS) : GetLastError();
}

// A handle to the calling thread that CancelSynchronousIo accepts, for one read. Not kept per
// thread: a thread_local with a destructor in this code, which the protocol library carries too,
// corrupts the heap when a thread of the program ends (mingw-w64's thread exit).
qvxwin::UniqueHandle ThisThreadForCancel()
{
    HANDLE thread = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &thread, THREAD_TERMINATE,
                         FALSE, 0))
        thread = nullptr;
    return qvxwin::UniqueHandle(thread);
}

} // namespace

struct CSerialDevice::Impl {
    qvxwin::UniqueHandle port;
    SerialOpenFailure failure;
    std::atomic<bool> wake{false};
    bool overrun = false;
    // The thread waiting in ReadFile, for Wake to cancel; null while none is.
    std::mutex readerLock;
    HANDLE reader = nullptr;

    // Clears the driver's error state, keeping a receive overrun for OverrunSinceLastCheck.
    void TakeCommErrors()
    {
        DWORD errors = 0;
        if (ClearCommError(port.Get(), &errors, nullptr) && (errors & CE_OVERRUN) != 0)
            overrun = true;
    }
};

CSerialDevice::CSerialDevice() : m_impl(std::make_unique<Impl>()) {}

CSerialDevice::~CSerialDevice()
{
    if (IsOpen())
        Close();
}

const SerialOpenFailure& CSerialDevice::LastOpenFailure() const
{
    return m_impl->failure;
}

bool CSerialDevice::Open(int comNumber, unsigned long baud)
{
    SerialOpenFailure& failure = m_impl->failure;
    failure = SerialOpenFailure{};
    if (IsOpen()) {
        failure.kind = SerialOpenFailure::Kind::Busy;
        return false;
    }
    const std::string path = ComDevicePath(comNumber);
    failure.device = path;
    const auto fail = [&](SerialOpenFailure::Kind kind, DWORD error) {
        failure.kind = kind;
        failure.systemError = static_cast<int>(error);
        return false;
    };
    if (path.empty())
        return fail(SerialOpenFailure::Kind::NoSuchPort, ERROR_FILE_NOT_FOUND);
    qvxwin::UniqueHandle port(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!port.IsValid()) {
        const DWORD error = GetLastError();
        return fail(KindOfOpenError(error), error);
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(port.Get(), &dcb)) {
        const DWORD error = GetLastError();
        return fail(SerialOpenFailure::Kind::Refused, error);
    }
    const DWORD driverRts = dcb.fRtsControl;
    SetControllerLine(dcb, baud);
    DWORD error = ApplyLine(port.Get(), dcb);
    if (error == ERROR_NOT_SUPPORTED) {
        // A driver without the transmit toggle (Wine's is one) keeps request-to-send as it had it,
        // as a POSIX line without RS-485 mode does.
        dcb.fRtsControl = driverRts;
        error = ApplyLine(port.Get(), dcb);
    }
    if (error != ERROR_SUCCESS)
        return fail(SerialOpenFailure::Kind::Refused, error);
    m_impl->port = std::move(port);
    // Errors from before the open are not this link's.
    m_impl->TakeCommErrors();
    m_impl->overrun = false;
    return true;
}

bool CSerialDevice::Close()
{
    if (!IsOpen())
        return false;
    m_impl->overrun = false;
    return m_impl->port.Reset();
}

bool CSerialDevice::IsOpen() const
{
    return m_impl->port.IsValid();
}

bool CSerialDevice::ApplyTimeOuts(unsigned long intervalMs, unsigned long totalPerByteMs,
                                  unsigned long totalConstantMs)
{
    if (!IsOpen())
        return false;
    COMMTIMEOUTS timeOuts{};
    if (!GetCommTimeouts(m_impl->port.Get(), &timeOuts))
        return false;
    timeOuts.ReadIntervalTimeout = intervalMs;
    timeOuts.ReadTotalTimeoutMultiplier = totalPerByteMs;
    timeOuts.ReadTotalTimeoutConstant = totalConstantMs;
    return SetCommTimeouts(m_impl->port.Get(), &timeOuts) != FALSE;
}

CSerialDevice::ReadStatus CSerialDevice::Read(void* buffer, std::size_t max, std::size_t* got,
                                              Clock::time_point deadline)
{
    *got = 0;
    if (!IsOpen())
        return ReadStatus::Failed;
    const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(max, MAXDWORD));
    const qvxwin::UniqueHandle self = ThisThreadForCancel();
    for (;;) {
        {
            // Checked and registered together: a Wake after this point finds the reader to cancel.
            std::lock_guard<std::mutex> lock(m_impl->readerLock);
            if (m_impl->wake.load())
                return ReadStatus::Woken;
            m_impl->reader = self.Get();
        }
        DWORD n = 0;
        const BOOL ok = ReadFile(m_impl->port.Get(), buffer, ask, &n, nullptr);
        const DWORD error = ok ? static_cast<DWORD>(ERROR_SUCCESS) : GetLastError();
        {
            std::lock_guard<std::mutex> lock(m_impl->readerLock);
            m_impl->reader = nullptr;
        }
        // A cancelled read may still have taken bytes: they are not lost.
        if (n > 0) {
            *got = n;
            return ReadStatus::Data;
        }
        if (!ok && error != ERROR_OPERATION_ABORTED)
            return ReadStatus::Failed;
        if (m_impl->wake.load())
            return ReadStatus::Woken;
        if (!ok)
            m_impl->TakeCommErrors(); // aborted by the driver, not by Wake: let the next read run
        if (Clock::now() + kDriverTick >= deadline)
            return ReadStatus::TimedOut;
    }
}

bool CSerialDevice::Write(const void* bytes, std::size_t count, std::size_t* written,
                          Clock::time_point deadline)
{
    *written = 0;
    if (!IsOpen())
        return false;
    const auto* next = static_cast<const unsigned char*>(bytes);
    while (*written < count) {
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(count - *written, MAXDWORD));
        DWORD n = 0;
        if (!WriteFile(m_impl->port.Get(), next + *written, ask, &n, nullptr))
            return false;
        *written += n;
        // The driver's write time-outs may end a WriteFile short; one that moves nothing past the
        // deadline ends the write.
        if (n == 0 && Clock::now() >= deadline)
            return false;
    }
    m_impl->TakeCommErrors();
    return true;
}

bool CSerialDevice::PurgeReceive()
{
    return IsOpen() && PurgeComm(m_impl->port.Get(), PURGE_RXCLEAR) != FALSE;
}

bool CSerialDevice::OverrunSinceLastCheck()
{
    return std::exchange(m_impl->overrun, false);
}

void CSerialDevice::Wake()
{
    m_impl->wake.store(true);
    std::lock_guard<std::mutex> lock(m_impl->readerLock);
    if (m_impl->reader != nullptr)
        (void)CancelSynchronousIo(m_impl->reader);
}

void CSerialDevice::ClearWake()
{
    m_impl->wake.store(false);
}
