// Quillmere - desktop audio tool suite. Licensed under the GPL-3.0-or-later.
#include "foundation/AppSettings.h"

#include "foundation/RegistryRoutines.h"

namespace {

RegistryRoutines storeFor(const QString& appName, const QString& section)
{
    RegistryRoutines reg;
    reg.hkey(platform::HKEY_CURRENT_USER);
    reg.KeyRoot(QStringLiteral("Software\\Quillmere Program Settings\\") + appName);
    reg.Subkey(section);
    return reg;
}

}  // namespace

QString GetSetting(const QString& appName, const QString& section, const QString& key, const QString& defaultValue)
{
    const QVariant v = storeFor(appName, section).GetRegistryValue(key, defaultValue);
    return v.isValid() ? v.toString() : defaultValue;
}

void SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& setting)
{
    const RegistryRoutines reg = storeFor(appName, section);
    // The program never creates keys of its own settings store, but this per-user branch is
    // made on first use.
    if (!reg.KeyExists())
        reg.CreateKey();
    reg.SetRegistryValue(key, setting, platform::REG_SZ);
}
