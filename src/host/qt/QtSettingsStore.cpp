// Settings through QSettings.
#include "host/qt/QtSettingsStore.h"

#include <QSettings>
#include <QString>

namespace velrok::host {

namespace {

QString KeyInSection(const std::string& key)
{
    return QString::fromUtf8(kSettingsSection) + QLatin1Char('/') + QString::fromStdString(key);
}

} // namespace

QtSettingsStore::QtSettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                             QString::fromUtf8(kSettingsApplication),
                                             QString::fromUtf8(kSettingsApplication)))
{
}

QtSettingsStore::QtSettingsStore(const std::string& iniFile)
    : m_settings(std::make_unique<QSettings>(QString::fromStdString(iniFile), QSettings::IniFormat))
{
}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::Get(const std::string& key, const std::string& defaultValue) const
{
    const QVariant value = m_settings->value(KeyInSection(key));
    return value.isValid() ? value.toString().toStdString() : defaultValue;
}

bool QtSettingsStore::Set(const std::string& key, const std::string& value)
{
    if (!m_settings->isWritable())
        return false;
    m_settings->setValue(KeyInSection(key), QString::fromStdString(value));
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

} // namespace velrok::host
