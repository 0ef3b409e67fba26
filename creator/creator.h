// drvcreate's logic: drvplant's run, where a device that only software makes (a
// root-enumerated one) is made when none is present, and the driver forced onto it.
#pragma once

#include "installer/installer.h"

ProgramMain CreateMain;

// What failure reports call the operations of making a device, and of taking it back.
inline constexpr char kReadClassLabel[] = "GetINFClass";
inline constexpr char kNewSetLabel[] = "CreateDeviceInfoList";
inline constexpr char kNewDeviceLabel[] = "CreateDeviceInfo";
inline constexpr char kQuietLabel[] = "SetDeviceInstallParams";
inline constexpr char kWriteIdsLabel[] = "SetDeviceRegistryProperty";
inline constexpr char kRegisterLabel[] = "CallClassInstaller(DIF_REGISTERDEVICE)";
inline constexpr char kInstanceIdLabel[] = "GetDeviceInstanceId";
inline constexpr char kTakeBackLabel[] = "CallClassInstaller(DIF_REMOVE)";
inline constexpr const char *kCreationLabels[] = {kReadClassLabel, kNewSetLabel,  kNewDeviceLabel,  kQuietLabel,
                                                  kWriteIdsLabel,  kRegisterLabel, kInstanceIdLabel, kTakeBackLabel};
