// The two PE/COFF records the probe reads, defined here rather than taken from <winnt.h> so that
// the probe builds on any host and its layout is pinned by the checks at the bottom.
#pragma once

#include <cstddef>
#include <cstdint>

// <winnt.h> defines the standard constant names below as macros; sharing a translation unit with
// it would silently turn these declarations into nonsense.
#if defined(IMAGE_DOS_SIGNATURE) || defined(IMAGE_NT_OPTIONAL_HDR64_MAGIC)
#error "pe_records.h must not be included together with <windows.h>"
#endif

namespace quorvel::pe {

inline constexpr std::uint16_t IMAGE_DOS_SIGNATURE = 0x5A4D;          // "MZ"
inline constexpr std::uint32_t IMAGE_NT_SIGNATURE = 0x00004550;       // "PE\0\0"
inline constexpr std::uint16_t IMAGE_NT_OPTIONAL_HDR32_MAGIC = 0x10B;  // PE32
inline constexpr std::uint16_t IMAGE_NT_OPTIONAL_HDR64_MAGIC = 0x20B;  // PE32+
inline constexpr std::uint16_t IMAGE_ROM_OPTIONAL_HDR_MAGIC = 0x107;
inline constexpr std::size_t IMAGE_NUMBEROF_DIRECTORY_ENTRIES = 16;

struct IMAGE_DOS_HEADER {
  std::uint16_t e_magic;
  std::uint16_t e_cblp;
  std::uint16_t e_cp;
  std::uint16_t e_crlc;
  std::uint16_t e_cparhdr;
  std::uint16_t e_minalloc;
  std::uint16_t e_maxalloc;
  std::uint16_t e_ss;
  std::uint16_t e_sp;
  std::uint16_t e_csum;
  std::uint16_t e_ip;
  std::uint16_t e_cs;
  std::uint16_t e_lfarlc;
  std::uint16_t e_ovno;
  std::uint16_t e_res[4];
  std::uint16_t e_oemid;
  std::uint16_t e_oeminfo;
  std::uint16_t e_res2[10];
  std::int32_t e_lfanew;  // signed: a set top bit is a negative offset, which the seek refuses
};

struct IMAGE_FILE_HEADER {
  std::uint16_t Machine;
  std::uint16_t NumberOfSections;
  std::uint32_t TimeDateStamp;
  std::uint32_t PointerToSymbolTable;
  std::uint32_t NumberOfSymbols;
  std::uint16_t SizeOfOptionalHeader;
  std::uint16_t Characteristics;
};

struct IMAGE_DATA_DIRECTORY {
  std::uint32_t VirtualAddress;
  std::uint32_t Size;
};

struct IMAGE_OPTIONAL_HEADER32 {
  std::uint16_t Magic;
  std::uint8_t MajorLinkerVersion;
  std::uint8_t MinorLinkerVersion;
  std::uint32_t SizeOfCode;
  std::uint32_t SizeOfInitializedData;
  std::uint32_t SizeOfUninitializedData;
  std::uint32_t AddressOfEntryPoint;
  std::uint32_t BaseOfCode;
  std::uint32_t BaseOfData;
  std::uint32_t ImageBase;
  std::uint32_t SectionAlignment;
  std::uint32_t FileAlignment;
  std::uint16_t MajorOperatingSystemVersion;
  std::uint16_t MinorOperatingSystemVersion;
  std::uint16_t MajorImageVersion;
  std::uint16_t MinorImageVersion;
  std::uint16_t MajorSubsystemVersion;
  std::uint16_t MinorSubsystemVersion;
  std::uint32_t Win32VersionValue;
  std::uint32_t SizeOfImage;
  std::uint32_t SizeOfHeaders;
  std::uint32_t CheckSum;
  std::uint16_t Subsystem;
  std::uint16_t DllCharacteristics;
  std::uint32_t SizeOfStackReserve;
  std::uint32_t SizeOfStackCommit;
  std::uint32_t SizeOfHeapReserve;
  std::uint32_t SizeOfHeapCommit;
  std::uint32_t LoaderFlags;
  std::uint32_t NumberOfRvaAndSizes;
  IMAGE_DATA_DIRECTORY DataDirectory[IMAGE_NUMBEROF_DIRECTORY_ENTRIES];
};

// A PE32+ image has a 240-byte optional header and so 264 bytes of NT headers; the probe still
// reads 248 and lays them over this record, which is sound because Magic comes first in both.
struct IMAGE_NT_HEADERS32 {
  std::uint32_t Signature;
  IMAGE_FILE_HEADER FileHeader;
  IMAGE_OPTIONAL_HEADER32 OptionalHeader;
};

static_assert(sizeof(IMAGE_DOS_HEADER) == 64);
static_assert(offsetof(IMAGE_DOS_HEADER, e_magic) == 0);
static_assert(offsetof(IMAGE_DOS_HEADER, e_res) == 28);
static_assert(offsetof(IMAGE_DOS_HEADER, e_oemid) == 36);
static_assert(offsetof(IMAGE_DOS_HEADER, e_res2) == 40);
static_assert(offsetof(IMAGE_DOS_HEADER, e_lfanew) == 60);
static_assert(sizeof(IMAGE_FILE_HEADER) == 20);
static_assert(sizeof(IMAGE_DATA_DIRECTORY) == 8);
static_assert(sizeof(IMAGE_OPTIONAL_HEADER32) == 224);
static_assert(offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory) == 96);
static_assert(sizeof(IMAGE_NT_HEADERS32) == 248);
static_assert(offsetof(IMAGE_NT_HEADERS32, Signature) == 0);
static_assert(offsetof(IMAGE_NT_HEADERS32, FileHeader) == 4);
static_assert(offsetof(IMAGE_NT_HEADERS32, OptionalHeader) == 24);
static_assert(offsetof(IMAGE_NT_HEADERS32, OptionalHeader.Magic) == 24);
static_assert(offsetof(IMAGE_NT_HEADERS32, OptionalHeader.DataDirectory) == 120);

}  // namespace quorvel::pe
