// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#pragma once

namespace platform {

// Facts about the desktop session that decide how windows behave.
class DesktopService {
public:
    virtual ~DesktopService() = default;
    // Whether a notification area exists to hold the tray icon.
    virtual bool isSystemTrayAvailable() const = 0;
};

DesktopService& desktop();
void setDesktopService(DesktopService* service);  // nullptr: the real one

}  // namespace platform
