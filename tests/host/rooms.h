// What the stand-in's rooms share: the models' declarations (each room defines its DLL's),
// the handles it gives out, and the helpers more than one room needs.
#pragma once

#include "standin.h"

#include <stdint.h>

#include <string>
#include <vector>

// The model of each operation of the table, behind the fault hook of the core.
namespace model {
#define AS_MODEL(library, ret, name, failed, params, args) ret name params;
LOADED_OPERATIONS(AS_MODEL)
IMPORTED_OPERATIONS(AS_MODEL)
#undef AS_MODEL
} // namespace model

inline HDEVINFO const kDeviceSet = (HDEVINFO)0x5e7;
inline HDEVINFO const kCreatedSet = (HDEVINFO)0x5e8;
inline HANDLE const kFileSearch = (HANDLE)0xf17d;
inline HWINSTA const kStation = (HWINSTA)0x57a;
inline const uintptr_t kFirstDriverKey = 0x4e70000; // a device's driver key: this plus its index

// A request the stand-in does not model: recorded, so that the run's invariants fail.
void Unmodelled(const std::string &what);
// FALSE with code as the last error.
BOOL Fail(DWORD code);
// TRUE, clearing the last error as Windows' SetupAPI does (Wine's leaves it).
BOOL Succeed(void);
// Equal with A-Z and a-z taken as the same, as file names and IDs compare.
bool SameFolded(const std::u16string &left, const std::u16string &right);
void *Allocate(SIZE_T bytes);

// What a path names in full, against the world's current folder.
std::u16string FullPath(std::u16string path);
// A path that names its drive or server: what the SDK's INF parameters must be.
bool IsFullPath(const std::u16string &path);
// The files that a search for pattern finds, by full path.
std::vector<std::u16string> FilesMatching(const std::u16string &pattern);

std::u16string InfFolder();
// Files leave through here, so that what was deleted can be judged.
void Delete(const std::u16string &path);
// Windows asks whether to trust a publisher it does not know yet; where it may not ask,
// FALSE with the code such a refusal gives.
BOOL PublisherTrusted(bool mayAsk);
// The published copy of source: one of the same bytes, or a new oemN.inf.
std::u16string Publish(const std::u16string &source);

// The stored device that an element of the open set stands for, or NULL.
Device *DeviceOf(HDEVINFO set, PSP_DEVINFO_DATA device);
bool IsOpenSet(HDEVINFO set);
// The instance ID of the device at index, as SetupDiGetDeviceInstanceIdA gives it.
std::string InstanceIdOf(const World &w, size_t index);
// Whether the element at index is a member of the open set.
bool InSet(HDEVINFO set, size_t index);

// A 32-bit process on 64-bit Windows, or an emulated one: Windows refuses it device
// installation ("Device Installations on 64-Bit Systems"; the SDK's
// UpdateDriverForPlugAndPlayDevices page names ERROR_IN_WOW64 since sdk-api #65).
bool RunsEmulated(void);
// Closes a handle of a started process or its thread; false for any other handle.
bool CloseProcessHandle(HANDLE object);
