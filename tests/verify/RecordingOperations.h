#pragma once
// Link operations that record each call as one line ("send NAME", "run NAME b6", ...) and pass it
// on to a real link, or, without one, answer from a script: a fixed directory and a fixed result.

#include "verify/SignOperations.h"
#include "verify/VerificationSteps.h"

#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

class CRecordingOperations final : public ISignOperations {
public:
    explicit CRecordingOperations(ISignOperations* inner = nullptr) : m_pInner(inner) {}

    short SendFile(const std::string& name, std::span<const unsigned char> bytes) override
    {
        sent[name] = {bytes.begin(), bytes.end()};
        return Record("send " + name, &ISignOperations::SendFile, name, bytes);
    }
    short SendCompressedFile(const std::string& name, std::span<const unsigned char> bytes) override
    {
        sent[name] = {bytes.begin(), bytes.end()};
        return Record("send compressed " + name, &ISignOperations::SendCompressedFile, name, bytes);
    }
    short RunMessage(const std::string& name, unsigned char b6) override
    {
        return Record("run " + name + " " + std::to_string(b6), &ISignOperations::RunMessage, name, b6);
    }
    short RemoveFile(const std::string& name) override
    {
        return Record("delete " + name, &ISignOperations::RemoveFile, name);
    }
    short BlankDisplay() override { return Record("blank", &ISignOperations::BlankDisplay); }
    short SetTime(std::uint32_t seconds) override { return Record("set time", &ISignOperations::SetTime, seconds); }
    std::optional<std::string> GetFile(const std::string& name) override
    {
        calls.push_back("get " + name);
        ++m_nCalls;
        return m_pInner != nullptr ? m_pInner->GetFile(name) : directory;
    }
    // Cancelled once cancelAfter calls have been made (negative: never).
    bool IsCancelled() const override { return cancelAfter >= 0 && m_nCalls >= cancelAfter; }

    std::vector<std::string> calls;
    std::map<std::string, std::vector<unsigned char>> sent;
    std::optional<std::string> directory; // the scripted DIRECTORY.XML; none: cannot be fetched
    short result = 0;                     // the scripted result of every other call
    int cancelAfter = -1;

private:
    template <class Call, class... Args>
    short Record(std::string line, Call call, Args&&... args)
    {
        calls.push_back(std::move(line));
        ++m_nCalls;
        return m_pInner != nullptr ? (m_pInner->*call)(std::forward<Args>(args)...) : result;
    }

    ISignOperations* m_pInner; // not owned
    int m_nCalls = 0;
};

// A restore report as one value, to compare whole: set, directory read, deleted, sent, not sent,
// runs failed, cancelled, complete.
inline auto Summary(const FactoryRestoreReport& r)
{
    return std::tuple(r.set, r.bDirectoryRead, r.nDeleted, r.nSent, r.nNotSent, r.nRunsFailed, r.bCancelled,
                      r.IsComplete());
}
