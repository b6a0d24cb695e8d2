#pragma once
// Reply records and argument structures of the controller commands. Reply records are opaque
// byte images of the first bytes of a reply; the sizes are how many bytes each command copies.

#include <cstdint>

#pragma pack(push, 1)

// Basic commands: the first 8 reply bytes.
struct resp_s {
    unsigned char bytes[8];
};

// GetStatus: 128 reply bytes; the status byte is at 80.
struct resp_get_status_s {
    unsigned char bytes[128];
};

// Extended commands and file sends: the first 8 reply bytes.
struct m2_resp_s {
    unsigned char bytes[8];
};
using m2_resp_send_file_s = m2_resp_s;

// The sign link's RunMessage: the first 16 reply bytes.
struct m2_resp_run_message_s {
    unsigned char bytes[16];
};

// File get start: 152 reply bytes (block count at 116, block size 118, size 120, status 124).
struct m2_resp_retrieve_file_s {
    unsigned char bytes[152];
};

// Basic send starts (messages, schedules, graphics): the first 8 reply bytes.
using resp_send_message_s = resp_s;
using resp_send_graphic_s = resp_s;

// Message and graphic get starts: 64 reply bytes (count 24, block size 26, size 28, status 32).
struct resp_retrieve_message_s {
    unsigned char bytes[64];
};
using resp_retrieve_graphic_s = resp_retrieve_message_s;

// List get starts: 16 reply bytes (entries 1, blocks 3, bytes per block 5, status 7).
struct resp_retrieve_list_s {
    unsigned char bytes[16];
};

// SetTime: six bytes sent in order.
struct time_s {
    unsigned char second;
    unsigned char minute;
    unsigned char hour;
    unsigned char day;
    unsigned char month;
    unsigned char year;
};

// SetCounter: the request bytes after the command code.
struct counter_info_s {
    unsigned char bytes[47];
};

// Real-time data: two 32-bit header words.
struct rtd_header_s {
    std::uint32_t word1;
    std::uint32_t word2;
};

#pragma pack(pop)

static_assert(sizeof(resp_s) == 8 && sizeof(resp_get_status_s) == 128 && sizeof(m2_resp_s) == 8);
static_assert(sizeof(m2_resp_retrieve_file_s) == 152 && sizeof(resp_retrieve_message_s) == 64);
static_assert(sizeof(resp_retrieve_list_s) == 16 && sizeof(m2_resp_run_message_s) == 16);
static_assert(sizeof(time_s) == 6 && sizeof(counter_info_s) == 47 && sizeof(rtd_header_s) == 8);
