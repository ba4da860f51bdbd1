// ASPI for Win32 request blocks (SRBs) as the system's ASPI library and the
// built-in emulation exchange them. The interface packs them to 1 byte on
// both architectures: on x86 an execute request is 80 bytes with its CDB at
// byte 48; on x64 the pointer fields widen to 8 bytes without padding, which
// moves the post handle to byte 28 and the CDB to byte 60.
// Portable: no Windows header.
#pragma once
#include <cstddef>
#include <cstdint>

namespace vx::aspi {

inline constexpr std::uint8_t kHostAdapterInquiry = 0;
inline constexpr std::uint8_t kGetDeviceType = 1;
inline constexpr std::uint8_t kExecuteScsi = 2;
inline constexpr std::uint8_t kAbort = 3;

inline constexpr std::uint8_t kStatusPending = 0;
inline constexpr std::uint8_t kStatusComplete = 1;
inline constexpr std::uint8_t kStatusError = 4;
inline constexpr std::uint8_t kStatusInvalidAdapter = 0x81;
inline constexpr std::uint8_t kStatusNoDevice = 0x82;
// High byte of the support-info result when the library has no adapter.
inline constexpr std::uint8_t kStatusNoAdapters = 0xE8;

inline constexpr std::uint8_t kFlagDataIn = 0x08;
inline constexpr std::uint8_t kFlagDataOut = 0x10;
inline constexpr std::uint8_t kFlagEventNotify = 0x40;

inline constexpr std::uint8_t kDeviceTypeCdrom = 5;
inline constexpr std::uint8_t kDeviceTypeUnknown = 0x1F;

#pragma pack(push, 1)

struct SrbHeader {
    std::uint8_t command;
    std::uint8_t status;
    std::uint8_t adapter;
    std::uint8_t flags;
    std::uint32_t reserved;
};

struct SrbHostAdapterInquiry {
    SrbHeader header;
    std::uint8_t adapter_count;
    std::uint8_t own_scsi_id;
    char manager_id[16];
    char identifier[16];
    // Byte 3: maximum targets; bytes 4-7: maximum transfer length (LE).
    std::uint8_t unique[16];
    std::uint16_t reserved;
};

struct SrbGetDeviceType {
    SrbHeader header;
    std::uint8_t target;
    std::uint8_t lun;
    std::uint8_t device_type;
    std::uint8_t reserved;
};

struct SrbExecute {
    SrbHeader header;
    std::uint8_t target;
    std::uint8_t lun;
    std::uint16_t reserved1;
    std::uint32_t buffer_length;
    std::uint8_t* buffer;
    std::uint8_t sense_length;
    std::uint8_t cdb_length;
    std::uint8_t adapter_status;
    std::uint8_t target_status;
    void* post; // event handle signalled on completion (flag 0x40)
    void* reserved2;
    std::uint8_t reserved3[16];
    std::uint8_t cdb[16];
    std::uint8_t sense[16];
};

struct SrbAbort {
    SrbHeader header;
    void* request;
};

// Room for any request; callers zero it before filling one in.
union Srb {
    SrbHeader header;
    SrbHostAdapterInquiry inquiry;
    SrbGetDeviceType device;
    SrbExecute execute;
    SrbAbort abort;
    std::uint8_t bytes[96];
};

#pragma pack(pop)

static_assert(offsetof(SrbHostAdapterInquiry, adapter_count) == 8);
static_assert(offsetof(SrbHostAdapterInquiry, manager_id) == 10);
static_assert(offsetof(SrbHostAdapterInquiry, identifier) == 26);
static_assert(offsetof(SrbHostAdapterInquiry, unique) == 42);
static_assert(offsetof(SrbGetDeviceType, device_type) == 10);
static_assert(offsetof(SrbExecute, buffer_length) == 12);
static_assert(offsetof(SrbExecute, buffer) == 16);
static_assert(offsetof(SrbAbort, request) == 8);
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(SrbExecute, sense_length) == 20);
static_assert(offsetof(SrbExecute, target_status) == 23);
static_assert(offsetof(SrbExecute, post) == 24);
static_assert(offsetof(SrbExecute, cdb) == 48);
static_assert(sizeof(SrbExecute) == 80);
#endif

// The two entry points of an ASPI library.
using SupportInfoFn = std::uint32_t (*)();
using SendCommandFn = std::uint32_t (*)(void* srb);

} // namespace vx::aspi
