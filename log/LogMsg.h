#pragma once
// The messages of a job: plain lines and task errors, which carry the task code the job result
// is derived from.

#include <string>

class ILogMsg {
public:
    enum : int { TYPE_MESSAGE = 0, TYPE_ERROR = 1 };

    virtual ~ILogMsg() = default;
    virtual int GetType() const { return m_nType; }
    // Takes over what the two messages have in common: here the type.
    virtual void CopyFrom(const ILogMsg* source);
    virtual std::string GetText() const = 0;

protected:
    explicit ILogMsg(int type) : m_nType(type) {}
    ILogMsg(const ILogMsg&) = default;
    ILogMsg& operator=(const ILogMsg&) = default;

    int m_nType;
};

class ILogErrorMsg : public ILogMsg {
public:
    // Also takes the error code from another error message.
    void CopyFrom(const ILogMsg* source) override;
    virtual int GetTaskError() const = 0;
    virtual int GetErrorCode() const { return m_nErrorCode; }
    virtual void SetErrorCode(int code) { m_nErrorCode = code; }

protected:
    ILogErrorMsg() : ILogMsg(TYPE_ERROR) {}
    ILogErrorMsg(const ILogErrorMsg&) = default;
    ILogErrorMsg& operator=(const ILogErrorMsg&) = default;

    int m_nErrorCode = 0;
};

class CLogMsg : public ILogMsg {
public:
    explicit CLogMsg(std::string text) : ILogMsg(TYPE_MESSAGE), m_strText(std::move(text)) {}
    // A plain message with the other message's text.
    explicit CLogMsg(const ILogMsg& other) : ILogMsg(TYPE_MESSAGE), m_strText(other.GetText()) {}

    // Takes the text only: a plain message stays plain, so its type always tells its class.
    void CopyFrom(const ILogMsg* source) override;
    std::string GetText() const override { return m_strText; }

private:
    std::string m_strText;
};

class CLogErrorMsg : public ILogErrorMsg {
public:
    CLogErrorMsg(std::string text, int taskError) : m_strText(std::move(text)), m_nTaskError(taskError) {}
    explicit CLogErrorMsg(const ILogErrorMsg& other);

    // From another error message: text, task code and error code. Anything else is ignored, so an
    // error message stays one.
    void CopyFrom(const ILogMsg* source) override;
    std::string GetText() const override { return m_strText; }
    int GetTaskError() const override { return m_nTaskError; }

private:
    std::string m_strText;
    int m_nTaskError;
};
