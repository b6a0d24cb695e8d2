#pragma once
// Block-wise transfers, shared by CS22Network and CS22SignLink: a start frame, then numbered blocks,
// each one command exchange with its own retries. The two objects differ only in how they exchange
// a frame and how they report progress, which they supply through the two interfaces below.

#include "link/S22CommandBuffer.h"
#include "link/S22Exchange.h"

#include <cstddef>
#include <vector>

class CS22NetPacket;

// Runs one exchange for a transfer.
class IS22Exchanger {
public:
    virtual S22Result ExchangeCommand(const S22Request& request) = 0;
    virtual const CS22NetPacket& LastReply() const = 0;
    // Checked before each requested block of a get (only the sign link answers true).
    virtual bool IsAbortRequested() const { return false; }

protected:
    ~IS22Exchanger() = default;
};

// Told about a transfer's progress.
class IS22TransferSink {
public:
    virtual void TransferBegins(unsigned short total) = 0;
    virtual void StartFrameDone(unsigned short done, unsigned short total) = 0;
    virtual void BlockDone(unsigned short done, unsigned short total) = 0;

protected:
    ~IS22TransferSink() = default;
};

// Where a transfer's blocks put their fields.
struct S22BlockLayout {
    bool extended = true;           // 0x80 prefix
    unsigned char blockCode = 5;    // data block (send) or block request (get)
    std::size_t requestSize = 255;  // size of a block request or data block
    std::size_t numberOffset = 3;   // 16-bit block number, 1-based
    std::size_t dataOffset = 9;     // data in a sent block, or in a get block's reply
    std::size_t blockSize = 246;    // data bytes per sent block
    std::size_t statusOffset = 2;   // status byte in a block's reply
};

S22BlockLayout S22FileBlocks();    // extended send blocks: 0x80 5, 246 bytes from offset 9
S22BlockLayout S22FileRequests();  // extended get blocks: 0x80 6, data from reply offset 8
S22BlockLayout S22MessageBlocks(); // basic send blocks: code 3, 247 bytes from offset 8
S22BlockLayout S22MessageRequests(); // basic get blocks: code 4, data from reply offset 8

// Number of blocks for a size, or -1 when it needs more than 65535.
long S22BlockCount(unsigned long size, std::size_t blockSize);

// What a start frame's reply announces for a get.
struct S22GetAnnouncement {
    std::size_t recordSize = 0;   // reply bytes copied to the caller's record
    std::size_t statusOffset = 0; // non-zero: -10
    std::size_t countOffset = 0;  // 16-bit block count
    std::size_t blockSizeOffset = 0;
    std::size_t totalOffset = 0;
    bool totalIsEntries = false;  // lists announce entries of 32 bytes instead of a byte total
    bool totalIs16Bit = false;
};

S22GetAnnouncement S22FileAnnouncement();    // 152-byte record; count 116, block 118, size 120, status 124
S22GetAnnouncement S22MessageAnnouncement(); // 64-byte record; count 24, block 26, size 28, status 32
S22GetAnnouncement S22ListAnnouncement();    // 16-byte record; entries 1, count 3, block 5, status 7

// Sends a start frame and then the data in blocks. recordSize reply bytes of the start go to
// record when it is not null; startStatusOffset names the start reply's status byte.
S22Result S22SendBlocks(IS22Exchanger& exchanger, IS22TransferSink& sink, unsigned char address,
                        const CS22CommandBuffer& start, void* record, std::size_t recordSize,
                        std::size_t startStatusOffset, const S22BlockLayout& layout, const unsigned char* data,
                        unsigned long size);

// Sends a start frame and gets the announced blocks into buffer (exactly the announced size).
// Returns the result; the buffer is cleared on every failure.
S22Result S22GetBlocks(IS22Exchanger& exchanger, IS22TransferSink& sink, unsigned char address,
                       const CS22CommandBuffer& start, void* record, const S22GetAnnouncement& announcement,
                       const S22BlockLayout& layout, std::vector<unsigned char>& buffer);

// Copies reply data bytes into a caller's record (bytes past the reply's data read as 0).
void S22CopyReply(const CS22NetPacket& reply, void* record, std::size_t count);
