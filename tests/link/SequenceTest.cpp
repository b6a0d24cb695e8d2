#include "link/S22Exchange.h"

#include <gtest/gtest.h>

#include <vector>

TEST(Sequence, CyclesWithoutReturningToZero)
{
    CS22SequenceTable table;
    table.Reset(7);
    std::vector<unsigned> seen{table.Get(7)};
    for (int i = 0; i < 17; ++i) {
        table.Advance(7);
        seen.push_back(table.Get(7));
    }
    const std::vector<unsigned> expected{0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80,
                                         0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0, 0x10, 0x20};
    EXPECT_EQ(seen, expected);
}

TEST(Sequence, AddressesAreIndependent)
{
    CS22SequenceTable table;
    table.Advance(1);
    table.Advance(1);
    table.Advance(255);
    EXPECT_EQ(table.Get(1), 0x20);
    EXPECT_EQ(table.Get(2), 0x00);
    EXPECT_EQ(table.Get(255), 0x10);
    table.Reset(1);
    EXPECT_EQ(table.Get(1), 0x00);
}

TEST(Sequence, CommandRequestTakesItsCodeFromTheData)
{
    const unsigned char extended[] = {0x80, 0x42, 0x00};
    const S22Request request = S22Request::Command(9, extended, 3);
    EXPECT_EQ(request.type, S22_TYPE_COMMAND);
    EXPECT_EQ(request.expectedCode, 0x42);
    EXPECT_EQ(S22Request::SequenceReset(9).expectedCode, S22_NO_COMMAND_CODE);
}
