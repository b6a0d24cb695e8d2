#pragma once
// The few link operations the verification steps use, for one display. The steps go through this
// seam rather than the link itself so that a restore can be followed operation by operation.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

class CS22SignLink;

class ISignOperations {
public:
    virtual ~ISignOperations() = default;

    // Each returns the link result code (0 done). RemoveFile is the controller's delete-file command.
    virtual short SendFile(const std::string& name, std::span<const unsigned char> bytes) = 0;
    // The compressed send with compression on.
    virtual short SendCompressedFile(const std::string& name, std::span<const unsigned char> bytes) = 0;
    // Runs a message with the run-message bytes 0, 0, 1, 0, 0, b6 and the value 0.
    virtual short RunMessage(const std::string& name, unsigned char b6) = 0;
    virtual short RemoveFile(const std::string& name) = 0;
    virtual short BlankDisplay() = 0;
    virtual short SetTime(std::uint32_t secondsSince1970) = 0;
    // The file's bytes; none when it could not be fetched.
    virtual std::optional<std::string> GetFile(const std::string& name) = 0;
    // An operator's abort: the steps send nothing more once it is set.
    virtual bool IsCancelled() const = 0;
};

class CLinkSignOperations final : public ISignOperations {
public:
    // cancelled: asks the caller's abort flag; empty when nothing can abort.
    CLinkSignOperations(CS22SignLink& link, int address, std::function<bool()> cancelled = {});

    short SendFile(const std::string& name, std::span<const unsigned char> bytes) override;
    short SendCompressedFile(const std::string& name, std::span<const unsigned char> bytes) override;
    short RunMessage(const std::string& name, unsigned char b6) override;
    short RemoveFile(const std::string& name) override;
    short BlankDisplay() override;
    short SetTime(std::uint32_t secondsSince1970) override;
    std::optional<std::string> GetFile(const std::string& name) override;
    bool IsCancelled() const override;

private:
    CS22SignLink& m_link;
    unsigned char m_nAddress;
    std::function<bool()> m_cancelled;
};
