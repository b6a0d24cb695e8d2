#pragma once
// A strict JSON syntax check for the documents and lines the tool writes (RFC 8259: objects,
// arrays, strings with their escapes, numbers, true, false, null), so a test can say "a fleet
// tool's parser takes this" without a JSON library.

#include <cctype>
#include <cstddef>
#include <string_view>

class CJsonCheck {
public:
    // True when text is exactly one JSON value, with white space around it allowed.
    static bool IsValid(std::string_view text)
    {
        CJsonCheck check(text);
        check.Space();
        if (!check.Value(0))
            return false;
        check.Space();
        return check.m_at == text.size();
    }

private:
    explicit CJsonCheck(std::string_view text) : m_text(text) {}

    static constexpr int kMaxDepth = 64;

    bool More() const { return m_at < m_text.size(); }
    char Peek() const { return More() ? m_text[m_at] : '\0'; }
    void Space()
    {
        while (More() && (Peek() == ' ' || Peek() == '\t' || Peek() == '\n' || Peek() == '\r'))
            ++m_at;
    }
    bool Take(char c)
    {
        if (Peek() != c)
            return false;
        ++m_at;
        return true;
    }
    bool Word(std::string_view word)
    {
        if (m_text.substr(m_at, word.size()) != word)
            return false;
        m_at += word.size();
        return true;
    }
    bool Value(int depth)
    {
        if (depth > kMaxDepth)
            return false;
        switch (Peek()) {
        case '{': return Object(depth);
        case '[': return Array(depth);
        case '"': return String();
        case 't': return Word("true");
        case 'f': return Word("false");
        case 'n': return Word("null");
        default: return Number();
        }
    }
    bool Object(int depth)
    {
        Take('{');
        Space();
        if (Take('}'))
            return true;
        for (;;) {
            Space();
            if (!String())
                return false;
            Space();
            if (!Take(':'))
                return false;
            Space();
            if (!Value(depth + 1))
                return false;
            Space();
            if (Take('}'))
                return true;
            if (!Take(','))
                return false;
        }
    }
    bool Array(int depth)
    {
        Take('[');
        Space();
        if (Take(']'))
            return true;
        for (;;) {
            Space();
            if (!Value(depth + 1))
                return false;
            Space();
            if (Take(']'))
                return true;
            if (!Take(','))
                return false;
        }
    }
    bool String()
    {
        if (!Take('"'))
            return false;
        while (More()) {
            const auto c = static_cast<unsigned char>(m_text[m_at++]);
            if (c == '"')
                return true;
            if (c < 0x20)
                return false;
            if (c != '\\')
                continue;
            const char escaped = Peek();
            ++m_at;
            if (escaped == 'u') {
                for (int i = 0; i < 4; ++i, ++m_at)
                    if (!std::isxdigit(static_cast<unsigned char>(Peek())))
                        return false;
            } else if (std::string_view("\"\\/bfnrt").find(escaped) == std::string_view::npos) {
                return false;
            }
        }
        return false;
    }
    bool Digits()
    {
        const std::size_t start = m_at;
        while (std::isdigit(static_cast<unsigned char>(Peek())))
            ++m_at;
        return m_at > start;
    }
    bool Number()
    {
        Take('-');
        if (Take('0')) {
            // no leading zeros
        } else if (!Digits()) {
            return false;
        }
        if (Take('.') && !Digits())
            return false;
        if (Take('e') || Take('E')) {
            if (!Take('+'))
                Take('-');
            if (!Digits())
                return false;
        }
        return true;
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};
