#include "link/S22NetPacket.h"
#include "link/S22NetResult.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<unsigned char> Wire(const CS22NetPacket& packet)
{
    return {packet.Bytes(), packet.Bytes() + packet.WireLength()};
}

// A reply frame built by hand, so the host's builder is not used to check itself.
CS22NetPacket Reply(std::vector<unsigned char> bytes)
{
    CS22NetPacket packet;
    std::copy(bytes.begin(), bytes.end(), packet.Bytes());
    return packet;
}

TEST(Packet, SequenceResetIsSixBytes)
{
    CS22NetPacket packet;
    packet.Build(5, 0x00, S22_TYPE_SEQUENCE_RESET, nullptr, 0);
    EXPECT_EQ(Wire(packet), (std::vector<unsigned char>{0x55, 0xAA, 0x05, 0x00, 0x03, 0xF9}));
}

TEST(Packet, CommandWithDataCarriesBothChecksums)
{
    const unsigned char data[] = {0x80, 0x22, 0x01};
    CS22NetPacket packet;
    packet.Build(1, 0x30, S22_TYPE_COMMAND, data, 3);
    // header: 55+AA+01+03+30 = 0x133 → 0xCD; data: 80+22+01 = 0xA3 → 0x5D
    EXPECT_EQ(Wire(packet), (std::vector<unsigned char>{0x55, 0xAA, 0x01, 0x03, 0x30, 0xCD, 0x80, 0x22, 0x01, 0x5D}));
}

TEST(Packet, BuildClearsWhatAnEarlierLongerFrameLeft)
{
    std::vector<unsigned char> big(255, 0xEE);
    CS22NetPacket packet;
    packet.Build(1, 0x10, S22_TYPE_COMMAND, big.data(), 255);
    EXPECT_EQ(packet.WireLength(), 262u);
    packet.Build(1, 0x20, S22_TYPE_SEQUENCE_RESET, nullptr, 0);
    for (std::size_t i = 6; i < CS22NetPacket::kSize; ++i)
        ASSERT_EQ(packet.Bytes()[i], 0) << i;
}

TEST(Packet, ExpectedCommandCode)
{
    const unsigned char basic[] = {0x11, 0x00};
    const unsigned char extended[] = {0x80, 0x35};
    const unsigned char lone80[] = {0x80};
    EXPECT_EQ(ExpectedCommandCode(S22_TYPE_COMMAND, basic, 2), 0x11);
    EXPECT_EQ(ExpectedCommandCode(S22_TYPE_COMMAND, extended, 2), 0x35);
    EXPECT_EQ(ExpectedCommandCode(S22_TYPE_COMMAND, lone80, 1), S22_NO_COMMAND_CODE);
    EXPECT_EQ(ExpectedCommandCode(S22_TYPE_SET_BAUD, basic, 2), S22_NO_COMMAND_CODE);
}

struct ValidationCase {
    const char* name;
    std::vector<unsigned char> reply;
    unsigned char sentType;
    int expectedCode;
    bool relaxed;
    short result;
};

// Requests in these cases go to address 5 with sequence 0x20.
const ValidationCase kValidationCases[] = {
    {"good reply to a command", {0x55, 0xAA, 5, 2, 0x21, 0xD9, 0x11, 0, 0xEF}, 0, 0x11, false, S22NET_OK},
    {"good extended reply", {0x55, 0xAA, 5, 2, 0x21, 0xD9, 0x80, 0x35, 0x4B}, 0, 0x35, false, S22NET_OK},
    {"good reply without data", {0x55, 0xAA, 5, 0, 0x21, 0xDB}, 12, S22_NO_COMMAND_CODE, false, S22NET_OK},
    {"reply from another address", {0x55, 0xAA, 6, 2, 0x21, 0xD8, 0x11, 0, 0xEF}, 0, 0x11, false, ERR_SIGN_INVALID_RESPONSE},
    {"wrong sequence", {0x55, 0xAA, 5, 2, 0x31, 0xC9, 0x11, 0, 0xEF}, 0, 0x11, false, ERR_SIGN_INVALID_RESPONSE},
    {"bad command", {0x55, 0xAA, 5, 0, 0x22, 0xDA}, 0, 0x11, false, ERR_SIGN_BAD_COMMAND},
    {"unsupported", {0x55, 0xAA, 5, 0, 0x24, 0xD8}, 0, 0x11, false, ERR_SIGN_UNSUPPORTED_COMMAND},
    // Address and sequence are checked before the type.
    {"bad command from another address", {0x55, 0xAA, 6, 0, 0x22, 0xD9}, 0, 0x11, false, ERR_SIGN_INVALID_RESPONSE},
    {"reset answered by type 1", {0x55, 0xAA, 5, 0, 0x21, 0xDB}, 3, S22_NO_COMMAND_CODE, false, ERR_SIGN_INVALID_RESPONSE},
    {"reset answered by type 3", {0x55, 0xAA, 5, 0, 0x23, 0xD9}, 3, S22_NO_COMMAND_CODE, false, S22NET_OK},
    {"query answered by type 11", {0x55, 0xAA, 5, 2, 0x2B, 0xCF, 0xF5, 0, 0x0B}, 11, S22_NO_COMMAND_CODE, false, S22NET_OK},
    // A type-11 reply whose data starts with 0 is fine: the zero rule is for other types only.
    {"query reply with data 0", {0x55, 0xAA, 5, 2, 0x2B, 0xCF, 0, 0, 0}, 11, S22_NO_COMMAND_CODE, false, S22NET_OK},
    {"command answered by type 3", {0x55, 0xAA, 5, 2, 0x23, 0xD7, 0x11, 0, 0xEF}, 0, 0x11, false, ERR_SIGN_INVALID_RESPONSE},
    {"data byte 0 is zero", {0x55, 0xAA, 5, 2, 0x21, 0xD9, 0, 0x11, 0xEF}, 0, 0x11, false, ERR_SIGN_UNSUPPORTED_COMMAND},
    {"header checksum wrong", {0x55, 0xAA, 5, 2, 0x21, 0xDA, 0x11, 0, 0xEF}, 0, 0x11, false, ERR_SIGN_INVALID_RESPONSE},
    // The second start byte is only checked through the header checksum.
    {"second start byte off, sum still right", {0x55, 0xAB, 5, 2, 0x21, 0xD8, 0x11, 0, 0xEF}, 0, 0x11, false, S22NET_OK},
    {"data checksum wrong", {0x55, 0xAA, 5, 2, 0x21, 0xD9, 0x11, 0, 0xEE}, 0, 0x11, false, ERR_SIGN_INVALID_RESPONSE},
    {"other command code", {0x55, 0xAA, 5, 2, 0x21, 0xD9, 0x12, 0, 0xEE}, 0, 0x11, false, ERR_SIGN_INVALID_RESPONSE},
    {"extended reply to basic code", {0x55, 0xAA, 5, 2, 0x21, 0xD9, 0x80, 0x11, 0x6F}, 0, 0x11, false, S22NET_OK},
    {"relaxed bad command", {0x55, 0xAA, 5, 2, 0x22, 0xD8, 0x11, 0, 0xEF}, 0, 0x11, true, S22NET_OK},
    {"relaxed unsupported", {0x55, 0xAA, 5, 2, 0x24, 0xD6, 0x11, 0, 0xEF}, 0, 0x11, true, S22NET_OK},
    {"relaxed odd type", {0x55, 0xAA, 5, 2, 0x27, 0xD3, 0x11, 0, 0xEF}, 0, 0x11, true, S22NET_OK},
    {"relaxed data byte 0 zero", {0x55, 0xAA, 5, 2, 0x21, 0xD9, 0, 0x11, 0xEF}, 0, 0x11, true, ERR_SIGN_UNSUPPORTED_COMMAND},
    {"relaxed reset still needs type 3", {0x55, 0xAA, 5, 0, 0x22, 0xDA}, 3, S22_NO_COMMAND_CODE, true, ERR_SIGN_INVALID_RESPONSE},
};

TEST(Packet, ValidationRulesInOrder)
{
    for (const auto& c : kValidationCases) {
        CS22NetPacket reply = Reply(c.reply);
        reply.SetRelaxValidation(c.relaxed);
        EXPECT_EQ(reply.Validate(5, 0x20, c.sentType, c.expectedCode), c.result) << c.name;
    }
}

} // namespace
