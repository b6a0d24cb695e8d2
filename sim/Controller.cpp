#include "sim/Controller.h"

#include "sim/FirmwareImage.h"
#include "sim/Replies.h"

namespace qvxsim {

namespace {

constexpr char kHitechSignType[] = "HT3100-2.04";

// A UART samples each bit near its middle and resynchronises on every start bit, so a byte still
// reads right when the two ends' clocks differ by a few per cent over its ten bits. Controllers
// answer a host whose rate is that close (a 56700 setting reaches one at 57600); further off,
// the frame is only noise to them. In per mille of the controller's own rate: +/-2.5 %.
constexpr unsigned long kRateTolerancePerMille = 25;

bool RateUnderstood(unsigned long hostRate, unsigned long ownRate)
{
    const unsigned long long diff = hostRate > ownRate ? hostRate - ownRate : ownRate - hostRate;
    return diff * 1000 <= static_cast<unsigned long long>(ownRate) * kRateTolerancePerMille;
}

constexpr CommandKey kFileBlock = ExtendedCommand(5);

// Whether the answer to a command frame will carry data (all but the refusals of malformed ones).
bool CarriesData(const Frame& frame)
{
    const std::optional<CommandKey> key = KeyOf(frame.data);
    return key && (key->extended || key->code != 0);
}

std::string SignTypeText(const ControllerSettings& settings)
{
    if (!settings.signTypeText.empty())
        return settings.signTypeText;
    return settings.protocol == Protocol::Hitech ? kHitechSignType : settings.firmwareVersion;
}

} // namespace

Controller::Controller(const ControllerConfig& config, unsigned long portRate)
    : m_address(config.address), m_portRate(portRate), m_rate(config.baud != 0 ? config.baud : portRate),
      m_speaksS2200(config.settings.protocol == Protocol::S2200), m_noise(config.address),
      m_state(config.address, config.settings), m_dice(config.randomFaults)
{
    SetBehaviour(config.behaviour);
}

bool Controller::Listens(unsigned char address) const
{
    return address == m_address || IsBroadcastAddress(address)
        || (m_enabledBroadcast != 0 && address == m_enabledBroadcast);
}

bool Controller::Unheard(MonoTime now)
{
    if (!m_downtime.Down(now))
        return false;
    ++m_stats.framesWhileDown;
    return true;
}

bool Controller::Hears(unsigned long hostRate)
{
    if (RateUnderstood(hostRate, m_rate))
        return true;
    ++m_stats.wrongRateFrames;
    return false;
}

void Controller::Reject(MonoTime now)
{
    if (!Unheard(now))
        ++m_stats.framesRejected;
}

std::optional<Outgoing> Controller::Handle(const Frame& frame, unsigned long hostRate, MonoTime now)
{
    if (Unheard(now))
        return std::nullopt;
    if (!Hears(hostRate))
        return std::nullopt;
    if (!m_speaksS2200) {
        ++m_stats.framesIgnored;
        return std::nullopt;
    }
    Record(frame);
    if (frame.Type() == kTypeCommand)
        return HandleCommand(frame, now);
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
    return Emit(Build(frame, answer, plan), plan, replyRate);
}

std::optional<Outgoing> Controller::HandleCommand(const Frame& frame, MonoTime now)
{
    const unsigned long imagesBefore = m_state.ImagesStored();
    if (frame.address != m_address) {
        // Broadcasts are carried out in silence.
        if (m_commands.Execute(m_state, frame.data, false).reboot || TookSelfRebootingImage(imagesBefore))
            Reboot(now);
        return std::nullopt;
    }
    if (RebootsOnBlock(frame)) {
        Reboot(now);
        return std::nullopt;
    }
    const ReplyPlan plan = m_faults.Take(CarriesData(frame));
    const Answer answer = plan.type ? PlainAnswer(frame) : Carry(frame);
    const bool selfReboot = TookSelfRebootingImage(imagesBefore);
    if (selfReboot && m_behaviour.noFinalReplyForLineImages) {
        Reboot(now);
        return std::nullopt;
    }
    std::optional<Outgoing> reply = plan.drop ? std::nullopt : Emit(Build(frame, answer, plan), plan, m_rate);
    if (answer.reboot || selfReboot)
        Reboot(now); // the reply is on its way first
    return reply;
}

bool Controller::RebootsOnBlock(const Frame& frame)
{
    if (KeyOf(frame.data) != kFileBlock)
        return false;
    // Drawn on every block, so that the draws do not depend on the planned reboot.
    const bool drawn = m_dice.DrawRebootOnBlock();
    const unsigned number = BlockNumberOf(kFileBlock, frame.data);
    const bool planned = m_behaviour.rebootAtBlock != 0 && number == m_behaviour.rebootAtBlock;
    if (planned)
        m_behaviour.rebootAtBlock = 0; // once
    return drawn || planned;
}

bool Controller::TookSelfRebootingImage(unsigned long imagesBefore) const
{
    const std::optional<std::string>& image = m_state.NewImage();
    return m_state.ImagesStored() != imagesBefore && image && RebootsByItself(*image);
}

void Controller::Reboot(MonoTime now)
{
    ++m_stats.reboots;
    m_commands.DropTransfers();
    m_last.reset();
    m_speaksS2200 = m_state.Settings().protocol == Protocol::S2200;
    m_state.Display().ClearShowing();
    Boot();
    m_state.Start(); // its rate stays: the line keeps the rate it was set to, whatever CONFIG.XML says
    m_downtime.Begin(now, m_behaviour.rebootMs, m_behaviour.silentAfterReboot);
}

void Controller::Boot()
{
    m_stats.refusedImage.clear();
    const std::optional<std::string> image = m_state.TakeNewImage();
    if (!image || m_behaviour.keepOldFirmware)
        return;
    const StoredFile* file = m_state.Area(FileArea::Files).Find(*image);
    std::optional<std::string> version = file ? BootedVersion(file->name, file->bytes) : std::nullopt;
    if (!version) {
        m_stats.refusedImage = *image;
        return;
    }
    m_state.SetFirmwareVersion(std::move(*version));
    m_stats.bootedImage = *image;
}

void Controller::SetBehaviour(const FirmwareBehaviour& behaviour)
{
    m_behaviour = behaviour;
    m_downtime.SetRebootTime(behaviour.rebootMs);
    if (!behaviour.silentAfterReboot)
        m_downtime.Revive();
    m_commands.SetRefuseDirectory(behaviour.refuseDirectory);
}

Controller::Answer Controller::Carry(const Frame& frame)
{
    if (m_last && m_last->sequence == frame.Sequence() && m_last->request == frame.data) {
        ++m_stats.repeatsAnswered;
        return m_last->answer;
    }
    CommandAnswer done = m_commands.Execute(m_state, frame.data, true);
    Answer answer{done.type, std::move(done.data), true, done.reboot};
    NoteStatus(answer);
    m_last = LastCommand{frame.Sequence(), frame.data, answer};
    return answer;
}

Controller::Answer Controller::PlainAnswer(const Frame& frame)
{
    // What a refusal carries: the command's reply layout with nothing in it.
    return {kTypeGoodReply, CarriesData(frame) ? ReplyTo(frame.data) : Bytes{}, false};
}

Controller::Answer Controller::AnswerTo(const Frame& frame) const
{
    const std::size_t size = frame.data.size();
    switch (frame.Type()) {
    case kTypeSequenceReset:
        return {kTypeSequenceReset, {}, true};
    case kTypeEnableBroadcast:
    case kTypeDisableBroadcast:
        return size == 1 ? Answer{} : Answer{kTypeBadCommand, {}, false};
    case kTypeQueryBroadcast:
        return {kTypeQueryBroadcast, {m_enabledBroadcast, 0}, true};
    case kTypeSetBaudRate: {
        const bool usable = size == 4 && Get32(frame.data, 0) != 0;
        return usable ? Answer{} : Answer{kTypeBadCommand, {}, false};
    }
    default:
        return {kTypeUnsupported, {}, false};
    }
}

void Controller::Act(const Frame& frame)
{
    switch (frame.Type()) {
    case kTypeSequenceReset:
        ++m_stats.sequenceResets;
        m_last.reset(); // the host starts counting again; nothing before is a retry any more
        break;
    case kTypeEnableBroadcast:
        m_enabledBroadcast = frame.data[0];
        break;
    case kTypeDisableBroadcast:
        if (m_enabledBroadcast == frame.data[0])
            m_enabledBroadcast = 0;
        break;
    case kTypeSetBaudRate:
        m_rate = Get32(frame.data, 0);
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

void Controller::NoteStatus(const Answer& answer)
{
    const std::optional<CommandKey> key = KeyOf(answer.data);
    const std::size_t at = key ? LayoutOf(*key).statusAt : 0;
    m_stats.lastStatus = answer.type == kTypeGoodReply && key && at < answer.data.size() ? answer.data[at] : 0;
}

std::optional<Outgoing> Controller::HandlePellworth(const PellworthFrame& frame, unsigned long hostRate, MonoTime now)
{
    if (Unheard(now))
        return std::nullopt;
    if (!Hears(hostRate))
        return std::nullopt;
    ++m_stats.pellworthFrames;
    if (m_speaksS2200)
        return std::nullopt; // switched over, or never spoke it
    std::optional<Bytes> reply = PellworthReply(frame.command);
    if (!reply)
        return std::nullopt;
    const ReplyPlan plan = m_faults.Take(true);
    if (plan.drop)
        return std::nullopt;
    if (plan.address)
        (*reply)[5] = *plan.address;
    if (plan.badHeaderChecksum || plan.badDataChecksum)
        ++reply->back();
    return Emit(std::move(*reply), plan, m_rate);
}

std::optional<Bytes> Controller::PellworthReply(unsigned char command)
{
    const ControllerSettings& settings = m_state.Settings();
    const bool hitech = settings.protocol == Protocol::Hitech;
    switch (command) {
    case kPellworthQuery:
        return SignTypeReply(m_address, SignTypeText(settings), settings.queryReplySize, hitech);
    case kPellworthPing:
        return hitech ? std::nullopt : std::optional(PingReply(m_address));
    case kPellworthSwitch:
        m_speaksS2200 = !hitech; // unanswered: the next S2200 frame shows whether it worked
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

void Controller::AddFault(const Fault& fault)
{
    if (fault.kind == FaultKind::GetBlockOverrun)
        m_commands.AddGetOverrun(fault.count, fault.param);
    else
        m_faults.Add(fault);
}

void Controller::ClearFaults()
{
    m_faults.Clear();
    m_commands.ClearFaults();
    m_dice.Set({});
}

void Controller::Configure(const ControllerSettings& settings)
{
    m_state.Configure(settings);
    SetProtocol(settings.protocol);
}

void Controller::SetProtocol(Protocol protocol)
{
    m_state.SetProtocol(protocol);
    m_speaksS2200 = protocol == Protocol::S2200;
    m_last.reset();
}

ControllerStats Controller::Stats() const
{
    ControllerStats stats = m_stats;
    stats.speaksS2200 = m_speaksS2200;
    stats.filesStored = m_state.FilesStored();
    stats.down = m_downtime.Down(MonotonicNow());
    return stats;
}

Bytes Controller::Build(const Frame& request, const Answer& answer, const ReplyPlan& plan) const
{
    Frame reply;
    reply.address = plan.address.value_or(m_address);
    reply.control = static_cast<unsigned char>(request.Sequence() | plan.type.value_or(answer.type));
    reply.data = answer.data;
    Bytes frameBytes = EncodeFrame(reply);
    if (plan.badHeaderChecksum)
        ++frameBytes[kHeaderSize - 1];
    if (plan.badDataChecksum && !reply.data.empty())
        ++frameBytes.back();
    return frameBytes;
}

std::optional<Outgoing> Controller::Emit(Bytes reply, const ReplyPlan& plan, unsigned long rate)
{
    const ReplyDraw draw = m_dice.DrawReply();
    if (draw.drop)
        return std::nullopt;
    FaultDice::Corrupt(draw, reply);
    Outgoing out;
    AppendNoise(plan.noiseBytes, out.bytes);
    out.bytes.insert(out.bytes.end(), draw.noise.begin(), draw.noise.end());
    out.bytes.insert(out.bytes.end(), reply.begin(), reply.end());
    out.delay = plan.delay;
    out.rate = rate;
    ++m_stats.repliesSent;
    return out;
}

void Controller::AppendNoise(int count, std::vector<unsigned char>& out)
{
    for (int i = 0; i < count; ++i)
        out.push_back(NoiseByte(static_cast<std::uint32_t>(m_noise())));
}

} // namespace qvxsim
