#include "sim/Controller.h"

namespace qvxsim {

namespace {

constexpr unsigned char kExtendedCommand = 0x80;
constexpr std::size_t kCommandReplySize = 8; // code echo, status 0, zero padding

} // namespace

Controller::Controller(const ControllerConfig& config, unsigned long portRate)
    : m_address(config.address), m_portRate(portRate), m_rate(config.baud != 0 ? config.baud : portRate),
      m_noise(config.address)
{
}

bool Controller::Listens(unsigned char address) const
{
    return address == m_address || IsBroadcastAddress(address)
        || (m_enabledBroadcast != 0 && address == m_enabledBroadcast);
}

std::optional<Outgoing> Controller::Handle(const Frame& frame, unsigned long hostRate)
{
    if (hostRate != m_rate) {
        ++m_stats.wrongRateFrames; // at another rate the frame is only noise to this receiver
        return std::nullopt;
    }
    Record(frame);
    const Answer answer = AnswerTo(frame);
    if (frame.address != m_address) {
        if (answer.accepted)
            Act(frame); // broadcasts are carried out in silence
        return std::nullopt;
    }
    const ReplyPlan plan = m_faults.Take(!answer.data.empty());
    const unsigned long replyRate = m_rate;
    if (answer.accepted && !plan.type)
        Act(frame);
    if (plan.drop)
        return std::nullopt;
    ++m_stats.repliesSent;
    return Build(frame, answer, plan, replyRate);
}

Controller::Answer Controller::AnswerTo(const Frame& frame) const
{
    const std::size_t size = frame.data.size();
    switch (frame.Type()) {
    case kTypeSequenceReset:
        return {kTypeSequenceReset, {}, true};
    case kTypeCommand:
        return AnswerCommand(frame);
    case kTypeEnableBroadcast:
    case kTypeDisableBroadcast:
        return size == 1 ? Answer{} : Answer{kTypeBadCommand, {}, false};
    case kTypeQueryBroadcast:
        return {kTypeQueryBroadcast, {m_enabledBroadcast, 0}, true};
    case kTypeSetBaudRate: {
        const bool usable = size == 4 && (frame.data[0] | frame.data[1] | frame.data[2] | frame.data[3]) != 0;
        return usable ? Answer{} : Answer{kTypeBadCommand, {}, false};
    }
    default:
        return {kTypeUnsupported, {}, false};
    }
}

Controller::Answer Controller::AnswerCommand(const Frame& frame)
{
    const auto& request = frame.data;
    if (request.empty() || (request[0] == kExtendedCommand && request.size() < 2))
        return {kTypeBadCommand, {}, false};
    if (request[0] == 0)
        return {kTypeUnsupported, {}, false}; // its echo would read as "unsupported" anyway
    Answer answer;
    answer.data.assign(kCommandReplySize, 0);
    answer.data[0] = request[0];
    if (request[0] == kExtendedCommand)
        answer.data[1] = request[1];
    return answer;
}

void Controller::Act(const Frame& frame)
{
    switch (frame.Type()) {
    case kTypeSequenceReset:
        ++m_stats.sequenceResets;
        break;
    case kTypeEnableBroadcast:
        m_enabledBroadcast = frame.data[0];
        break;
    case kTypeDisableBroadcast:
        if (m_enabledBroadcast == frame.data[0])
            m_enabledBroadcast = 0;
        break;
    case kTypeSetBaudRate:
        m_rate = static_cast<unsigned long>(frame.data[0]) | static_cast<unsigned long>(frame.data[1]) << 8
               | static_cast<unsigned long>(frame.data[2]) << 16 | static_cast<unsigned long>(frame.data[3]) << 24;
        break;
    default:
        break;
    }
}

void Controller::Record(const Frame& frame)
{
    ++m_stats.framesReceived;
    m_stats.lastSequence = frame.Sequence();
    m_stats.lastType = frame.Type();
    m_stats.lastData = frame.data;
}

Outgoing Controller::Build(const Frame& request, const Answer& answer, const ReplyPlan& plan, unsigned long rate)
{
    Frame reply;
    reply.address = plan.address.value_or(m_address);
    reply.control = static_cast<unsigned char>(request.Sequence() | plan.type.value_or(answer.type));
    reply.data = answer.data;
    std::vector<unsigned char> frameBytes = EncodeFrame(reply);
    if (plan.badHeaderChecksum)
        ++frameBytes[kHeaderSize - 1];
    if (plan.badDataChecksum && !reply.data.empty())
        ++frameBytes.back();

    Outgoing out;
    AppendNoise(plan.noiseBytes, out.bytes);
    out.bytes.insert(out.bytes.end(), frameBytes.begin(), frameBytes.end());
    out.delay = plan.delay;
    out.rate = rate;
    return out;
}

void Controller::AppendNoise(int count, std::vector<unsigned char>& out)
{
    for (int i = 0; i < count; ++i) {
        auto b = static_cast<unsigned char>(m_noise() & 0xFF);
        out.push_back(b == kStart1 ? static_cast<unsigned char>(~kStart1) : b); // never a frame start
    }
}

} // namespace qvxsim
